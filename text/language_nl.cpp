#include "text/texts.h"

const char* const* gTexts = gTextsNl;
const int gDutchBuild = 1;

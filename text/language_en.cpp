#include "text/texts.h"

const char* const* gTexts = gTextsEn;
const int gDutchBuild = 0;

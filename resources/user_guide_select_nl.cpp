#include "resources/resources.h"

ResourceBytes BuiltUserGuide() { return {kUserGuideNl, kUserGuideNlEnd}; }

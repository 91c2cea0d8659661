#include "resources/resources.h"

ResourceBytes BuiltUserGuide() { return {kUserGuideEn, kUserGuideEnEnd}; }

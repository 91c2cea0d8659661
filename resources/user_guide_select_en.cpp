#include "resources/resources.h"

ResourceBytes BuiltUserGuide() { return {gUserGuideEn, gUserGuideEnSize}; }

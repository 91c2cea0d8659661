#include "resources/resources.h"

ResourceBytes BuiltUserGuide() { return {gUserGuideNl, gUserGuideNlSize}; }

// The resources held in the program's data: the About-box logo and the user
// guides, each a byte array with its size.
#pragma once

#include <cstdint>

extern const uint8_t gLogoPng[];
extern const int64_t gLogoPngSize;
extern const uint8_t gUserGuideEn[];
extern const int64_t gUserGuideEnSize;
extern const uint8_t gUserGuideNl[];
extern const int64_t gUserGuideNlSize;

struct ResourceBytes {
  const uint8_t* bytes;
  int64_t size;
};

// The user guide of the language this program was built for; defined by the
// guide selector that the language selector links.
ResourceBytes BuiltUserGuide();

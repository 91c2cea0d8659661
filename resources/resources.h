// The resources held in the program's data: the About-box logo and the user
// guides. Each is a byte array with a pointer one behind its last byte.
#pragma once

#include <cstddef>

extern const unsigned char kLogoPng[];
extern const unsigned char* const kLogoPngEnd;
extern const unsigned char kUserGuideEn[];
extern const unsigned char* const kUserGuideEnEnd;
extern const unsigned char kUserGuideNl[];
extern const unsigned char* const kUserGuideNlEnd;

struct ResourceBytes {
  const unsigned char* begin;
  const unsigned char* end;
};

// The user guide of the language this program was built for; defined by the
// guide selector that the language selector links.
ResourceBytes BuiltUserGuide();

// Reading numbers from texts the way the C library does in the "C" locale,
// whatever locale the program runs under.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// The longest leading number (leading white space skipped, optional sign,
// digits with at most one ".", optional exponent, also "inf" and "nan");
// the rest is ignored and no number gives 0. A text starting with a
// lower-case "n" or exactly "NaN" gives NaN; exactly "+Infinity" and
// "-Infinity" give the infinities.
double ParseNumberPrefix(const std::string& text);
// Optional blanks, an optional sign and the leading decimal digits; no
// digits give 0; saturates at the int64 limits instead of overflowing.
int64_t ParseIntegerPrefix(std::string_view text);

// Locale-free reading of the numbers in DXF and STL text: the longest
// leading part that forms a number counts, the rest is ignored.
#pragma once

#include <string_view>

// Leading white space, an optional sign, digits with "." and an optional
// exponent; nothing readable gives 0. With words set, "+Infinity",
// "-Infinity", "Infinity" and "NaN" are read too. A number beyond the double
// range gives an infinity, one below it a zero.
double ReadNumberPrefix(std::string_view text, bool words);

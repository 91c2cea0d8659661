#include "import/number_text.h"

#include <charconv>
#include <cmath>
#include <limits>

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\f' || c == '\v'; }

}  // namespace

double ReadNumberPrefix(std::string_view text, bool words) {
  size_t i = 0;
  const size_t n = text.size();
  while (i < n && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < n && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (words) {
    std::string_view rest = text.substr(i);
    if (rest.substr(0, 8) == "Infinity")
      return negative ? -std::numeric_limits<double>::infinity() : std::numeric_limits<double>::infinity();
    if (rest.substr(0, 3) == "NaN") return std::numeric_limits<double>::quiet_NaN();
  }
  // The number's extent, so that from_chars never sees a word or a sign.
  size_t start = i;
  bool digits = false;
  while (i < n && IsDigit(text[i])) ++i, digits = true;
  if (i < n && text[i] == '.') {
    ++i;
    while (i < n && IsDigit(text[i])) ++i, digits = true;
  }
  if (!digits) return 0;
  size_t mantissaEnd = i;
  bool negativeExponent = false;
  if (i < n && (text[i] == 'e' || text[i] == 'E')) {
    size_t j = i + 1;
    if (j < n && (text[j] == '+' || text[j] == '-')) negativeExponent = text[j++] == '-';
    if (j < n && IsDigit(text[j])) {
      while (j < n && IsDigit(text[j])) ++j;
      i = j;
    }
  }
  double value = 0;
  auto [end, ec] = std::from_chars(text.data() + start, text.data() + i, value, std::chars_format::general);
  if (ec == std::errc::result_out_of_range) {
    // Only the exponent can carry the value out of range.
    bool zeroMantissa = true;
    for (size_t k = start; k < mantissaEnd; ++k)
      if (IsDigit(text[k]) && text[k] != '0') zeroMantissa = false;
    value = (negativeExponent || zeroMantissa) ? 0.0 : std::numeric_limits<double>::infinity();
  } else if (ec != std::errc()) {
    value = 0;
  }
  (void)end;
  return negative ? -value : value;
}

#include "engine/number_parse.h"

#include <clocale>
#include <cmath>
#include <cstdlib>
#include <limits>
#include <locale.h>

namespace {

// strtod_l with a private "C" locale object: the process locale (which the
// toolkit may have set from the environment) never changes the result.
locale_t CLocale() {
  static locale_t c = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  return c;
}

}  // namespace

double ParseNumberPrefix(const std::string& text) {
  if (text == "NaN" || (!text.empty() && text[0] == 'n')) return std::numeric_limits<double>::quiet_NaN();
  if (text == "+Infinity") return std::numeric_limits<double>::infinity();
  if (text == "-Infinity") return -std::numeric_limits<double>::infinity();
  const char* start = text.c_str();
  char* end = nullptr;
  double value = strtod_l(start, &end, CLocale());
  if (end == start) return 0.0;
  return value;
}

int64_t ParseIntegerPrefix(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  // Accumulate towards the sign so the most negative value fits too.
  int64_t value = 0;
  const int64_t lo = std::numeric_limits<int64_t>::min();
  const int64_t hi = std::numeric_limits<int64_t>::max();
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    int digit = text[i] - '0';
    if (negative) {
      if (value < (lo + digit) / 10) return lo;
      value = value * 10 - digit;
    } else {
      if (value > (hi - digit) / 10) return hi;
      value = value * 10 + digit;
    }
  }
  return value;
}

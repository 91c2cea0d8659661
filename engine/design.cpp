#include "engine/design.h"

#include <charconv>
#include <cmath>

DesignParams gParams;
DesignResult gResult;

void SetResultError(DesignResult& result, const std::string& text) {
  result.valid = 0;
  result.message = text;
}

void AddResultWarning(DesignResult& result, const std::string& text) { result.warnings.push_back(text); }

void AddListPoint(PointList& list, double x, double y) { list.push_back(OutlinePoint{x, y}); }

namespace {

// Fixed-point text through to_chars, which never looks at the locale.
std::string FormatFixed(int decimals, double x) {
  if (std::isnan(x)) return "NaN";
  if (std::isinf(x)) return x > 0 ? "+Infinity" : "-Infinity";
  if (decimals < 0) decimals = 0;
  if (decimals > 512) decimals = 512;
  // Up to 309 integer digits, the sign, the point and the decimals.
  std::string text(static_cast<size_t>(decimals) + 320, '\0');
  auto [end, ec] = std::to_chars(text.data(), text.data() + text.size(), x, std::chars_format::fixed, decimals);
  if (ec != std::errc()) return "NaN";
  text.resize(static_cast<size_t>(end - text.data()));
  return text;
}

}  // namespace

std::string FormatDecimals(int decimals, double x) {
  int d = decimals < 0 ? 0 : (decimals > 512 ? 512 : decimals);
  if (std::fabs(x) < 0.5 * std::pow(10.0, -d)) x = 0.0;
  return FormatFixed(d, x);
}

std::string FormatMm(int decimals, double x) {
  if (x == 0.0) x = 0.0;  // drops the sign of a negative zero
  return FormatFixed(decimals, x);
}

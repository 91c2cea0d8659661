#include "app/form.h"

#include <charconv>
#include <cmath>
#include <limits>

#include "app/gadgets.h"
#include "app/main_program.h"
#include "app/window_system.h"
#include "engine/design.h"
#include "import/import_state.h"

namespace {

bool IsCSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r'; }
bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsHexDigit(char c) { return IsDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F'); }

std::string TrimBlanks(const std::string& text) {
  size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return "";
  size_t last = text.find_last_not_of(' ');
  return text.substr(first, last - first + 1);
}

// A number too large or too small for a double: strtod gives infinity or
// zero; from_chars leaves it to us. Decides by the decimal (or binary)
// exponent of the first significant digit.
double OutOfRangeValue(const char* begin, const char* end, bool hex) {
  long long position = 0;  // exponent of the first significant digit
  bool seenPoint = false, seenSignificant = false;
  const char* p = begin;
  for (; p < end; ++p) {
    char c = *p;
    if (c == '.') {
      seenPoint = true;
      continue;
    }
    if (hex ? !IsHexDigit(c) : !IsDigit(c)) break;
    if (!seenSignificant && c != '0') seenSignificant = true;
    if (seenSignificant && !seenPoint) ++position;
    if (!seenSignificant && seenPoint) --position;
  }
  long long exponent = 0;
  if (p < end && (*p == 'e' || *p == 'E' || *p == 'p' || *p == 'P')) {
    ++p;
    bool negative = p < end && *p == '-';
    if (p < end && (*p == '-' || *p == '+')) ++p;
    for (; p < end && IsDigit(*p); ++p)
      if (exponent < 1000000000LL) exponent = exponent * 10 + (*p - '0');
    if (negative) exponent = -exponent;
  }
  if (hex) exponent /= 4;  // binary exponent to hex digits, near enough to tell the side
  return position + exponent > 0 ? std::numeric_limits<double>::infinity() : 0.0;
}

// As glibc's strtod in the "C" locale: the longest leading number.
double ParseLeadingNumber(const std::string& text) {
  const char* p = text.data();
  const char* end = p + text.size();
  while (p < end && IsCSpace(*p)) ++p;
  bool negative = false;
  if (p < end && (*p == '+' || *p == '-')) {
    negative = *p == '-';
    ++p;
  }
  double value = 0;
  bool hex = end - p >= 2 && p[0] == '0' && (p[1] == 'x' || p[1] == 'X') &&
             ((end - p > 2 && IsHexDigit(p[2])) || (end - p > 3 && p[2] == '.' && IsHexDigit(p[3])));
  const char* start = hex ? p + 2 : p;
  // from_chars takes no sign of its own; a second sign is not a number.
  if (start < end && (*start == '+' || *start == '-')) return 0;
  auto [stop, ec] = std::from_chars(start, end, value, hex ? std::chars_format::hex : std::chars_format::general);
  if (ec == std::errc::result_out_of_range) {
    value = OutOfRangeValue(start, stop, hex);
  } else if (ec != std::errc()) {
    return hex ? (negative ? -0.0 : 0.0) : 0.0;  // "0x" alone reads as the 0
  }
  return negative ? -value : value;
}

}  // namespace

double ParseFieldNumber(const std::string& fieldText) {
  std::string text = TrimBlanks(fieldText);
  for (char& c : text)
    if (c == ',') c = '.';
  if ((!text.empty() && text[0] == 'n') || text == "NaN") return std::numeric_limits<double>::quiet_NaN();
  if (text == "+Infinity") return std::numeric_limits<double>::infinity();
  if (text == "-Infinity") return -std::numeric_limits<double>::infinity();
  return ParseLeadingNumber(text);
}

double ReadFieldNumber(int64_t gadget) { return ParseFieldNumber(GetGadgetText(WINDOW_MAIN, gadget)); }

int64_t ParseFieldInteger(const std::string& fieldText) {
  size_t i = fieldText.find_first_not_of(" \t");
  if (i == std::string::npos) return 0;
  bool negative = false;
  if (fieldText[i] == '+' || fieldText[i] == '-') {
    negative = fieldText[i] == '-';
    ++i;
  }
  // Accumulated on the negative side, which holds one more value.
  int64_t value = 0;
  const int64_t lowest = std::numeric_limits<int64_t>::min();
  for (; i < fieldText.size() && IsDigit(fieldText[i]); ++i) {
    int digit = fieldText[i] - '0';
    if (value < (lowest + digit) / 10) {
      value = lowest;
    } else {
      value = value * 10 - digit;
    }
  }
  if (negative) return value;
  return value == lowest ? std::numeric_limits<int64_t>::max() : -value;
}

std::string FormatFieldNumber(double x) {
  if (std::isnan(x)) return "NaN";
  if (std::isinf(x)) return x > 0 ? "+Infinity" : "-Infinity";
  if (x == 0.0) x = 0.0;  // a negative zero prints unsigned
  char buffer[400];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, x, std::chars_format::fixed, 3);
  if (ec != std::errc()) return "NaN";
  std::string text(buffer, end);
  if (text.find('.') != std::string::npos) {
    while (!text.empty() && text.back() == '0') text.pop_back();
    while (!text.empty() && text.back() == '.') text.pop_back();
  }
  return text;
}

void SetFieldTextIfChanged(int64_t gadget, const std::string& text) {
  if (GetGadgetText(WINDOW_MAIN, gadget) != text) SetGadgetText(WINDOW_MAIN, gadget, text);
}

void ReadFormIntoParams() {
  DesignParams& p = gParams;
  p.shapeKind = GetGadgetState(WINDOW_MAIN, GADGET_SHAPE);
  p.width = ReadFieldNumber(GADGET_WIDTH);
  p.height = ReadFieldNumber(GADGET_HEIGHT);
  if (p.shapeKind == SHAPE_CIRCLE) p.height = p.width;
  p.cornerRadius = ReadFieldNumber(GADGET_CORNER_RADIUS);
  p.sizeIsInner = GetGadgetState(WINDOW_MAIN, GADGET_SIZE_IS);
  p.figureKind = GetGadgetState(WINDOW_MAIN, GADGET_FIGURE);
  p.direction = GetGadgetState(WINDOW_MAIN, GADGET_DIRECTION) == 1 ? DIRECTION_INWARD : DIRECTION_OUTWARD;
  p.divideByWidth = gDivideByWidth;
  p.count = ParseFieldInteger(GetGadgetText(WINDOW_MAIN, GADGET_COUNT));
  p.figureWidth = ReadFieldNumber(GADGET_FIGURE_WIDTH);
  p.gap = ReadFieldNumber(GADGET_GAP);
  if (p.figureKind == FIGURE_SINE) p.gap = 0;
  p.depth = ReadFieldNumber(GADGET_DEPTH);
  p.topWidth = ReadFieldNumber(GADGET_TOP_WIDTH);
  p.fillet = ReadFieldNumber(GADGET_FILLET);
  p.shift = ReadFieldNumber(GADGET_SHIFT) / 100.0;
  p.smallestSize = ReadFieldNumber(GADGET_SMALLEST_SIZE);
  p.pointSpacing = ReadFieldNumber(GADGET_POINT_SPACING);
}

void UpdateFieldEnabling() {
  int64_t s = GetGadgetState(WINDOW_MAIN, GADGET_SHAPE);
  int64_t f = GetGadgetState(WINDOW_MAIN, GADGET_FIGURE);
  int64_t v = GetGadgetState(WINDOW_MAIN, GADGET_VASE_TYPE);
  auto enable = [](int64_t id, bool disabled) { EnableGadget(WINDOW_MAIN, id, disabled ? 0 : 1); };
  enable(GADGET_HEIGHT, s == SHAPE_CIRCLE);
  enable(GADGET_CORNER_RADIUS, s != SHAPE_RECTANGLE);
  enable(GADGET_STL_Z, !(s == SHAPE_IMPORTED && gImportFromStl != 0));
  enable(GADGET_WALL_THICKNESS, v != 1);
  enable(GADGET_BOTTOM_THICKNESS, v != 1);
  enable(GADGET_INNER_WALL, v != 1);
  enable(GADGET_DIRECTION, f == FIGURE_NONE);
  enable(GADGET_COUNT, f == FIGURE_NONE);
  enable(GADGET_FIGURE_WIDTH, f == FIGURE_NONE);
  enable(GADGET_GAP, f == FIGURE_NONE || f == FIGURE_SINE);
  enable(GADGET_DEPTH, f == FIGURE_NONE || f == FIGURE_SQUARE || f == FIGURE_HALF_CIRCLE);
  enable(GADGET_TOP_WIDTH, f != FIGURE_TRAPEZOID);
  enable(GADGET_FILLET, f == FIGURE_NONE || f == FIGURE_HALF_CIRCLE || f == FIGURE_SINE);
  enable(GADGET_SHIFT, f == FIGURE_NONE);
}

#include "app/form.h"

#include <charconv>
#include <cmath>

#include "app/gadgets.h"
#include "app/loop_state.h"
#include "app/platform/window_system.h"
#include "engine/design.h"
#include "engine/number_parse.h"
#include "engine/text_helpers.h"
#include "import/import_state.h"

double ParseFieldNumber(const std::string& fieldText) {
  std::string text(TrimBlanks(fieldText));
  for (char& c : text)
    if (c == ',') c = '.';
  return ParseNumberPrefix(text);
}

double ReadFieldNumber(int64_t gadget) { return ParseFieldNumber(GetGadgetText(WINDOW_MAIN, gadget)); }

int64_t ParseFieldInteger(const std::string& fieldText) { return ParseIntegerPrefix(fieldText); }

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
  enable(GADGET_FILLET, f == FIGURE_NONE || !FigureTakesFillet(f));
  enable(GADGET_SHIFT, f == FIGURE_NONE);
}

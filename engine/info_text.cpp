#include "engine/info_text.h"

#include <charconv>

#include "engine/text_helpers.h"
#include "text/texts.h"

namespace {

constexpr size_t INFO_LABEL_WIDTH = 18;

std::string WholeNumber(int64_t value) {
  char text[24];
  auto [end, ec] = std::to_chars(text, text + sizeof text, value);
  (void)ec;
  return std::string(text, end);
}

std::string Mm(double value) { return FormatDecimals(3, value) + " mm"; }

bool IsUtf8Continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

}  // namespace

// Counts characters, not bytes, so a cut never splits a UTF-8 sequence.
std::string FormatInfoLine(const std::string& label, const std::string& value) {
  std::string line;
  size_t chars = 0;
  for (size_t k = 0; k < label.size(); ++k) {
    if (!IsUtf8Continuation(label[k])) {
      if (chars == INFO_LABEL_WIDTH) break;
      ++chars;
    }
    line += label[k];
  }
  line.append(INFO_LABEL_WIDTH - chars, ' ');
  line += value;
  line += '\n';
  return line;
}

std::string BuildInfoText(const DesignResult& result, const DesignParams& params, int64_t divideByWidth,
                          const std::string& importFileName) {
  if (result.valid == 0) return std::string(Tx(TX_INFO_INVALID)) + result.message;
  std::string text;
  int64_t kind = params.figureKind;
  if (kind != FIGURE_NONE) {
    text += FormatInfoLine(Tx(TX_INFO_DIVISION), Tx(divideByWidth == 0 ? TX_DIVIDE_BY_COUNT : TX_DIVIDE_BY_WIDTH));
    text += FormatInfoLine(Tx(TX_INFO_COUNT), WholeNumber(result.count));
    text += FormatInfoLine(Tx(TX_INFO_PITCH), Mm(result.pitch));
    text += FormatInfoLine(Tx(TX_INFO_WIDTH), Mm(result.figureWidth));
    if (kind != FIGURE_SINE) text += FormatInfoLine(Tx(TX_INFO_GAP), Mm(result.gap));
    text += FormatInfoLine(Tx(TX_INFO_DEPTH), Mm(result.depth));
    if (kind == FIGURE_TRAPEZOID) text += FormatInfoLine(Tx(TX_INFO_TOP_WIDTH), Mm(result.topWidth));
    if (params.fillet > 0 && FigureTakesFillet(kind))
      text += FormatInfoLine(Tx(TX_INFO_FILLET), Mm(result.fillet));
    text += "\n";
  }
  if (params.shapeKind == SHAPE_IMPORTED)
    text += FormatInfoLine(Tx(TX_INFO_IMPORTED), FilePart(importFileName) + " (" +
                                                     FormatDecimals(2, params.importWidth) + " x " +
                                                     FormatDecimals(2, params.importHeight) + " mm)");
  text += FormatInfoLine(Tx(TX_INFO_BASE_LENGTH), Mm(result.baseLength));
  text += FormatInfoLine(Tx(TX_INFO_PATTERN_LENGTH), Mm(result.patternLength));
  text += FormatInfoLine(Tx(TX_INFO_OUTER_SIZE),
                         FormatDecimals(3, result.maxX - result.minX) + " x " + Mm(result.maxY - result.minY));
  text += FormatInfoLine(Tx(TX_INFO_POINTS), WholeNumber(static_cast<int64_t>(result.outlinePoints.size())));
  if (!result.warnings.empty()) {
    text += Tx(TX_INFO_WARNINGS);
    for (const std::string& warning : result.warnings) text += "! " + warning + "\n";
  }
  return text;
}

void BuildStatusTexts(const DesignResult& result, const DesignParams& params, std::string texts[4]) {
  bool figures = result.valid != 0 && params.figureKind != FIGURE_NONE;
  texts[0] = figures ? Tx(TX_STATUS_PITCH) + FormatDecimals(2, result.pitch) + " mm" : "";
  texts[1] = figures ? Tx(TX_STATUS_COUNT) + WholeNumber(result.count) : "";
  texts[2] = result.valid != 0 ? Tx(TX_STATUS_CIRCUMFERENCE) + FormatDecimals(2, result.baseLength) + " mm" : "";
  texts[3] = result.warnings.empty()
                 ? ""
                 : "! " + WholeNumber(static_cast<int64_t>(result.warnings.size())) + Tx(TX_STATUS_WARNINGS);
}

#include "export/dxf_writer.h"

#include <cmath>

#include "engine/polyline.h"
#include "engine/text_helpers.h"
#include "export/export_file.h"
#include "export/export_outline.h"
#include "export/step_writer.h"
#include "text/texts.h"

void WriteDxfLine(std::string& out, const std::string& text) {
  bool ascii = true;
  for (char c : text)
    if (static_cast<unsigned char>(c) >= 0x80) ascii = false;
  out += ascii ? text : ToSingleByteText(text);
  out += "\r\n";
}

void WriteDxfPolyline(std::string& out, const PointList& points, const std::string& layer, int64_t colour) {
  std::string colourText;
  AppendStepInt(colourText, colour);
  WriteDxfLine(out, "0\r\nPOLYLINE\r\n8\r\n" + layer + "\r\n62\r\n" + colourText +
                        "\r\n66\r\n1\r\n70\r\n1\r\n10\r\n0.0\r\n20\r\n0.0\r\n30\r\n0.0");
  std::string vertexHead;
  WriteDxfLine(vertexHead, "0\r\nVERTEX\r\n8\r\n" + layer + "\r\n10");
  out.reserve(out.size() + points.size() * (vertexHead.size() + 48));
  for (const OutlinePoint& p : points) {
    out += vertexHead;
    AppendStepReal(out, p.x);
    out += "\r\n20\r\n";
    AppendStepReal(out, p.y);
    out += "\r\n30\r\n0.0\r\n";
  }
  WriteDxfLine(out, "0\r\nSEQEND\r\n8\r\n" + layer);
}

namespace {

void WriteDxfNumber(std::string& out, const char* code, double value) {
  out += code;
  out += "\r\n";
  AppendStepReal(out, value);
  out += "\r\n";
}

}  // namespace

int64_t ExportOutlineDxf(const std::string& path, const DesignResult& result, int64_t withBaseLine, double tolerance) {
  if (result.valid == 0 || result.outlinePoints.size() < 3 || !AllPointsFinite(result.outlinePoints) ||
      !std::isfinite(result.minX) || !std::isfinite(result.maxX) || !std::isfinite(result.minY) ||
      !std::isfinite(result.maxY)) {
    gExportError = Tx(TX_EXPORT_NO_OUTLINE);
    return 0;
  }
  PointList outline;
  if (!ThinExportOutline(result.outlinePoints, tolerance, outline)) return 0;
  std::string out;
  out.reserve(1024 + outline.size() * 64);
  WriteDxfLine(out, "0\r\nSECTION\r\n2\r\nHEADER");
  WriteDxfLine(out, "9\r\n$ACADVER\r\n1\r\nAC1009");
  WriteDxfLine(out, "9\r\n$INSUNITS\r\n70\r\n4");
  WriteDxfLine(out, "9\r\n$EXTMIN");
  WriteDxfNumber(out, "10", result.minX);
  WriteDxfNumber(out, "20", result.minY);
  WriteDxfLine(out, "30\r\n0.0");
  WriteDxfLine(out, "9\r\n$EXTMAX");
  WriteDxfNumber(out, "10", result.maxX);
  WriteDxfNumber(out, "20", result.maxY);
  WriteDxfLine(out, "30\r\n0.0");
  WriteDxfLine(out, "0\r\nENDSEC");
  WriteDxfLine(out, "0\r\nSECTION\r\n2\r\nENTITIES");
  WriteDxfPolyline(out, outline, Tx(TX_EXPORT_LAYER_OUTLINE), 7);
  if (withBaseLine != 0 && result.baseLinePoints.size() >= 3 && result.count > 0 &&
      AllPointsFinite(result.baseLinePoints)) {
    PointList baseLine;
    SimplifyClosedPolyline(result.baseLinePoints, tolerance, baseLine);
    if (baseLine.size() >= 3) WriteDxfPolyline(out, baseLine, Tx(TX_EXPORT_LAYER_BASE), 8);
  }
  WriteDxfLine(out, "0\r\nENDSEC\r\n0\r\nEOF");
  if (WriteWholeFile(path, {out}) == 0) return 0;
  return static_cast<int64_t>(outline.size());
}

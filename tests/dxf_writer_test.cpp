#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>

#include "engine/polyline.h"
#include "export/dxf_writer.h"
#include "export/export_file.h"
#include "tests/support/comma_locale.h"
#include "tests/support/export_files.h"
#include "text/texts.h"

namespace {

bool EndsWith(const std::string& text, const std::string& end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

DesignResult ResultOf(const PointList& outline) {
  DesignResult result;
  result.valid = 1;
  result.outlinePoints = outline;
  result.minX = -20;
  result.maxX = 20;
  result.minY = -20.25;
  result.maxY = 20.000001;
  return result;
}

const char* const kSquareFile =
    "0\r\nSECTION\r\n2\r\nHEADER\r\n9\r\n$ACADVER\r\n1\r\nAC1009\r\n9\r\n$INSUNITS\r\n70\r\n4\r\n"
    "9\r\n$EXTMIN\r\n10\r\n-20.000000\r\n20\r\n-20.250000\r\n30\r\n0.0\r\n"
    "9\r\n$EXTMAX\r\n10\r\n20.000000\r\n20\r\n20.000001\r\n30\r\n0.0\r\n0\r\nENDSEC\r\n"
    "0\r\nSECTION\r\n2\r\nENTITIES\r\n"
    "0\r\nPOLYLINE\r\n8\r\nOUTLINE\r\n62\r\n7\r\n66\r\n1\r\n70\r\n1\r\n10\r\n0.0\r\n20\r\n0.0\r\n30\r\n0.0\r\n"
    "0\r\nVERTEX\r\n8\r\nOUTLINE\r\n10\r\n-20.000000\r\n20\r\n20.000000\r\n30\r\n0.0\r\n"
    "0\r\nVERTEX\r\n8\r\nOUTLINE\r\n10\r\n-20.000000\r\n20\r\n-20.000000\r\n30\r\n0.0\r\n"
    "0\r\nVERTEX\r\n8\r\nOUTLINE\r\n10\r\n20.000000\r\n20\r\n-20.000000\r\n30\r\n0.0\r\n"
    "0\r\nVERTEX\r\n8\r\nOUTLINE\r\n10\r\n20.000000\r\n20\r\n20.000000\r\n30\r\n0.0\r\n"
    "0\r\nSEQEND\r\n8\r\nOUTLINE\r\n0\r\nENDSEC\r\n0\r\nEOF\r\n";

TEST(DxfWriter, SquareGivesTheExactBytes) {
  std::string path = ExportTestPath("square.dxf");
  ASSERT_EQ(ExportOutlineDxf(path, ResultOf(SquareOutline(40)), 0, OUTLINE_EXPORT_TOLERANCE), 4);
  EXPECT_EQ(ReadFileBytes(path), kSquareFile);
  if (!UseCommaLocale()) GTEST_SKIP() << "no comma locale";
  std::string again = ExportTestPath("square.dxf");
  int64_t count = ExportOutlineDxf(again, ResultOf(SquareOutline(40)), 0, OUTLINE_EXPORT_TOLERANCE);
  RestoreCLocale();
  EXPECT_EQ(count, 4);
  EXPECT_EQ(ReadFileBytes(again), kSquareFile);
}

TEST(DxfWriter, BaseLineOnlyWithAPatternAndEnoughPoints) {
  DesignResult result = ResultOf(CircleOutline(21, 120));
  result.baseLinePoints = CircleOutline(20, 120);
  result.count = 0;
  std::string path = ExportTestPath("nobase.dxf");
  ASSERT_EQ(ExportOutlineDxf(path, result, 1, OUTLINE_EXPORT_TOLERANCE), 120);
  EXPECT_EQ(ReadFileBytes(path).find("BASE"), std::string::npos);
  result.count = 6;
  result.baseLinePoints.resize(2);
  ASSERT_EQ(ExportOutlineDxf(path, result, 1, OUTLINE_EXPORT_TOLERANCE), 120);
  EXPECT_EQ(ReadFileBytes(path).find("BASE"), std::string::npos);
  result.baseLinePoints = CircleOutline(20, 120);
  ASSERT_EQ(ExportOutlineDxf(path, result, 0, OUTLINE_EXPORT_TOLERANCE), 120);
  EXPECT_EQ(ReadFileBytes(path).find("BASE"), std::string::npos);
  ASSERT_EQ(ExportOutlineDxf(path, result, 1, OUTLINE_EXPORT_TOLERANCE), 120);
  std::string bytes = ReadFileBytes(path);
  size_t base = bytes.find("0\r\nPOLYLINE\r\n8\r\nBASE\r\n62\r\n8\r\n");
  ASSERT_NE(base, std::string::npos);
  EXPECT_GT(base, bytes.find("0\r\nSEQEND\r\n8\r\nOUTLINE\r\n"));
  EXPECT_TRUE(EndsWith(bytes, "0\r\nSEQEND\r\n8\r\nBASE\r\n0\r\nENDSEC\r\n0\r\nEOF\r\n"));
}

TEST(DxfWriter, DutchLayersAndSmallCoordinates) {
  PointList outline = {{0, 10}, {-10, -1e-7}, {-1e-13, -10}, {12.5, 0}};
  gTexts = gTextsNl;
  DesignResult result = ResultOf(outline);
  result.baseLinePoints = CircleOutline(5, 40);
  result.count = 3;
  std::string path = ExportTestPath("klein.dxf");
  int64_t count = ExportOutlineDxf(path, result, 1, OUTLINE_EXPORT_TOLERANCE);
  gTexts = gTextsEn;
  ASSERT_EQ(count, 4);
  std::string bytes = ReadFileBytes(path);
  EXPECT_NE(bytes.find("8\r\nOMTREK\r\n10\r\n-10.000000\r\n20\r\n-0.000000\r\n"), std::string::npos);
  EXPECT_NE(bytes.find("8\r\nOMTREK\r\n10\r\n0.000000\r\n20\r\n-10.000000\r\n"), std::string::npos);
  EXPECT_NE(bytes.find("10\r\n12.500000\r\n"), std::string::npos);
  EXPECT_NE(bytes.find("0\r\nPOLYLINE\r\n8\r\nBASIS\r\n62\r\n8\r\n"), std::string::npos);
}

TEST(DxfWriter, LinesDropCharactersWiderThanOneByte) {
  std::string out;
  WriteDxfLine(out, "caf\xC3\xA9 \xE2\x82\xAC!");
  EXPECT_EQ(out, "caf\xE9 !\r\n");
}

TEST(DxfWriter, RefusalsAndWriteFailures) {
  std::string path = ExportTestPath("refused.dxf");
  DesignResult result = ResultOf(SquareOutline(10));
  result.valid = 0;
  EXPECT_EQ(ExportOutlineDxf(path, result, 0, OUTLINE_EXPORT_TOLERANCE), 0);
  EXPECT_EQ(ExportOutlineDxf(path, ResultOf({{0, 0}, {1, 1}}), 0, OUTLINE_EXPORT_TOLERANCE), 0);
  // Thinned to a line: no outline left to draw.
  EXPECT_EQ(ExportOutlineDxf(path, ResultOf({{0, 0}, {1, 0}, {2, 0}, {3, 0}}), 0, OUTLINE_EXPORT_TOLERANCE), 0);
  EXPECT_EQ(gExportError, Tx(TX_EXPORT_NO_OUTLINE));
  EXPECT_FALSE(FileExists(path));
  gExportError.clear();
  EXPECT_EQ(ExportOutlineDxf(ExportTestPath("none/x.dxf"), ResultOf(SquareOutline(10)), 0, 0.001), 0);
  EXPECT_EQ(gExportError, Tx(TX_EXPORT_CANNOT_WRITE));
  if (FileExists("/dev/full")) {
    gExportError.clear();
    EXPECT_EQ(ExportOutlineDxf("/dev/full", ResultOf(SquareOutline(10)), 0, 0.001), 0);
    EXPECT_EQ(gExportError, Tx(TX_EXPORT_CANNOT_WRITE));
    EXPECT_TRUE(FileExists("/dev/full"));
  }
}

// Read back by ezdxf, as a CAD program would.
TEST(DxfWriter, EzdxfReadsOutlineAndBaseLine) {
  std::string probe;
  if (RunCommand("/usr/bin/python3 -c 'import ezdxf' 2>&1", probe) != 0) GTEST_SKIP() << "ezdxf is not installed";
  DesignResult result = ResultOf(WavyOutline(30, 2, 12, 3000));
  result.baseLinePoints = CircleOutline(30, 500);
  result.count = 12;
  std::string path = ExportTestPath("wavy.dxf");
  int64_t count = ExportOutlineDxf(path, result, 1, OUTLINE_EXPORT_TOLERANCE);
  ASSERT_GT(count, 2);
  PointList simplified, base;
  SimplifyClosedPolyline(result.outlinePoints, OUTLINE_EXPORT_TOLERANCE, simplified);
  SimplifyClosedPolyline(result.baseLinePoints, OUTLINE_EXPORT_TOLERANCE, base);
  EXPECT_EQ(count, static_cast<int64_t>(simplified.size()));
  std::string output;
  std::string script = std::string(RIBBELO_SOURCE_DIR) + "/tests/tools/dxf_check.py";
  ASSERT_EQ(RunCommand("/usr/bin/python3 " + script + " " + path + " 2>&1", output), 0) << output;
  // Compact checks on the JSON text without a JSON library.
  EXPECT_NE(output.find("\"version\": \"AC1009\""), std::string::npos) << output.substr(0, 200);
  EXPECT_NE(output.find("\"insunits\": 4"), std::string::npos);
  EXPECT_NE(output.find("\"errors\": 0"), std::string::npos);
  EXPECT_NE(output.find("\"entities\": 2"), std::string::npos);
  EXPECT_NE(output.find("{\"layer\": \"OUTLINE\", \"closed\": true, \"colour\": 7"), std::string::npos);
  EXPECT_NE(output.find("{\"layer\": \"BASE\", \"closed\": true, \"colour\": 8"), std::string::npos);
  // Vertices as read, against the simplified rings to six decimals.
  std::string points;
  RunCommand("/usr/bin/python3 -c \"import ezdxf,sys; d=ezdxf.readfile(sys.argv[1]); "
             "[print(e.dxf.layer, repr(v.dxf.location.x), repr(v.dxf.location.y)) "
             "for e in d.modelspace() for v in e.vertices]\" " + path, points);
  std::istringstream read(points);
  std::string layer;
  double x, y;
  size_t outlineCount = 0, baseCount = 0, far = 0;
  while (read >> layer >> x >> y) {
    const PointList& ring = layer == "OUTLINE" ? simplified : base;
    size_t& index = layer == "OUTLINE" ? outlineCount : baseCount;
    if (index < ring.size() && (std::fabs(ring[index].x - x) > 5e-7 || std::fabs(ring[index].y - y) > 5e-7)) ++far;
    ++index;
  }
  EXPECT_EQ(outlineCount, simplified.size());
  EXPECT_EQ(baseCount, base.size());
  EXPECT_EQ(far, 0u);
  std::string bytes = ReadFileBytes(path);
  EXPECT_EQ(bytes.rfind("0\r\nSECTION\r\n2\r\nHEADER\r\n", 0), 0u);
  EXPECT_TRUE(EndsWith(bytes, "\r\n0\r\nEOF\r\n"));
}

}  // namespace

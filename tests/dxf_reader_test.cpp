#include <gtest/gtest.h>

#include <unistd.h>

#include <cmath>
#include <string>

#include "import/curve_sampling.h"
#include "import/dxf_pairs.h"
#include "import/dxf_reader.h"
#include "import/import_pieces.h"
#include "import/import_state.h"
#include "tests/support/comma_locale.h"
#include "tests/support/default_design.h"
#include "tests/support/import_files.h"
#include "text/texts.h"

namespace {

struct Imported {
  int64_t result = 0;
  PointList points;
  double width = -1, height = -1;
};

Imported ImportFile(const std::string& path) {
  Imported out;
  out.result = ImportDxfOutline(path, out.points, out.width, out.height);
  // Whatever happens, no number text of a special value reaches the message.
  for (const char* word : {"nan", "NaN", "inf", "Inf"}) EXPECT_EQ(gImportMessage.find(word), std::string::npos);
  return out;
}

Imported ImportText(const std::string& name, const std::string& text) {
  std::string path = ImportTestPath(name);
  WriteTestFile(path, text);
  return ImportFile(path);
}

Imported ImportEzdxf(const std::string& name, const std::string& body) {
  std::string path = ImportTestPath(name);
  EXPECT_TRUE(WriteEzdxfFile(path, body)) << body;
  return ImportFile(path);
}

bool CounterClockwise(const PointList& p) { return ComputeSignedArea(p) > 0; }

const char* kCircle = "0\nCIRCLE\n10\n0\n20\n0\n40\n5\n";

TEST(DxfPairs, LineEndsByteOrderMarksAndTrailingLines) {
  std::string path = ImportTestPath("pairs.dxf");
  // CR LF, a lone CR, a lone LF and a NUL all end a line; blanks are trimmed, tabs stay.
  const char bytes[] = "\xEF\xBB\xBF  0\r\nSECTION \r2\nENTITIES\0  10\n\t1,5\n 999";
  WriteTestFile(path, std::string(bytes, sizeof bytes - 1));
  ASSERT_TRUE(ReadDxfPairs(path));
  ASSERT_EQ(gDxfPairCount, 4);
  EXPECT_EQ(gDxfCodes[0], 0);
  EXPECT_EQ(gDxfValues[0], "SECTION");
  EXPECT_EQ(gDxfValues[1], "ENTITIES");
  EXPECT_EQ(gDxfCodes[2], 10);
  EXPECT_EQ(gDxfValues[2], "\t1,5");
  EXPECT_EQ(ReadDxfDouble(2), 1);
  EXPECT_EQ(gDxfCodes[3], 999);  // a code line without a value line
  EXPECT_EQ(gDxfValues[3], "");
  WriteTestFile(path, "\xFF\xFE" "0\nEOF\n\n");
  ASSERT_TRUE(ReadDxfPairs(path));
  EXPECT_EQ(gDxfPairCount, 1);  // the trailing empty line is not a pair
  WriteTestFile(path, "\n");
  EXPECT_FALSE(ReadDxfPairs(path));
  EXPECT_FALSE(ReadDxfPairs(ImportTestPath("missing.dxf")));
  EXPECT_FALSE(ReadDxfPairs("/tmp"));
  ReleaseDxfPairs();
}

TEST(DxfPairs, NumbersAreReadAsTheirLeadingPart) {
  std::string path = ImportTestPath("numbers.dxf");
  WriteTestFile(path,
                "1\n  -2.5e2xyz\n1\n.5\n1\n+Infinity\n1\n-Infinity\n1\nNaN\n1\nabc\n1\n\n1\n1e999\n1\n1e-999\n"
                "1\n3.\n1\n7e\n-12x\n1\n99999999999999999999999\n1\n");
  ASSERT_TRUE(ReadDxfPairs(path));
  EXPECT_EQ(ReadDxfDouble(0), -250);
  EXPECT_EQ(ReadDxfDouble(1), 0.5);
  EXPECT_TRUE(std::isinf(ReadDxfDouble(2)) && ReadDxfDouble(2) > 0);
  EXPECT_TRUE(std::isinf(ReadDxfDouble(3)) && ReadDxfDouble(3) < 0);
  EXPECT_TRUE(std::isnan(ReadDxfDouble(4)));
  EXPECT_EQ(ReadDxfDouble(5), 0);
  EXPECT_EQ(ReadDxfDouble(6), 0);
  EXPECT_TRUE(std::isinf(ReadDxfDouble(7)));
  EXPECT_EQ(ReadDxfDouble(8), 0);
  EXPECT_EQ(ReadDxfDouble(9), 3);
  EXPECT_EQ(ReadDxfDouble(10), 7);
  EXPECT_EQ(gDxfCodes[11], -12);
  EXPECT_EQ(gDxfCodes[12], INT64_MAX);  // held, never overflowing
  ReleaseDxfPairs();
}

TEST(DxfImport, CircleIsCentredAndStartsAtTheTop) {
  Imported r = ImportEzdxf("circle.dxf", "msp.add_circle((37, -12), 5)");
  ASSERT_EQ(r.result, 1) << gImportMessage;
  EXPECT_EQ(gImportMessage, "1 closed loop(s); the largest is used (360 points).");
  ASSERT_EQ(r.points.size(), 360u);
  EXPECT_NEAR(r.width, 10, 1e-9);
  EXPECT_NEAR(r.height, 10, 1e-9);
  EXPECT_EQ(r.points[0].x, 0);
  EXPECT_NEAR(r.points[0].y, 5, 1e-9);
  EXPECT_TRUE(CounterClockwise(r.points));
  EXPECT_TRUE(gImportPieces.empty());
}

TEST(DxfImport, DutchMessage) {
  gTexts = gTextsNl;
  Imported r = ImportText("circle_nl.dxf", DxfEntities(kCircle));
  std::string ok = gImportMessage;
  ImportText("empty_nl.dxf", DxfEntities(""));
  std::string empty = gImportMessage;
  gTexts = gTextsEn;
  EXPECT_EQ(ok, "1 gesloten lus(sen); de grootste is gebruikt (360 punten).");
  EXPECT_EQ(empty, "Geen bruikbare lijnen gevonden in het DXF-bestand.");
}

TEST(DxfImport, SameUnderACommaLocale) {
  if (!UseCommaLocale()) GTEST_SKIP() << "no locale with a decimal comma";
  Imported r = ImportText("comma.dxf", DxfEntities("0\nCIRCLE\n10\n1.5\n20\n0\n40\n2.25\n"));
  RestoreCLocale();
  ASSERT_EQ(r.result, 1) << gImportMessage;
  EXPECT_NEAR(r.width, 4.5, 1e-9);
}

TEST(DxfImport, ShuffledLinesOfASquareAndAStrayLine) {
  Imported r = ImportEzdxf("square.dxf",
                           "msp.add_line((10, 0), (10, 10))\n"
                           "msp.add_line((50, 50), (60, 70))\n"
                           "msp.add_line((0, 10), (10, 10))\n"
                           "msp.add_line((0, 0), (10, 0))\n"
                           "msp.add_line((0, 0), (0, 10))\n");
  ASSERT_EQ(r.result, 1) << gImportMessage;
  EXPECT_EQ(gImportMessage, "1 closed loop(s); the largest is used (5 points).");
  ASSERT_EQ(r.points.size(), 5u);
  EXPECT_EQ(r.points[0].x, 0);
  EXPECT_EQ(r.points[0].y, 5);
  EXPECT_EQ(r.points[1].x, -5);  // counter-clockwise: left along the top
  EXPECT_TRUE(CounterClockwise(r.points));
  EXPECT_EQ(r.width, 10);
  EXPECT_EQ(r.height, 10);
}

TEST(DxfImport, ArcAndEllipseWithADownwardExtrusionMeetTheirWorldEnds) {
  Imported arc = ImportEzdxf("arc_down.dxf",
                             "a = msp.add_arc((10, 5), 4, 30, 120, dxfattribs={'extrusion': (0, 0, -1)})\n"
                             "msp.add_line(a.end_point, a.start_point)\n");
  ASSERT_EQ(arc.result, 1) << gImportMessage;
  EXPECT_EQ(gImportMessage.substr(0, 2), "1 ");
  Imported ellipse =
      ImportEzdxf("ellipse_down.dxf",
                  "e = msp.add_ellipse((10, 5), (6, 2), 0.5, 0.3, 2.5, dxfattribs={'extrusion': (0, 0, -1)})\n"
                  "msp.add_line(e.end_point, e.start_point)\n");
  ASSERT_EQ(ellipse.result, 1) << gImportMessage;
  // An upward full ellipse for comparison: its size is the axes'.
  Imported full = ImportEzdxf("ellipse.dxf", "msp.add_ellipse((3, 4), (0, 8), 0.25)\n");
  ASSERT_EQ(full.result, 1) << gImportMessage;
  EXPECT_NEAR(full.width, 4, 1e-3);
  EXPECT_NEAR(full.height, 16, 1e-3);
}

TEST(DxfImport, BulgedTwoVertexPolylineIsACircle) {
  Imported r = ImportEzdxf("bulge.dxf", "msp.add_lwpolyline([(-10, 0, 0, 0, 1), (10, 0, 0, 0, 1)], close=True)\n");
  ASSERT_EQ(r.result, 1) << gImportMessage;
  EXPECT_EQ(r.points.size(), 360u);
  EXPECT_NEAR(r.width, 20, 1e-9);
  EXPECT_NEAR(r.height, 20, 1e-9);
}

TEST(DxfImport, SplinesByFitPointsAndByControlPoints) {
  Imported fit = ImportEzdxf("spline_fit.dxf",
                             "s = msp.add_spline([(0, 0), (10, 5), (20, 0), (10, 12)])\n"
                             "msp.add_line((10, 12), (0, 0))\n");
  ASSERT_EQ(fit.result, 1) << gImportMessage;
  EXPECT_EQ(fit.points.size(), 4u);  // the fit points joined straight; the last is on the axis
  EXPECT_EQ(fit.width, 20);
  Imported control = ImportEzdxf("spline_control.dxf",
                                 "msp.add_open_spline([(0, 0), (0, 10), (10, 10), (10, 0)], 3, "
                                 "[0, 0, 0, 0, 1, 1, 1, 1])\n"
                                 "msp.add_line((10, 0), (0, 0))\n");
  ASSERT_EQ(control.result, 1) << gImportMessage;
  EXPECT_NEAR(control.width, 10, 1e-9);
  EXPECT_NEAR(control.height, 7.5, 1e-9);  // the Bezier's highest point
  EXPECT_GT(control.points.size(), 10u);
}

TEST(DxfImport, RawEntitiesNamesSectionsAndMirroring) {
  // Lower-case names, an ARC without 51 (a full turn), and mirrored pieces.
  Imported lower = ImportText("lower.dxf", "0\nsection\n2\nentities\n0\narc\n10\n0\n20\n0\n40\n3\n0\nendsec\n");
  ASSERT_EQ(lower.result, 1) << gImportMessage;
  EXPECT_NEAR(lower.width, 6, 1e-9);
  // Entities only in BLOCKS, or after a SECTION without a name, are not read.
  Imported blocks = ImportText("blocks.dxf", std::string("0\nSECTION\n2\nBLOCKS\n") + kCircle + "0\nENDSEC\n0\nSECTION\n0\nINSERT\n");
  EXPECT_EQ(blocks.result, 0);
  EXPECT_EQ(gImportMessage, "No usable lines found in the DXF file.");
  EXPECT_EQ(blocks.width, -1);  // outputs untouched
  // A LINE is never mirrored, a polyline with 230 = -1 is: only the
  // mirrored square meets the line-drawn one along x = -10.
  std::string square = "0\nLWPOLYLINE\n70\n0\n230\n-1\n10\n10\n20\n0\n10\n20\n20\n0\n10\n20\n20\n10\n10\n10\n20\n10\n";
  std::string closing = "0\nLINE\n10\n-10\n20\n10\n11\n-10\n21\n0\n230\n-1\n";
  Imported mirrored = ImportText("mirror.dxf", DxfEntities(square + closing));
  ASSERT_EQ(mirrored.result, 1) << gImportMessage;
  EXPECT_EQ(mirrored.width, 10);
}

TEST(DxfImport, PolylineVerticesMeshesAnd3DPolylines) {
  std::string vertices = "0\nVERTEX\n10\n0\n20\n0\n0\nVERTEX\n10\n4\n20\n0\n0\nVERTEX\n10\n4\n20\n3\n0\nSEQEND\n8\n0\n";
  Imported plain = ImportText("polyline.dxf", DxfEntities("0\nPOLYLINE\n70\n1\n" + vertices + kCircle));
  ASSERT_EQ(plain.result, 1) << gImportMessage;
  EXPECT_EQ(gImportMessage.substr(0, 2), "2 ");  // the walk went on after SEQEND
  Imported mesh = ImportText("mesh.dxf", DxfEntities("0\nPOLYLINE\n70\n17\n" + vertices));
  EXPECT_EQ(mesh.result, 0);
  EXPECT_EQ(gImportMessage, "No usable lines found in the DXF file.");
  // A 3D polyline keeps its world x even under a downward extrusion: it
  // meets the LINE that closes it only when unmirrored.
  std::string open3d = "0\nPOLYLINE\n70\n8\n230\n-1\n" + vertices;
  Imported world = ImportText("poly3d.dxf", DxfEntities(open3d + "0\nLINE\n10\n4\n20\n3\n11\n0\n21\n0\n"));
  ASSERT_EQ(world.result, 1) << gImportMessage;
  EXPECT_EQ(world.width, 4);
}

TEST(DxfImport, FailuresAndTheirMessages) {
  Imported missing = ImportFile(ImportTestPath("none.dxf"));
  EXPECT_EQ(missing.result, 0);
  EXPECT_EQ(gImportMessage, "Cannot read the file.");
  ImportFile("/tmp");
  EXPECT_EQ(gImportMessage, "Cannot read the file.");
  Imported gap = ImportText("gap.dxf", DxfEntities("0\nLINE\n11\n10\n0\nLINE\n10\n10\n21\n10\n0\nLINE\n10\n5\n20\n10\n"));
  EXPECT_EQ(gap.result, 0);
  EXPECT_EQ(gImportMessage, "No closed outline found in the DXF file.");
  // A file cut off inside an entity still reads what it holds.
  std::string whole = DxfEntities(kCircle);
  Imported cut = ImportText("cut.dxf", whole.substr(0, whole.find("40\n5") + 3));
  EXPECT_EQ(cut.result, 0);
  EXPECT_EQ(gImportMessage, "No usable lines found in the DXF file.");  // radius read as 0
  Imported zeroRadius = ImportText("r0.dxf", DxfEntities("0\nCIRCLE\n40\n0\n0\nCIRCLE\n40\n-2\n"));
  EXPECT_EQ(gImportMessage, "No usable lines found in the DXF file.");
  EXPECT_EQ(zeroRadius.result, 0);
  // Past the size limit the file is refused before it is read.
  const std::string huge = ImportTestPath("huge.dxf");
  WriteTestFile(huge, DxfEntities(kCircle));
  ASSERT_EQ(truncate(huge.c_str(), DXF_MAX_FILE_BYTES + 1), 0);
  EXPECT_EQ(ImportFile(huge).result, 0);
  EXPECT_EQ(gImportMessage, "Cannot read the file.");
  // A binary DXF (its sentinel, then a SECTION / ENTITIES / EOF of binary pairs) is named for what it is.
  const char binary[] = "AutoCAD Binary DXF\r\n\x1a\0\0\0SECTION\0\2\0ENTITIES\0\0\0ENDSEC\0\0\0EOF\0";
  EXPECT_EQ(ImportText("binary.dxf", std::string(binary, sizeof binary - 1)).result, 0);
  EXPECT_EQ(gImportMessage, "Binary DXF is not supported; save the drawing as ASCII DXF.");
  {
    DutchTexts dutch;
    ImportFile(ImportTestPath("binary.dxf"));
  }
  EXPECT_EQ(gImportMessage, "Binaire DXF wordt niet ondersteund; sla de tekening op als ASCII-DXF.");
}

TEST(DxfImport, NonFiniteNumbersDropTheEntity) {
  const char* bad[] = {
      "0\nCIRCLE\n40\nNaN\n",
      "0\nCIRCLE\n10\n1e999\n40\n2\n",
      "0\nLINE\n10\n-Infinity\n",
      "0\nARC\n40\n2\n50\n+Infinity\n",
      "0\nELLIPSE\n11\n1\n41\nNaN\n",
      "0\nLWPOLYLINE\n70\n1\n10\n0\n20\n0\n10\n1\n20\nNaN\n10\n1\n20\n1\n",
      "0\nSPLINE\n11\n0\n21\n0\n11\n5\n21\nInfinity\n11\n0\n21\n5\n70\n1\n",
  };
  for (const char* entity : bad) {
    Imported r = ImportText("nonfinite.dxf", DxfEntities(entity));
    EXPECT_EQ(r.result, 0) << entity;
    EXPECT_EQ(gImportMessage, "No usable lines found in the DXF file.") << entity;
  }
  // Finite but overflowing spreads give no outline instead of infinite sizes.
  Imported huge = ImportText("huge.dxf", DxfEntities("0\nLWPOLYLINE\n70\n1\n10\n-1e308\n20\n0\n10\n1e308\n20\n0\n10\n0\n20\n1e308\n"));
  EXPECT_EQ(huge.result, 0);
  EXPECT_EQ(gImportMessage, "No closed outline found in the DXF file.");
  // Bulge arcs whose radius overflows sample non-finite points: refused too.
  Imported bulged = ImportText("huge_bulge.dxf", DxfEntities("0\nLWPOLYLINE\n70\n1\n10\n-1e308\n20\n0\n42\n0.5\n"
                                                             "10\n1e308\n20\n0\n42\n0.5\n0\nCIRCLE\n40\n1\n"));
  EXPECT_EQ(bulged.result, 1) << gImportMessage;  // the circle still wins
  EXPECT_NEAR(bulged.width, 2, 1e-9);
}

TEST(DxfImport, HostileAnglesAndSweepsFinishPromptly) {
  // Starts far beyond a turn must not spin the raise loop.
  for (const char* entity : {"0\nARC\n40\n2\n50\n1e20\n51\n0\n", "0\nARC\n40\n2\n50\n1e300\n",
                             "0\nELLIPSE\n11\n3\n40\n0.5\n41\n1e20\n42\n0\n",
                             "0\nELLIPSE\n11\n3\n40\n0.5\n41\n0\n42\n1e12\n"}) {
    Imported r = ImportText("angles.dxf", DxfEntities(entity));
    EXPECT_FALSE(gImportMessage.empty()) << entity;
    if (r.result == 1) {
      EXPECT_LE(r.points.size(), static_cast<size_t>(ARC_MAX_SEGMENTS) + 2) << entity;
    }
  }
}

TEST(DxfImport, SweepsOfManyTurnsAreTheWholeCurveOnce) {
  // 50,000 turns would wind the ring over itself and stall its simplification.
  Imported once = ImportText("ellipse1.dxf", DxfEntities("0\nELLIPSE\n11\n10\n40\n0.5\n42\n6.283185307179586\n"));
  ASSERT_EQ(once.result, 1) << gImportMessage;
  const std::string message = gImportMessage;
  Imported wound = ImportText("ellipse50k.dxf", DxfEntities("0\nELLIPSE\n11\n10\n40\n0.5\n42\n314159\n"));
  ASSERT_EQ(wound.result, 1) << gImportMessage;
  EXPECT_EQ(gImportMessage, message);
  ASSERT_EQ(wound.points.size(), once.points.size());
  for (size_t k = 0; k < once.points.size(); ++k) {
    EXPECT_EQ(wound.points[k].x, once.points[k].x) << k;
    EXPECT_EQ(wound.points[k].y, once.points[k].y) << k;
  }
  EXPECT_EQ(wound.width, once.width);
  EXPECT_NEAR(wound.height, 10, 1e-3);
  // An ARC of a million degrees is its circle.
  Imported arc = ImportText("arc.dxf", DxfEntities("0\nARC\n40\n5\n50\n30\n51\n1e6\n"));
  ASSERT_EQ(arc.result, 1) << gImportMessage;
  EXPECT_EQ(arc.points.size(), 360u);
  EXPECT_NEAR(arc.width, 10, 1e-9);
}

TEST(DxfImport, SplineDegreeAboveTheLimitFallsBackToFitPoints) {
  std::string spline = "0\nSPLINE\n70\n1\n71\n26\n";
  for (int k = 0; k < 27; ++k) spline += "10\n" + std::to_string(k) + "\n20\n0\n";
  for (int k = 0; k < 54; ++k) spline += "40\n" + std::to_string(k < 27 ? 0 : 1) + "\n";
  spline += "11\n0\n21\n0\n11\n8\n21\n0\n11\n8\n21\n6\n11\n0\n21\n0\n";
  Imported r = ImportText("degree.dxf", DxfEntities(spline));
  ASSERT_EQ(r.result, 1) << gImportMessage;
  EXPECT_EQ(r.width, 8);  // the triangle of the fit points
  EXPECT_EQ(r.height, 6);
}

TEST(DxfImport, PointBudgetRefusesTheFile) {
  // Together the circles ask for more points than the (lowered) budget.
  std::string arcs;
  for (int k = 0; k < 300; ++k) arcs += "0\nCIRCLE\n40\n1\n";
  std::string path = ImportTestPath("budget.dxf");
  WriteTestFile(path, DxfEntities(arcs));
  PointList points{{1, 2}};
  double w = 3, h = 4;
  gImportPointLimit = 100000;
  EXPECT_EQ(ImportDxfOutline(path, points, w, h), 0);
  gImportPointLimit = IMPORT_MAX_POINTS;
  EXPECT_EQ(gImportMessage, "Cannot read the file.");
  EXPECT_EQ(points.size(), 1u);
  EXPECT_EQ(w, 3);
  gImportPieces.clear();
  gImportPieces.shrink_to_fit();
}

}  // namespace

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <limits>
#include <map>
#include <string>
#include <vector>

#include "export/export_file.h"
#include "export/outline_step.h"
#include "export/step_writer.h"
#include "tests/support/export_files.h"
#include "tests/support/ring_checks.h"
#include "text/texts.h"

namespace {

// "#n". Appended rather than "#" + a temporary, on which GCC 12 warns
// falsely (-Wrestrict).
std::string EntityRef(size_t n) {
  std::string ref = "#";
  ref += std::to_string(n);
  return ref;
}

std::vector<int64_t> Breaks(const PointList& ring) {
  std::vector<double> x, y;
  for (const OutlinePoint& p : ring) {
    x.push_back(p.x);
    y.push_back(p.y);
  }
  std::vector<int64_t> breaks;
  int64_t m = SplitAtCorners(x.data(), y.data(), static_cast<int64_t>(ring.size()), breaks);
  EXPECT_EQ(breaks.size(), ring.size() + 1);
  EXPECT_EQ(breaks[static_cast<size_t>(m)], breaks[0]);
  breaks.resize(static_cast<size_t>(m));
  return breaks;
}

// A teardrop of 100 points whose only sharp turn is its tip, point 50.
PointList Teardrop() {
  OutlinePoint tip{0, -2};
  double a0 = -M_PI / 6, a1 = 7 * M_PI / 6;
  OutlinePoint A{std::cos(a0), std::sin(a0)}, B{std::cos(a1), std::sin(a1)};
  PointList walk{tip};
  for (int j = 1; j <= 7; ++j) walk.push_back({tip.x + (A.x - tip.x) * j / 8, tip.y + (A.y - tip.y) * j / 8});
  for (int j = 0; j <= 84; ++j) {
    double a = a0 + (a1 - a0) * j / 84;
    walk.push_back({std::cos(a), std::sin(a)});
  }
  for (int j = 1; j <= 7; ++j) walk.push_back({B.x + (tip.x - B.x) * j / 8, B.y + (tip.y - B.y) * j / 8});
  PointList ring(100);
  for (int i = 0; i < 100; ++i) ring[static_cast<size_t>(i)] = walk[static_cast<size_t>((i + 50) % 100)];
  return ring;
}

TEST(SplitAtCorners, ThirdsCornersAndThePieceCap) {
  EXPECT_EQ(Breaks(CircleOutline(20, 90)), (std::vector<int64_t>{0, 30, 60}));
  EXPECT_EQ(Breaks(CircleOutline(20, 450)), (std::vector<int64_t>{0, 150, 300}));
  EXPECT_EQ(Breaks(CircleOutline(20, 900)), (std::vector<int64_t>{0, 200, 400, 600, 800}));
  EXPECT_EQ(Breaks(Teardrop()), (std::vector<int64_t>{50, 83, 16}));
  EXPECT_EQ(Breaks(SquareOutline(40)), (std::vector<int64_t>{1, 2, 3, 4}));
  // An edge of no length makes both of its ends corners.
  PointList ring = CircleOutline(20, 90);
  ring.insert(ring.begin() + 10, ring[10]);
  EXPECT_EQ(Breaks(ring), (std::vector<int64_t>{10, 11, 70}));
}

TEST(DensifyPolylinePiece, EdgesAreCutAtTheStepAndTheEndIsKept) {
  double x[4] = {0, 0.25, 0.30, 5};
  double y[4] = {0, 0, 0, 5};
  std::vector<double> cx(2), cy(2);
  int64_t count = DensifyPolylinePiece(x, y, 4, 0, 3, cx, cy, 0.1);
  ASSERT_EQ(count, 5);
  EXPECT_GE(cx.size(), 5u);
  EXPECT_DOUBLE_EQ(cx[1], 0.25 / 3);
  EXPECT_DOUBLE_EQ(cx[2], 0.5 / 3);
  EXPECT_EQ(cx[3], 0.25);
  EXPECT_EQ(cx[4], 0.30);
  // A piece across the ring's seam, from point 3 over 0 to 1.
  count = DensifyPolylinePiece(x, y, 4, 3, 3, cx, cy, 10);
  ASSERT_EQ(count, 3);
  EXPECT_EQ(cx[0], 5);
  EXPECT_EQ(cx[1], 0);
  EXPECT_EQ(cx[2], 0.25);
}

TEST(AddBSplineCurve, DegreeMultiplicitiesAndKnots) {
  int64_t shape, context;
  BeginStepModel("b", shape, context);
  double cx[5] = {0, 1, 2, 3, 4}, cy[5] = {0, 0, 1, 1, 0};
  int64_t curve = AddBSplineCurve(cx, cy, 5, 2.0);
  EXPECT_EQ(curve, 19);
  EXPECT_EQ(StepLine(13), "#14=CARTESIAN_POINT('',(0.000000,0.000000,2.000000));");
  EXPECT_EQ(StepLine(18), "#19=B_SPLINE_CURVE_WITH_KNOTS('',3,(#14,#15,#16,#17,#18),.UNSPECIFIED.,.F.,.F.,"
                          "(4,1,4),(0.0,1.0,2.0),.UNSPECIFIED.);");
  AddBSplineCurve(cx, cy, 3, 0.0);
  EXPECT_EQ(StepLine(StepLineCount() - 1), "#23=B_SPLINE_CURVE_WITH_KNOTS('',2,(#20,#21,#22),.UNSPECIFIED.,.F.,.F.,"
                                           "(3,3),(0.0,1.0),.UNSPECIFIED.);");
  BeginStepModel("b", shape, context);
}

DesignResult ResultOf(const PointList& outline) {
  DesignResult result;
  result.valid = 1;
  result.outlinePoints = outline;
  return result;
}

std::vector<std::string> DataLines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = bytes.find("DATA;\n");
  if (start == std::string::npos) return lines;
  start += 6;
  while (true) {
    size_t end = bytes.find('\n', start);
    if (end == std::string::npos) break;
    std::string line = bytes.substr(start, end - start);
    if (line == "ENDSEC;") break;
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

TEST(OutlineStep, SquareSolidLayout) {
  std::string path = ExportTestPath("my'part.v2.stp");
  ASSERT_EQ(ExportOutlineStep(path, ResultOf(SquareOutline(40)), STEP_AS_SOLID, 10, 0.001), 4);
  std::string bytes = ReadFileBytes(path);
  std::vector<std::string> lines = DataLines(bytes);
  ASSERT_GT(lines.size(), 20u);
  EXPECT_EQ(lines[3], "#4=PRODUCT('mypart.v2','mypart.v2','',(#3));");
  EXPECT_EQ(lines[13], "#14=DIRECTION('',(0.,0.,1.));");
  EXPECT_EQ(lines[14], "#15=DIRECTION('',(1.,0.,0.));");
  EXPECT_EQ(lines[15], "#16=CARTESIAN_POINT('',(0.000000,0.000000,0.000000));");
  EXPECT_EQ(lines[16], "#17=AXIS2_PLACEMENT_3D('',#16,#14,#15);");
  EXPECT_EQ(lines[19], "#20=VECTOR('',#18,10.000000);");
  size_t n = lines.size();
  std::string last = EntityRef(n) + "=SHAPE_DEFINITION_REPRESENTATION(#8," + EntityRef(n - 1) + ");";
  EXPECT_EQ(lines[n - 1], last);
  EXPECT_EQ(lines[n - 2].rfind(EntityRef(n - 1) + "=ADVANCED_BREP_SHAPE_REPRESENTATION('mypart.v2',(#17," +
                                   EntityRef(n - 2) + "),#13);", 0), 0u);
  EXPECT_EQ(lines[n - 3], EntityRef(n - 2) + "=MANIFOLD_SOLID_BREP('Outline'," + EntityRef(n - 3) + ");");
  EXPECT_EQ(CountOf(bytes, "=ADVANCED_FACE("), 6u);
  EXPECT_EQ(CountOf(bytes, "=PLANE("), 6u);
  EXPECT_EQ(CountOf(bytes, "=EDGE_CURVE("), 12u);
  EXPECT_EQ(CountOf(bytes, "=VERTEX_POINT("), 8u);
  // The first side plane: left side from (-20, 20) down to (-20, -20).
  EXPECT_NE(bytes.find("DIRECTION('',(-1.000000,0.000000,0.))"), std::string::npos);
  EXPECT_NE(bytes.find("DIRECTION('',(0.000000,-1.000000,0.))"), std::string::npos);
  EXPECT_NE(bytes.find("FILE_DESCRIPTION(('Outline with pattern'),'2;1');"), std::string::npos);
}

TEST(OutlineStep, CurveFormHoldsTrimmedLinesAndCurvesOnly) {
  std::string path = ExportTestPath("curves.stp");
  ASSERT_EQ(ExportOutlineStep(path, ResultOf(SquareOutline(40)), STEP_AS_CURVE, 0, 0.001), 4);
  std::string bytes = ReadFileBytes(path);
  EXPECT_EQ(bytes.find("(0.,0.,1.)"), std::string::npos);
  EXPECT_EQ(bytes.find("(1.,0.,0.)"), std::string::npos);
  EXPECT_EQ(CountOf(bytes, "=LINE("), 4u);
  EXPECT_EQ(CountOf(bytes, "=TRIMMED_CURVE('',#"), 4u);
  EXPECT_NE(bytes.find("#16=VECTOR('',#14,40.000000);"), std::string::npos);
  EXPECT_NE(bytes.find(",(PARAMETER_VALUE(0.)),(PARAMETER_VALUE(1.)),.T.,.PARAMETER.);"), std::string::npos);
  std::vector<std::string> lines = DataLines(bytes);
  size_t n = lines.size();
  EXPECT_EQ(lines[n - 3].find("=GEOMETRIC_CURVE_SET('Outline',(#"), std::to_string(n - 2).size() + 1);
  EXPECT_EQ(lines[n - 2], EntityRef(n - 1) + "=GEOMETRICALLY_BOUNDED_WIREFRAME_SHAPE_REPRESENTATION('" +
                              "curves',(" + EntityRef(n - 2) + "),#13);");
}

TEST(OutlineStep, CircleSolidHasThreeExtrudedBSplineSides) {
  std::string path = ExportTestPath("circle.stp");
  ASSERT_EQ(ExportOutlineStep(path, ResultOf(CircleOutline(20, 90)), STEP_AS_SOLID, 5, 0.001), 90);
  std::string bytes = ReadFileBytes(path);
  EXPECT_EQ(CountOf(bytes, "=SURFACE_OF_LINEAR_EXTRUSION("), 3u);
  EXPECT_EQ(CountOf(bytes, "=B_SPLINE_CURVE_WITH_KNOTS('',3,"), 6u);
  EXPECT_EQ(CountOf(bytes, "=ADVANCED_FACE("), 5u);
}

TEST(OutlineStep, DutchNamesInTheDutchBuild) {
  gTexts = gTextsNl;
  std::string path = ExportTestPath("omtrek.stp");
  int64_t count = ExportOutlineStep(path, ResultOf(SquareOutline(10)), STEP_AS_SOLID, 1, 0.001);
  gTexts = gTextsEn;
  ASSERT_EQ(count, 4);
  std::string bytes = ReadFileBytes(path);
  EXPECT_NE(bytes.find("MANIFOLD_SOLID_BREP('Omtrek',"), std::string::npos);
  EXPECT_NE(bytes.find("FILE_DESCRIPTION(('Omtrek met patroon'),"), std::string::npos);
}

TEST(OutlineStep, RefusedOutlinesAndHeightsWriteNothing) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  std::string path = ExportTestPath("refused.stp");
  DesignResult invalid = ResultOf(SquareOutline(10));
  invalid.valid = 0;
  EXPECT_EQ(ExportOutlineStep(path, invalid, STEP_AS_CURVE, 0, 0.001), 0);
  EXPECT_EQ(ExportOutlineStep(path, ResultOf({{0, 1}, {-1, 0}}), STEP_AS_CURVE, 0, 0.001), 0);
  EXPECT_EQ(gExportError, Tx(TX_EXPORT_NO_OUTLINE));
  // Heights that would write as 0.000000 give no solid either.
  for (double height : {0.0, -1.0, nan, inf, -inf, 1e-300, 4.9e-7}) {
    gExportError.clear();
    EXPECT_EQ(ExportOutlineStep(path, ResultOf(SquareOutline(10)), STEP_AS_SOLID, height, 0.001), 0) << height;
    EXPECT_EQ(gExportError, Tx(TX_EXPORT_STEP_HEIGHT));
  }
  // One unit of the sixth decimal is the thinnest solid written.
  ASSERT_EQ(ExportOutlineStep(path, ResultOf(SquareOutline(10)), STEP_AS_SOLID, 5.1e-7, 0.001), 4);
  EXPECT_NE(ReadFileBytes(path).find("VECTOR('',#18,0.000001);"), std::string::npos);
  std::remove(path.c_str());
  // The height does not matter for curves.
  EXPECT_EQ(ExportOutlineStep(ExportTestPath("c.stp"), ResultOf(SquareOutline(10)), STEP_AS_CURVE, nan, 0.001), 4);
  // Collinear points thin to a line of two points.
  EXPECT_EQ(ExportOutlineStep(path, ResultOf({{0, 0}, {1, 0}, {2, 0}, {3, 0}}), STEP_AS_SOLID, 1, 0.001), 0);
  EXPECT_EQ(gExportError, Tx(TX_EXPORT_NO_OUTLINE));
  // A repeated corner left in by a zero tolerance is an edge of no length.
  PointList doubled = SquareOutline(10);
  doubled.insert(doubled.begin() + 2, doubled[1]);
  EXPECT_EQ(ExportOutlineStep(path, ResultOf(doubled), STEP_AS_SOLID, 1, 0.0), 0);
  EXPECT_EQ(ExportOutlineStep(path, ResultOf(doubled), STEP_AS_CURVE, 1, 0.0), 0);
  EXPECT_EQ(StepLineCount(), 0);
  PointList broken = SquareOutline(10);
  broken[2].x = nan;
  EXPECT_EQ(ExportOutlineStep(path, ResultOf(broken), STEP_AS_CURVE, 1, 0.001), 0);
  EXPECT_FALSE(FileExists(path));
  gExportError.clear();
  EXPECT_EQ(ExportOutlineStep(ExportTestPath("no/such/dir.stp"), ResultOf(SquareOutline(10)), STEP_AS_SOLID, 1, 0.001), 0);
  EXPECT_EQ(gExportError, Tx(TX_EXPORT_CANNOT_WRITE));
}

// Read back by OpenCASCADE, as a CAD program would.
class OutlineStepReader : public ::testing::Test {
 protected:
  void SetUp() override {
    if (StepCheckerPath().empty()) GTEST_SKIP() << "the OpenCASCADE checker was not built";
  }
  std::map<std::string, double> Check(const PointList& outline, int64_t solid, double height) {
    std::string path = ExportTestPath("read.stp");
    EXPECT_GT(ExportOutlineStep(path, ResultOf(outline), solid, height, 0.001), 0);
    std::map<std::string, double> values;
    EXPECT_TRUE(CheckStepFile(path, values));
    return values;
  }
};

TEST_F(OutlineStepReader, SquareSolidIsOneValidClosedBox) {
  std::map<std::string, double> v = Check(SquareOutline(40), STEP_AS_SOLID, 10);
  EXPECT_EQ(v["solids"], 1);
  EXPECT_EQ(v["faces"], 6);
  EXPECT_EQ(v["edges"], 12);
  EXPECT_EQ(v["free_edges"], 0);
  EXPECT_EQ(v["valid"], 1);
  EXPECT_NEAR(v["volume"], 16000, 16000 * 1e-6);
}

TEST_F(OutlineStepReader, CurvedSolidsHoldTheOutlineAreaTimesHeight) {
  for (const PointList& outline : {CircleOutline(20, 90), CircleOutline(15, 900), WavyOutline(30, 2, 12, 3000)}) {
    PointList thinned = outline;
    std::map<std::string, double> v = Check(outline, STEP_AS_SOLID, 7);
    double expected = SignedArea(outline) * 7;
    EXPECT_EQ(v["solids"], 1);
    EXPECT_EQ(v["valid"], 1);
    EXPECT_EQ(v["free_edges"], 0);
    EXPECT_NEAR(v["volume"], expected, expected * 1e-3) << outline.size();
  }
}

TEST_F(OutlineStepReader, CurveFormGivesFiniteEdgesAlongThePerimeter) {
  PointList hexagon;
  for (int i = 0; i < 6; ++i) hexagon.push_back({10 * std::cos(M_PI / 2 + i * M_PI / 3), 10 * std::sin(M_PI / 2 + i * M_PI / 3)});
  for (const PointList& outline : {SquareOutline(40), hexagon}) {
    std::map<std::string, double> v = Check(outline, STEP_AS_CURVE, 0);
    EXPECT_EQ(v["unbounded_edges"], 0);
    EXPECT_EQ(v["edges"], static_cast<double>(outline.size() == 5 ? 4 : 6));
    double perimeter = RingPerimeter(outline);
    EXPECT_NEAR(v["length"], perimeter, perimeter * 1e-6);
  }
  // B-spline pieces cut the polygon's corners a little (here under 4 degrees each).
  PointList circle = CircleOutline(20, 90);
  std::map<std::string, double> v = Check(circle, STEP_AS_CURVE, 0);
  EXPECT_EQ(v["unbounded_edges"], 0);
  EXPECT_EQ(v["edges"], 3);
  EXPECT_NEAR(v["length"], RingPerimeter(circle), RingPerimeter(circle) * 1e-4);
}

}  // namespace

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "engine/base_line.h"
#include "engine/pattern_layout.h"
#include "engine/recompute.h"
#include "import/dxf_reader.h"
#include "import/import_pieces.h"
#include "tests/support/default_design.h"
#include "tests/support/dense_rings.h"
#include "tests/support/import_files.h"
#include "tests/support/imported_design.h"
#include "tests/support/ring_checks.h"
#include "tests/support/temp_folder.h"

namespace {

DesignResult Recompute(const DesignParams& params) {
  DesignResult result;
  RecomputeOutline(params, result);
  return result;
}

// The point of a circle base line of diameter `diameter` at arc length s.
OutlinePoint CirclePointAt(double diameter, double s) {
  BaseLine circle;
  BuildEllipseBaseLine(circle, diameter / 2, diameter / 2);
  OutlinePoint p;
  double nx, ny;
  SampleBaseLine(circle, s, p, nx, ny);
  return p;
}

TEST(PatternLayout, EveryFigureClosesOnACircle) {
  const int64_t kinds[] = {FIGURE_RECTANGLE, FIGURE_SQUARE,     FIGURE_TRIANGLE,
                           FIGURE_TRAPEZOID, FIGURE_HALF_CIRCLE, FIGURE_SINE};
  for (int64_t kind : kinds) {
    for (int64_t dir : {DIRECTION_OUTWARD, DIRECTION_INWARD}) {
      DesignParams p = DefaultDesign();
      p.figureKind = kind;
      p.direction = dir;
      p.count = 20;
      p.fillet = 0;
      p.shift = 0.25;
      DesignResult r = Recompute(p);
      SCOPED_TRACE(testing::Message() << "kind " << kind << " dir " << dir);
      ASSERT_EQ(r.valid, 1) << r.message;
      EXPECT_TRUE(r.warnings.empty());
      EXPECT_EQ(r.loopsRemoved, 0);
      EXPECT_NEAR(r.count * r.pitch, r.baseLength, 1e-9);
      EXPECT_TRUE(IsSimpleRing(r.outlinePoints));
      EXPECT_GT(SignedArea(r.outlinePoints), 0);
      // The ring starts at arc length (shift - 0.5) x pitch, plus half the
      // gap where the corner and half-circle profiles begin.
      double u0 = kind == FIGURE_SINE ? 0 : r.gap / 2;
      double diameter = r.baseLength / std::numbers::pi;
      OutlinePoint start = CirclePointAt(diameter, (p.shift - 0.5) * r.pitch + u0);
      EXPECT_NEAR(r.outlinePoints[0].x, start.x, 1e-4);
      EXPECT_NEAR(r.outlinePoints[0].y, start.y, 1e-4);
      // No seam: the closing step is no longer than an ordinary one.
      const OutlinePoint& last = r.outlinePoints.back();
      EXPECT_LT(std::hypot(last.x - start.x, last.y - start.y), r.pitch / 2);
    }
  }
}

TEST(PatternLayout, ShiftMovesTheRingAlongTheBaseLine) {
  DesignParams p = DefaultDesign();
  DesignResult r0 = Recompute(p);
  ASSERT_EQ(r0.valid, 1);
  // Shift 0 centres the first figure on the +y axis: its two top corners
  // (sample 1 and sample 1 + the 19 pieces of the top) mirror each other.
  const PointList& o = r0.outlinePoints;
  EXPECT_NEAR(o[1].x, -o[20].x, 1e-9);
  EXPECT_NEAR(o[1].y, o[20].y, 1e-9);
  EXPECT_GT(o[1].y, 24.9);
  // Shift 1 gives the same ring, starting one figure later.
  p.shift = 1;
  DesignResult r1 = Recompute(p);
  ASSERT_EQ(r1.outlinePoints.size(), o.size());
  size_t perFigure = o.size() / 40;
  for (size_t i = 0; i < o.size(); i++) {
    const OutlinePoint& a = r1.outlinePoints[i];
    const OutlinePoint& b = o[(i + perFigure) % o.size()];
    ASSERT_NEAR(a.x, b.x, 1e-9) << i;
    ASSERT_NEAR(a.y, b.y, 1e-9) << i;
  }
}

TEST(PatternLayout, PointSpacingAndItsCap) {
  DesignParams p = DefaultDesign();
  size_t normal = Recompute(p).outlinePoints.size();
  p.pointSpacing = 0;
  EXPECT_EQ(Recompute(p).outlinePoints.size(), normal);
  p.pointSpacing = -1;
  EXPECT_EQ(Recompute(p).outlinePoints.size(), normal);
  p.pointSpacing = 0.05;
  EXPECT_GT(Recompute(p).outlinePoints.size(), normal);
  // On a base line of 300 mm a spacing of 0.0001 is raised to 300 / 200000.
  p = DefaultDesign();
  p.shapeKind = SHAPE_RECTANGLE;
  p.width = 100;
  p.height = 50;
  p.cornerRadius = 0;
  p.direction = DIRECTION_INWARD;
  p.count = 20;
  p.pointSpacing = 0.0001;
  DesignResult capped = Recompute(p);
  ASSERT_EQ(capped.valid, 1) << capped.message;
  EXPECT_EQ(capped.baseLength, 300.0);
  p.pointSpacing = 300.0 / 200000;
  EXPECT_EQ(Recompute(p).outlinePoints.size(), capped.outlinePoints.size());
  p.pointSpacing = 0.0016;
  EXPECT_LT(Recompute(p).outlinePoints.size(), capped.outlinePoints.size());
}

TEST(PatternLayout, SampleProfileSplitsAlongTheBaseLineOnly) {
  // A rectangle of pitch 4: flanks give their start point only.
  PointList profile = {{1, 0}, {1, 2}, {3, 2}, {3, 0}};
  PointList samples;
  ASSERT_EQ(SampleProfile(profile, 4, 0.5, samples), 1);
  ASSERT_EQ(samples.size(), 1u + 5u + 1u + 5u);
  EXPECT_EQ(samples[0].x, 1.0);
  EXPECT_EQ(samples[1].y, 2.0);
  EXPECT_EQ(samples[2].x, 1.4);
  EXPECT_EQ(samples[6].x, 3.0);
  EXPECT_EQ(samples[6].y, 2.0);
  EXPECT_EQ(samples[7].x, 3.0);
  EXPECT_EQ(samples[7].y, 0.0);
  EXPECT_EQ(samples.back().x, 3.0 + 2.0 * 4 / 5);  // the closing point (5, 0) is left out
  // Far too many pieces are refused before anything is allocated.
  EXPECT_EQ(SampleProfile(profile, 4, 1e-9, samples), 0);
  EXPECT_EQ(SampleProfile(PointList{}, 4, 0.1, samples), 1);
  EXPECT_TRUE(samples.empty());
}

TEST(PointBudget, ExactlyFourHundredThousandPointsIsValid) {
  // Inward rectangles on a circle of 7000 mm: the spacing is capped to
  // L / 200000 = 0.4 x pitch, so each figure samples 5 points (width 1.6
  // spacings: 2 pieces, gap 0.9 spacings: 1 piece, two flanks).
  DesignParams p = DefaultDesign();
  p.width = 7000;
  p.direction = DIRECTION_INWARD;
  p.figureWidth = 16;
  p.gap = 9;
  p.depth = 1;
  p.count = 80000;
  DesignResult r = Recompute(p);
  ASSERT_EQ(r.valid, 1) << r.message;
  EXPECT_EQ(r.outlinePoints.size(), 400000u);
  p.count = 80001;
  r = Recompute(p);
  EXPECT_EQ(r.valid, 0);
  EXPECT_EQ(r.message, "Too many points; choose fewer figures.");
  EXPECT_TRUE(r.outlinePoints.empty());
  EXPECT_FALSE(r.baseLinePoints.empty());
  {
    DutchTexts nl;
    EXPECT_EQ(Recompute(p).message, "Te veel punten; kies minder figuren.");
  }
}

TEST(LayOutWarnings, BendRadiusThenSelfIntersections) {
  DesignParams p = DefaultDesign();
  p.shapeKind = SHAPE_ELLIPSE;
  p.width = 20;
  p.height = 10;
  p.direction = DIRECTION_INWARD;
  p.depth = 3;
  p.count = 10;
  DesignResult r = Recompute(p);
  ASSERT_EQ(r.valid, 1) << r.message;
  ASSERT_GT(r.loopsRemoved, 0);
  std::string loops = std::to_string(r.loopsRemoved);
  ASSERT_EQ(r.warnings.size(), 2u);
  EXPECT_EQ(r.warnings[0], "The depth (3.00 mm) exceeds the tightest bend radius (2.50 mm).");
  EXPECT_EQ(r.warnings[1], loops + " self-intersection(s) removed; the pattern does not fit everywhere.");
  EXPECT_TRUE(IsSimpleRing(r.outlinePoints));
  DutchTexts nl;
  r = Recompute(p);
  ASSERT_EQ(r.warnings.size(), 2u);
  EXPECT_EQ(r.warnings[0], "De diepte (3.00 mm) is groter dan de krapste bochtstraal (2.50 mm).");
  EXPECT_EQ(r.warnings[1], loops + " zelfdoorsnijding(en) weggeknipt; het patroon past niet overal.");
}

TEST(LayOutWarnings, SmallSizesInTheirFixedOrder) {
  DesignParams p = DefaultDesign();
  p.figureKind = FIGURE_TRAPEZOID;
  p.count = 100;  // pitch 1.445: width and gap 0.723, top 0.361
  p.depth = 0.3;
  p.smallestSize = 0.8;
  DesignResult r = Recompute(p);
  ASSERT_EQ(r.valid, 1) << r.message;
  std::vector<std::string> want = {
      "Figure width " + FormatMm(2, r.figureWidth) + " mm is smaller than 0.80 mm.",
      "Gap " + FormatMm(2, r.gap) + " mm is smaller than 0.80 mm.",
      "Top width " + FormatMm(2, r.topWidth) + " mm is smaller than 0.80 mm.",
      "Depth 0.30 mm is smaller than 0.80 mm.",
      "Pitch " + FormatMm(2, r.pitch) + " mm is very small.",
  };
  EXPECT_EQ(r.warnings, want);
  {
    DutchTexts nl;
    std::vector<std::string> dutch = {
        "Figuurbreedte " + FormatMm(2, r.figureWidth) + " mm is kleiner dan 0.80 mm.",
        "Tussenruimte " + FormatMm(2, r.gap) + " mm is kleiner dan 0.80 mm.",
        "Topbreedte " + FormatMm(2, r.topWidth) + " mm is kleiner dan 0.80 mm.",
        "Diepte 0.30 mm is kleiner dan 0.80 mm.",
        "Steek " + FormatMm(2, r.pitch) + " mm is erg klein.",
    };
    EXPECT_EQ(Recompute(p).warnings, dutch);
  }
  // Limits themselves do not warn: pitch exactly twice the smallest size,
  // depth equal to it, no gap at all.
  p = DefaultDesign();
  p.figureKind = FIGURE_SINE;
  r = Recompute(p);
  p.smallestSize = r.pitch / 2;
  p.depth = r.pitch / 2;
  r = Recompute(p);
  ASSERT_EQ(r.valid, 1);
  EXPECT_EQ(r.gap, 0.0);
  EXPECT_TRUE(r.warnings.empty()) << r.warnings[0];
  // The default limit replaces one of 0 or less.
  p = DefaultDesign();
  p.depth = 0.3;
  p.smallestSize = 0;
  r = Recompute(p);
  ASSERT_EQ(r.warnings.size(), 1u);
  EXPECT_EQ(r.warnings[0], "Depth 0.30 mm is smaller than 0.40 mm.");
}

TEST(LayOutWarnings, InwardFiguresNarrowInTheTightestBend) {
  // Circle 10 (radius 5), inward depth 2: widths narrow by 1 - 2/5 = 0.6.
  DesignParams p = DefaultDesign();
  p.width = 10;
  p.direction = DIRECTION_INWARD;
  p.count = 12;  // pitch 2.618, width and gap 1.309, narrowed 0.785
  p.smallestSize = 0.9;
  DesignResult r = Recompute(p);
  ASSERT_EQ(r.valid, 1) << r.message;
  ASSERT_EQ(r.warnings.size(), 2u);
  EXPECT_EQ(r.warnings[0], "Figure width " + FormatMm(2, r.figureWidth * 0.6) + " mm is smaller than 0.90 mm.");
  EXPECT_EQ(r.warnings[1], "Gap " + FormatMm(2, r.gap * 0.6) + " mm is smaller than 0.90 mm.");
  p.direction = DIRECTION_OUTWARD;  // outward figures are not narrowed
  p.width = 14;
  EXPECT_TRUE(Recompute(p).warnings.empty());
}

TEST(LayOutWarnings, SharpCornersOfRectangles) {
  const std::string sharp = "Sharp corner: figures across the corner get distorted; use a small corner radius.";
  DesignParams p = DefaultDesign();
  p.shapeKind = SHAPE_RECTANGLE;
  p.width = 100;
  p.height = 60;
  p.count = 60;
  p.cornerRadius = 0;
  DesignResult r = Recompute(p);
  ASSERT_EQ(r.valid, 1) << r.message;
  ASSERT_FALSE(r.warnings.empty());
  EXPECT_EQ(r.warnings[0], sharp);
  p.cornerRadius = 1;
  p.direction = DIRECTION_INWARD;  // the radius stays 1
  r = Recompute(p);
  ASSERT_EQ(r.valid, 1);
  for (const std::string& w : r.warnings) EXPECT_NE(w, sharp);
  p.direction = DIRECTION_OUTWARD;  // the offset radius max(0, 1 - 2) is sharp
  r = Recompute(p);
  ASSERT_FALSE(r.warnings.empty());
  EXPECT_EQ(r.warnings[0], sharp);
  DutchTexts nl;
  EXPECT_EQ(Recompute(p).warnings[0],
            "Scherpe hoek: figuren over de hoek worden vervormd; geef een kleine hoekradius.");
}

// An imported square, normalised: centred, counter-clockwise from +y.
PointList ImportedSquare(double half) {
  return {{0, half}, {-half, half}, {-half, -half}, {half, -half}, {half, half}};
}

TEST(ImportedOutline, SquareOffsetByOneKeepsItsSharpCorners) {
  DesignParams p = ImportedDesign(ImportedSquare(10), 20, 20);
  p.depth = 1;  // outward figures on the outer size: the base line moves 1 mm in
  p.count = 18;
  DesignResult r = Recompute(p);
  ASSERT_EQ(r.valid, 1) << r.message;
  EXPECT_NEAR(r.baseLength, 4 * 18, 1e-9);
  for (double cx : {-9.0, 9.0}) {
    for (double cy : {-9.0, 9.0}) {
      int found = 0;
      for (const OutlinePoint& q : r.baseLinePoints) found += std::fabs(q.x - cx) < 1e-9 && std::fabs(q.y - cy) < 1e-9;
      EXPECT_EQ(found, 2) << cx << " " << cy;  // a sharp corner is stored twice
    }
  }
  ASSERT_FALSE(r.warnings.empty());
  EXPECT_EQ(r.warnings[0], "Sharp corner: figures across the corner get distorted; use a small corner radius.");
  // Too few distinct points left gives the imported outline's error.
  p.importPoints = {{0, 10}, {0, 10}, {-10, -10}};
  EXPECT_EQ(Recompute(p).message, "The imported outline is too small after offsetting.");
  DutchTexts nl;
  EXPECT_EQ(Recompute(p).message, "De ingelezen omtrek is na het verschuiven te klein.");
}

TEST(FinalChecks, ClockwiseOutlineIsRefused) {
  PointList clockwise = ImportedSquare(10);
  std::reverse(clockwise.begin() + 1, clockwise.end());
  DesignParams p = ImportedDesign(clockwise, 20, 20);
  p.figureKind = FIGURE_NONE;
  DesignResult r = Recompute(p);
  EXPECT_EQ(r.valid, 0);
  EXPECT_EQ(r.message, "The outline is inverted; check the sizes.");
  DutchTexts nl;
  EXPECT_EQ(Recompute(p).message, "De omtrek is omgeklapt; controleer de maten.");
}

// A closed polyline imported through the DXF reader, as the import button
// would, into the default design.
DesignParams ImportedPolyline(const std::string& name, const PointList& points) {
  std::string pairs = "0\nLWPOLYLINE\n70\n1\n";
  char number[64];
  for (const OutlinePoint& q : points) {
    std::snprintf(number, sizeof number, "10\n%.6f\n20\n%.6f\n", q.x, q.y);
    pairs += number;
  }
  const std::string path = ImportTestPath(name);
  WriteTestFile(path, DxfEntities(pairs));
  PointList imported;
  double width = 0, height = 0;
  EXPECT_EQ(ImportDxfOutline(path, imported, width, height), 1);
  return ImportedDesign(imported, width, height);
}

// Outlines that cross themselves all over, where the loop cut could keep
// only a sliver or wedge of the shape: each gives an error or an outline of
// the full size, never a valid sliver.
TEST(FinalChecks, NoSliverOfTheLoopCutIsValid) {
  DesignParams deep = DefaultDesign();
  deep.width = 60;
  deep.direction = DIRECTION_INWARD;
  deep.depth = 40;
  DesignParams deeper = deep;
  deeper.depth = 1e9;
  // One side of 5000 teeth 1 mm deep, 0.002 mm apart; the other straight.
  PointList comb = Comb(5000, 0.001, 1, false);
  // A circle of radius 50 with a uniform noise of 0.01 mm.
  PointList noisy = NoisyCircle(100000, 50, 0.01, std::mt19937(1), RING_FROM_RIGHT);
  // A project's outline: 200000 points zigzagging from x = -20 to 20 and
  // back, climbing 0.0005 mm a point.
  DesignParams project = NormalizedImportedDesign(WideZigzag(200000, 0.0005));
  struct Case {
    const char* name;
    DesignParams params;
    const char* error;  // nullptr: an error, or a valid outline of the full size
  };
  const Case cases[] = {
      {"inward rectangles deeper than the circle", deep, "No valid outline."},
      {"inward rectangles 1e9 deep", deeper, "No valid outline."},
      {"comb", ImportedPolyline("comb.dxf", comb), "No valid outline."},
      {"noisy circle", ImportedPolyline("noisy.dxf", noisy), nullptr},
      {"zigzag project", project, nullptr},
  };
  for (const Case& c : cases) {
    DesignResult r = Recompute(c.params);
    if (c.error) {
      EXPECT_EQ(r.message, c.error) << c.name;
    }
    if (!r.valid) continue;
    double minX = r.baseLinePoints[0].x, maxX = minX, minY = r.baseLinePoints[0].y, maxY = minY;
    for (const OutlinePoint& q : r.baseLinePoints) {
      minX = std::min(minX, q.x), maxX = std::max(maxX, q.x);
      minY = std::min(minY, q.y), maxY = std::max(maxY, q.y);
    }
    EXPECT_GE(2 * (r.maxX - r.minX), maxX - minX) << c.name;
    EXPECT_GE(2 * (r.maxY - r.minY), maxY - minY) << c.name;
    EXPECT_GE(2 * (r.maxX - r.minX), c.params.width) << c.name;
    EXPECT_GE(2 * (r.maxY - r.minY), c.params.height) << c.name;
  }
  DutchTexts nl;
  EXPECT_EQ(Recompute(deep).message, "Geen geldige omtrek.");
}

// An independent reading of the rings: shapely's validity and area.
TEST(FinalChecks, ShapelyAgreesTheRingsAreSimple) {
  if (std::system("/usr/bin/python3 -c 'import shapely' >/dev/null 2>&1") != 0) GTEST_SKIP() << "no shapely";
  DesignParams bent = DefaultDesign();
  bent.shapeKind = SHAPE_ELLIPSE;
  bent.width = 20;
  bent.height = 10;
  bent.direction = DIRECTION_INWARD;
  bent.depth = 3;
  bent.count = 10;
  for (const DesignParams& p : {DefaultDesign(), bent}) {
    DesignResult r = Recompute(p);
    ASSERT_EQ(r.valid, 1);
    TempFolder folder;
    std::string path = folder.Path("ring.txt");
    {
      std::ofstream out(path);
      out.precision(17);
      for (const OutlinePoint& q : r.outlinePoints) out << q.x << " " << q.y << "\n";
    }
    std::string script =
        "import sys\n"
        "from shapely.geometry import Polygon\n"
        "pts=[tuple(map(float,l.split())) for l in open(sys.argv[1])]\n"
        "poly=Polygon(pts)\n"
        "print('1' if poly.is_valid and poly.exterior.is_simple else '0', repr(poly.area))\n";
    std::string scriptPath = folder.Path("ring.py");
    std::ofstream(scriptPath) << script;
    std::string cmd = "/usr/bin/python3 '" + scriptPath + "' '" + path + "'";
    FILE* pipe = popen(cmd.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    char line[256] = {0};
    ASSERT_NE(fgets(line, sizeof line, pipe), nullptr);
    pclose(pipe);
    int simple = 0;
    double area = 0;
    ASSERT_EQ(std::sscanf(line, "%d %lf", &simple, &area), 2) << line;
    EXPECT_EQ(simple, 1);
    EXPECT_NEAR(area, SignedArea(r.outlinePoints), 1e-6 * area);
  }
}

}  // namespace

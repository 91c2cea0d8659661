#include <gtest/gtest.h>

#include <cmath>
#include <fstream>
#include <limits>
#include <map>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "engine/recompute.h"
#include "engine/loop_cut/meeting_sweep.h"
#include "engine/sound_ring.h"
#include "export/dxf_writer.h"
#include "export/export_file.h"
#include "export/outline_step.h"
#include "export/vase_step.h"
#include "export/vase_stl.h"
#include "tests/support/default_design.h"
#include "tests/support/dense_rings.h"
#include "tests/support/export_files.h"
#include "tests/support/imported_design.h"
#include "tests/support/ring_checks.h"
#include "text/texts.h"

namespace {

DesignResult Recompute(const DesignParams& params) {
  DesignResult result;
  RecomputeOutline(params, result);
  return result;
}

// Star of `tips` sharp tips, outer radius r, inner radius ri.
PointList Star(int tips, double r, double ri) {
  PointList ring;
  for (int k = 0; k < 2 * tips; ++k) {
    double a = std::numbers::pi / 2 + std::numbers::pi * k / tips;
    double radius = k % 2 == 0 ? r : ri;
    ring.push_back({radius * std::cos(a), radius * std::sin(a)});
  }
  return ring;
}

// A figure-eight-like outline: two lobes joined by a narrow waist with
// sharp corners.
PointList Peanut() {
  return {{0, 3}, {-8, 12}, {-20, 12}, {-20, -12}, {-8, -12}, {0, -3}, {8, -12}, {20, -12}, {20, 12}, {8, 12}};
}

std::string ErrorTexts(const DesignResult& r) { return r.valid ? "" : r.message; }

// The smallest distance between consecutive points, the closing pair included.
double ClosestNeighbours(const PointList& ring) {
  double best = std::numeric_limits<double>::infinity();
  for (size_t k = 0; k < ring.size(); ++k) {
    const OutlinePoint& a = ring[k];
    const OutlinePoint& b = ring[(k + 1) % ring.size()];
    best = std::min(best, std::hypot(a.x - b.x, a.y - b.y));
  }
  return best;
}

// shapely's reading of many rings at once, one line per ring: valid and
// simple, counter-clockwise, and the smallest step between neighbours.
std::vector<std::string> ShapelyVerdicts(const std::vector<const PointList*>& rings) {
  std::string base = testing::TempDir() + "ribbelo_sound_" + std::to_string(getpid());
  {
    std::ofstream out(base + ".txt");
    out.precision(17);
    for (const PointList* ring : rings) {
      for (const OutlinePoint& q : *ring) out << q.x << " " << q.y << "\n";
      out << "end\n";
    }
  }
  std::ofstream(base + ".py") << "import sys, math\n"
                                 "from shapely.geometry import Polygon, LinearRing\n"
                                 "pts = []\n"
                                 "for line in open(sys.argv[1]):\n"
                                 "    if line.startswith('end'):\n"
                                 "        poly = Polygon(pts)\n"
                                 "        ok = poly.is_valid and poly.exterior.is_simple\n"
                                 "        ccw = LinearRing(pts).is_ccw\n"
                                 "        step = min(math.dist(pts[k], pts[k - 1]) for k in range(len(pts)))\n"
                                 "        print('ok' if ok and ccw and step >= 1e-9 else 'bad %s %s %g' % (ok, ccw, step))\n"
                                 "        pts = []\n"
                                 "    else:\n"
                                 "        pts.append(tuple(map(float, line.split())))\n";
  std::string output;
  EXPECT_EQ(RunCommand("/usr/bin/python3 " + base + ".py " + base + ".txt", output), 0);
  std::remove((base + ".txt").c_str());
  std::remove((base + ".py").c_str());
  std::vector<std::string> lines;
  size_t from = 0;
  for (size_t at = output.find('\n'); at != std::string::npos; from = at + 1, at = output.find('\n', from))
    lines.push_back(output.substr(from, at - from));
  return lines;
}

bool HaveShapely() { return std::system("/usr/bin/python3 -c 'import shapely' >/dev/null 2>&1") == 0; }

TEST(SoundRing, ExactPredicatesRepeatedPointsAndContacts) {
  // Collinear by exact arithmetic, though the plain determinant says not.
  EXPECT_EQ(OrientExact(0.5, 0.5, 12, 12, 24, 24), 0);
  EXPECT_EQ(OrientExact(0.1, 0.1, 0.3, 0.3, 0.7, 0.7 + 1e-16), 1);
  EXPECT_EQ(OrientExact(0, 0, 1, 0, 0.5, -1e-300), -1);

  // A run of near-duplicates, a spike straight back and the first point
  // repeated at the end all go; a point 2e-9 away stays.
  PointList ring = {{0, 0}, {1e-10, 0}, {2e-9, 0}, {4, 0}, {4, 0}, {4, 4}, {4, 6}, {4 + 5e-10, 4 + 3e-10}, {0, 4}, {0, 0}};
  DropRepeatedPoints(ring);
  PointList want = {{0, 0}, {2e-9, 0}, {4, 0}, {4, 4}, {0, 4}};
  ASSERT_EQ(ring.size(), want.size());
  for (size_t k = 0; k < want.size(); ++k) EXPECT_TRUE(ring[k].x == want[k].x && ring[k].y == want[k].y) << k;

  // Meetings the loop cut lets through: a vertex on a segment, a collinear
  // overlap, two vertices on one point, a crossing within 1e-9 of an end.
  const std::vector<PointList> touching = {
      {{0, 0}, {4, 0}, {4, 4}, {2, 0}, {0, 4}},
      {{0, 0}, {4, 0}, {4, 2}, {3, 2}, {3, 0}, {1, 0}, {1, -1}, {0, -1}},
      {{0, 0}, {2, 2}, {4, 0}, {4, 4}, {2, 2}, {0, 4}},
      {{0, 0}, {4, 0}, {4, 4}, {2, -1e-12}, {0, 4}},
  };
  for (const PointList& t : touching) {
    EXPECT_EQ(CheckSimpleRing(t), 0);
    PointList cut = t;
    bool simple = false;
    EXPECT_GE(CutRingContacts(cut, 10, simple), 1);
    EXPECT_TRUE(simple);
    EXPECT_EQ(CheckSimpleRing(cut), 1);
    EXPECT_TRUE(IsSimpleRing(cut));
  }
  PointList square = SquareOutline(4), clockwise(square.rbegin(), square.rend());
  EXPECT_EQ(CheckSoundOutline(square), 1);
  EXPECT_EQ(CheckSoundOutline(clockwise), 0);
}

// The mending passes cells that its last search proved free of meetings;
// each cut must still be the one a fresh search makes. Rings of lattice
// steps touch and cross themselves everywhere (crowded cells, vertices on
// segments, overlaps).
TEST(SoundRing, MendingCutsAsAFreshSearchEachTime) {
  struct Case {
    int64_t n, span;
    uint64_t seed;
  };
  const Case cases[] = {{300, 2, 1}, {300, 6, 2}, {1500, 3, 3}, {1500, 12, 4}, {1500, 40, 5}, {4000, 2, 6}, {4000, 25, 7}, {4000, 200, 8}};
  for (const Case& c : cases) {
    std::mt19937_64 random(c.seed);
    std::uniform_int_distribution<int64_t> step(-c.span, c.span);
    PointList ring;
    double x = 0, y = 0;
    // Steps along the axes as well as slanted ones, drifting up for a
    // while then back, so that cuts leave runs that fold back.
    for (int64_t k = 0; k < c.n; ++k) {
      const double dx = static_cast<double>(step(random)), dy = static_cast<double>(step(random));
      const int64_t kind = k % 3;
      x += kind == 1 ? 0 : dx;
      y += kind == 0 ? 0 : (k % 50 < 25 ? std::abs(dy) : dy) * 0.5;
      ring.push_back({x, y});
    }
    PointList once = ring;
    bool simple = false;
    const int64_t cuts = CutRingContacts(once, 1000000, simple);
    EXPECT_TRUE(simple) << c.seed;
    EXPECT_GT(cuts, 5) << c.seed;
    PointList fresh = ring;
    EXPECT_EQ(CutRingContacts(fresh, 1000000, simple, false), cuts) << c.seed;
    ASSERT_EQ(fresh.size(), once.size()) << c.seed;
    for (size_t k = 0; k < once.size(); ++k)
      ASSERT_TRUE(fresh[k].x == once[k].x && fresh[k].y == once[k].y) << c.seed << " " << k;
  }
}

// Enough segments that the sweep sorts its events by key: two that only
// share an end, with an event of the same x between them as they come.
TEST(SoundRing, SweepMeetsEndsOnOnePointAmongManySegments) {
  std::vector<ContactSegment> segs = {{0, 1.5, 0, 2, 0, 1000}, {-1, 1.5, 0, 1, 1, 1001}, {0, 2, 3, 3, 2, 1002}};
  for (int64_t k = 0; k < 40; ++k) {
    double x = 100 + static_cast<double>(k);
    segs.push_back(ContactSegment{x, 0, x + 0.5, 1, 3 + k, 2000 + k});
  }
  size_t a = 0, b = 0;
  ASSERT_TRUE(FindSegmentContact(segs, a, b));
  EXPECT_EQ(std::min(a, b), 0u);
  EXPECT_EQ(std::max(a, b), 2u);
  segs[2].x0 = 1e-9;
  EXPECT_FALSE(FindSegmentContact(segs, a, b));
}

// Inward squares on a sharp-cornered rectangle, divided by width: they
// touched at a corner.
DesignParams CornerTouchDesign() {
  DesignParams p = DefaultDesign();
  p.shapeKind = SHAPE_RECTANGLE;
  p.width = 100;
  p.height = 60;
  p.cornerRadius = 0;
  p.figureKind = FIGURE_SQUARE;
  p.direction = DIRECTION_INWARD;
  p.divideByWidth = DIVIDE_BY_WIDTH;
  return p;
}

// The designs the first checks found unsound, each once.
TEST(SoundOutline, DesignsOnceReportedValidButUnsound) {
  DesignParams corner = CornerTouchDesign();
  DesignResult r = Recompute(corner);
  ASSERT_EQ(r.valid, 1) << r.message;
  EXPECT_EQ(CheckSoundOutline(r.outlinePoints), 1);
  EXPECT_TRUE(IsSimpleRing(r.outlinePoints));

  // Only a clockwise remnant is left after the loop cut.
  DesignParams remnant = corner;
  remnant.width = 60;
  remnant.height = 40;
  remnant.divideByWidth = DIVIDE_BY_COUNT;
  remnant.count = 3;
  remnant.depth = 3;
  EXPECT_EQ(ErrorTexts(Recompute(remnant)), "The outline is inverted; check the sizes.");
  {
    DutchTexts nl;
    EXPECT_EQ(ErrorTexts(Recompute(remnant)), "De omtrek is omgeklapt; controleer de maten.");
  }

  // Filleted inward squares with the gap equal to the width: runs of
  // repeated points where the fillets meet.
  DesignParams filleted = DefaultDesign();
  filleted.figureKind = FIGURE_SQUARE;
  filleted.direction = DIRECTION_INWARD;
  filleted.fillet = 1;
  r = Recompute(filleted);
  ASSERT_EQ(r.valid, 1) << r.message;
  EXPECT_GE(ClosestNeighbours(r.outlinePoints), MIN_POINT_DISTANCE);
  EXPECT_EQ(CheckSoundOutline(r.outlinePoints), 1);
  EXPECT_TRUE(IsSimpleRing(r.outlinePoints));
  EXPECT_GT(SignedArea(r.outlinePoints), 0);

  // Squares without gaps along straight sides: every flank runs down and
  // up again along one normal, thousands of spikes of no width.
  DesignParams gapless = CornerTouchDesign();
  gapless.width = 60;
  gapless.height = 40;
  gapless.divideByWidth = DIVIDE_BY_COUNT;
  gapless.count = 99999;
  gapless.gap = 0;
  r = Recompute(gapless);
  ASSERT_EQ(r.valid, 1) << r.message;
  EXPECT_EQ(CheckSoundOutline(r.outlinePoints), 1);
  EXPECT_TRUE(IsSimpleRing(r.outlinePoints));
  EXPECT_GT(SignedArea(r.outlinePoints), 0);

  // A huge shift is a whole number of figures: the same ring as shift 0.
  DesignParams shifted = DefaultDesign();
  DesignResult plain = Recompute(shifted);
  shifted.shift = 1e300;
  r = Recompute(shifted);
  ASSERT_EQ(r.valid, 1) << r.message;
  EXPECT_EQ(r.outlinePoints.size(), plain.outlinePoints.size());
  EXPECT_NEAR(r.patternLength, plain.patternLength, 1e-9);
  EXPECT_NEAR(SignedArea(r.outlinePoints), SignedArea(plain.outlinePoints), 1e-9);

  // A fillet that is not a number is refused.
  DesignParams nanFillet = DefaultDesign();
  nanFillet.fillet = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(ErrorTexts(Recompute(nanFillet)), "Sizes must not be negative.");

  // Imported outlines with sharp corners and a noisy circle that needs
  // hundreds of cuts.
  DesignParams star = ImportedDesignInBox(Star(5, 30, 12));
  star.figureKind = FIGURE_TRAPEZOID;
  star.count = 60;
  DesignParams peanut = ImportedDesignInBox(Peanut());
  peanut.figureKind = FIGURE_TRAPEZOID;
  peanut.count = 70;
  DesignParams noisy = ImportedDesignInBox(NoisyCircle(5000, 40, 0.4, std::mt19937(3), RING_FROM_TOP_ANGLE));
  noisy.figureKind = FIGURE_TRIANGLE;
  noisy.direction = DIRECTION_INWARD;
  noisy.count = 300;
  for (const DesignParams& p : {star, peanut, noisy}) {
    r = Recompute(p);
    ASSERT_EQ(r.valid, 1) << r.message;
    EXPECT_EQ(CheckSoundOutline(r.outlinePoints), 1);
    EXPECT_TRUE(IsSimpleRing(r.outlinePoints));
  }
}

// Every valid outline of a broad set of designs is simple, counter-clockwise
// and free of repeated points by shapely's reading; every other one carries
// one of the engine's errors.
TEST(SoundOutline, GeneratedDesignsAreSoundByShapely) {
  if (!HaveShapely()) GTEST_SKIP() << "no shapely";
  std::vector<DesignParams> shapes;
  DesignParams circle = DefaultDesign();
  DesignParams ellipse = circle;
  ellipse.shapeKind = SHAPE_ELLIPSE;
  ellipse.width = 60;
  ellipse.height = 16;
  DesignParams sharp = circle;
  sharp.shapeKind = SHAPE_RECTANGLE;
  sharp.width = 60;
  sharp.height = 40;
  sharp.cornerRadius = 0;
  DesignParams rounded = sharp;
  rounded.cornerRadius = 4;
  shapes = {circle, ellipse, sharp, rounded, ImportedDesignInBox(Star(6, 30, 14)), ImportedDesignInBox(Peanut()),
            ImportedDesignInBox(NoisyCircle(600, 25, 0.3, std::mt19937(5), RING_FROM_TOP_ANGLE))};
  struct Variant {
    double shift;
    int64_t count;
    int64_t inner, byWidth;
    double gap;
  };
  const Variant variants[] = {{0, 7, 0, 0, 2}, {0.37, 40, 1, 0, 2}, {0.5, 0, 0, 1, 2}, {0.25, 90, 0, 0, 0}};
  std::vector<DesignResult> results;
  for (const DesignParams& shape : shapes)
    for (int64_t kind = FIGURE_NONE; kind <= FIGURE_SINE; ++kind)
      for (int64_t dir : {DIRECTION_OUTWARD, DIRECTION_INWARD})
        for (double fillet : {0.0, 0.8})
          for (const Variant& v : variants) {
            if (kind == FIGURE_NONE && (dir < 0 || fillet > 0 || v.count != 7)) continue;
            DesignParams p = shape;
            p.figureKind = kind;
            p.direction = dir;
            p.fillet = fillet;
            p.shift = v.shift;
            p.count = v.count;
            p.sizeIsInner = v.inner;
            p.divideByWidth = v.byWidth;
            p.gap = v.gap;
            results.push_back(Recompute(p));
          }
  // Near the point budget: the dense rectangles of the benchmarks.
  DesignParams dense = ellipse;
  dense.width = 200;
  dense.height = 20;
  dense.direction = DIRECTION_INWARD;
  dense.depth = 3;
  dense.count = 30000;
  results.push_back(Recompute(dense));
  dense.figureKind = FIGURE_SINE;
  dense.count = 2000;
  dense.depth = 1.5;
  dense.pointSpacing = 0.002;
  results.push_back(Recompute(dense));

  const std::vector<std::string> errors = {"The outline is inverted; check the sizes.",
                                           "The outline touches or crosses itself; change the sizes.",
                                           "The depth is too large for this outer size.",
                                           "The imported outline is too small after offsetting.",
                                           "Too many points; choose fewer figures.", "No valid outline."};
  std::vector<const PointList*> rings;
  for (const DesignResult& r : results) {
    if (r.valid)
      rings.push_back(&r.outlinePoints);
    else
      EXPECT_NE(std::find(errors.begin(), errors.end(), r.message), errors.end()) << r.message;
  }
  EXPECT_GT(rings.size(), results.size() * 9 / 10);
  std::vector<std::string> verdicts = ShapelyVerdicts(rings);
  ASSERT_EQ(verdicts.size(), rings.size());
  for (size_t k = 0; k < rings.size(); ++k) EXPECT_EQ(verdicts[k], "ok") << "ring " << k;
}

// A design that used to touch itself, written in every format and read back
// by programs of other makers.
TEST(SoundOutline, OnceTouchingDesignReadsBackSound) {
  DesignResult r = Recompute(CornerTouchDesign());
  ASSERT_EQ(r.valid, 1) << r.message;

  std::string dxf = ExportTestPath("corner.dxf");
  ASSERT_GT(ExportOutlineDxf(dxf, r, 0, OUTLINE_EXPORT_TOLERANCE), 0) << gExportError;
  std::string output;
  if (HaveShapely() && RunCommand("/usr/bin/python3 -c 'import ezdxf' 2>&1", output) == 0) {
    ASSERT_EQ(RunCommand("/usr/bin/python3 -c \"import ezdxf,sys\nfrom shapely.geometry import Polygon\n"
                         "d=ezdxf.readfile(sys.argv[1]); p=[e for e in d.modelspace() if e.dxftype()=='POLYLINE'][0]\n"
                         "g=Polygon([(v.dxf.location.x,v.dxf.location.y) for v in p.vertices])\n"
                         "print(len(d.audit().errors), g.is_valid, g.exterior.is_ccw)\" " +
                             dxf,
                         output),
              0);
    EXPECT_EQ(output, "0 True True\n");
  }

  std::string stl = ExportTestPath("corner.stl");
  VaseParams vase;
  vase.height = 30;
  vase.steps = 4;
  ASSERT_GT(ExportVaseStl(stl, r.outlinePoints, r.baseLinePoints, vase, VASE_STL_TOLERANCE), 0) << gLastError;
  if (RunCommand("admesh '" + stl + "' 2>&1", output) == 0 && output.find("Number of parts") != std::string::npos) {
    for (const char* clean : {"Number of parts       :     1", "Backwards edges       :     0",
                              "Normals fixed         :     0", "Facets removed        :     0"})
      EXPECT_NE(output.find(clean), std::string::npos) << clean;
  }

  if (StepCheckerPath().empty()) GTEST_SKIP() << "the OpenCASCADE checker was not built";
  std::string step = ExportTestPath("corner.stp");
  ASSERT_GT(ExportOutlineStep(step, r, STEP_AS_SOLID, 5, OUTLINE_EXPORT_TOLERANCE), 0) << gExportError;
  std::map<std::string, double> v;
  ASSERT_TRUE(CheckStepFile(step, v));
  EXPECT_EQ(v["solids"], 1);
  EXPECT_EQ(v["valid"], 1);
  EXPECT_EQ(v["free_edges"], 0);
  std::string vaseStep = ExportTestPath("corner_vase.stp");
  ASSERT_GT(ExportVaseStep(vaseStep, r.outlinePoints, r.baseLinePoints, vase, VASE_STEP_TOLERANCE), 0) << gLastError;
  ASSERT_TRUE(CheckStepFile(vaseStep, v));
  EXPECT_EQ(v["solids"], 1);
  EXPECT_EQ(v["valid"], 1);
}

// The writers refuse a ring that is not simple and counter-clockwise, even
// when the result calls it valid.
TEST(SoundOutline, WritersRefuseAnUnsoundRing) {
  PointList eight = {{0, 10}, {-10, 10}, {10, -10}, {-10, -10}, {10, 10}};
  PointList square = SquareOutline(20), clockwise(square.rbegin(), square.rend());
  for (const PointList& ring : {eight, clockwise}) {
    DesignResult r;
    r.valid = 1;
    r.outlinePoints = ring;
    r.minX = r.minY = -10;
    r.maxX = r.maxY = 10;
    std::string path = ExportTestPath("refused.out");
    EXPECT_EQ(ExportOutlineDxf(path, r, 0, OUTLINE_EXPORT_TOLERANCE), 0);
    EXPECT_EQ(gExportError, Tx(TX_EXPORT_OUTLINE_UNSOUND));
    gExportError.clear();
    EXPECT_EQ(ExportOutlineStep(path, r, STEP_AS_SOLID, 5, OUTLINE_EXPORT_TOLERANCE), 0);
    EXPECT_EQ(gExportError, Tx(TX_EXPORT_OUTLINE_UNSOUND));
    VaseParams vase;
    EXPECT_EQ(ExportVaseStl(path, ring, {}, vase, VASE_STL_TOLERANCE), 0);
    EXPECT_EQ(gLastError, Tx(TX_EXPORT_OUTLINE_UNSOUND));
    gLastError.clear();
    EXPECT_EQ(ExportVaseStep(path, ring, {}, vase, VASE_STEP_TOLERANCE), 0);
    EXPECT_EQ(gLastError, Tx(TX_EXPORT_OUTLINE_UNSOUND));
    EXPECT_FALSE(FileExists(path));
  }
}

}  // namespace

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <random>
#include <utility>
#include <vector>

#include "engine/exact_sum.h"
#include "engine/loop_cut/crossing_set.h"
#include "engine/loop_cut/crossing_walk.h"
#include "engine/loop_cut/loop_cut.h"
#include "engine/loop_cut/loop_cut_routes.h"
#include "engine/loop_cut/loop_part.h"
#include "engine/loop_cut/walk_cut.h"
#include "tests/support/dense_rings.h"

namespace {

// The crossing search written out plainly: a full grid rebuilt for every
// search and every pair of every cell tested in order, the perimeter the
// lengths' sum rounded once. The engine's search must find the same crossing.
int64_t PlainFind(const std::vector<double>& x, const std::vector<double>& y, int64_t n, int64_t& i, int64_t& j,
                  OutlinePoint& p) {
  double minX = x[0], maxX = x[0], minY = y[0], maxY = y[0];
  ExactSum perimeter;
  for (int64_t k = 0; k < n; ++k) {
    minX = std::min(minX, x[k]);
    maxX = std::max(maxX, x[k]);
    minY = std::min(minY, y[k]);
    maxY = std::max(maxY, y[k]);
    int64_t k1 = (k + 1) % n;
    double dx = x[k1] - x[k], dy = y[k1] - y[k];
    AddToExactSum(perimeter, std::sqrt(dx * dx + dy * dy));
  }
  double w = maxX - minX, h = maxY - minY;
  double cell = std::max(2 * RoundedExactSum(perimeter) / static_cast<double>(n), std::max(w, h) / 1024);
  if (cell <= 0) return 0;
  int64_t gx = static_cast<int64_t>(w / cell) + 1, gy = static_cast<int64_t>(h / cell) + 1;
  // Two passes: a count per cell, then the fill at running sums.
  struct Range {
    int64_t cx0, cx1, cy0, cy1;
  };
  std::vector<Range> ranges(static_cast<size_t>(n));
  std::vector<int64_t> start(static_cast<size_t>(gx * gy) + 1, 0);
  for (int64_t k = 0; k < n; ++k) {
    int64_t k1 = (k + 1) % n;
    Range& q = ranges[static_cast<size_t>(k)];
    q.cx0 = static_cast<int64_t>((std::min(x[k], x[k1]) - minX) / cell);
    q.cx1 = std::min(static_cast<int64_t>((std::max(x[k], x[k1]) - minX) / cell), gx - 1);
    q.cy0 = static_cast<int64_t>((std::min(y[k], y[k1]) - minY) / cell);
    q.cy1 = std::min(static_cast<int64_t>((std::max(y[k], y[k1]) - minY) / cell), gy - 1);
    for (int64_t cy = q.cy0; cy <= q.cy1; ++cy)
      for (int64_t cx = q.cx0; cx <= q.cx1; ++cx) ++start[static_cast<size_t>(cy * gx + cx) + 1];
  }
  for (size_t c = 1; c < start.size(); ++c) start[c] += start[c - 1];
  std::vector<int64_t> fill(start.begin(), start.end() - 1), entries(static_cast<size_t>(start.back()));
  for (int64_t k = 0; k < n; ++k) {
    const Range& q = ranges[static_cast<size_t>(k)];
    for (int64_t cy = q.cy0; cy <= q.cy1; ++cy)
      for (int64_t cx = q.cx0; cx <= q.cx1; ++cx) entries[static_cast<size_t>(fill[static_cast<size_t>(cy * gx + cx)]++)] = k;
  }
  for (size_t c = 0; c + 1 < start.size(); ++c)
    for (int64_t a = start[c]; a < start[c + 1]; ++a)
      for (int64_t b = a + 1; b < start[c + 1]; ++b) {
        int64_t s1 = entries[static_cast<size_t>(a)], s2 = entries[static_cast<size_t>(b)];
        if (s2 - s1 <= 1 || (s1 == 0 && s2 == n - 1)) continue;
        int64_t e = (s2 + 1) % n;
        if (IntersectSegments(p, x[s1], y[s1], x[s1 + 1], y[s1 + 1], x[s2], y[s2], x[e], y[e])) {
          i = s1;
          j = s2;
          return 1;
        }
      }
  return 0;
}

// Twice the area of a ring, its shoelace terms summed exactly and rounded
// once.
double PlainArea(const std::vector<double>& x, const std::vector<double>& y) {
  ExactSum sum;
  for (size_t k = 0; k < x.size(); ++k) {
    size_t k1 = (k + 1) % x.size();
    AddToExactSum(sum, ShoelaceTerm(x[k], y[k], x[k1], y[k1]));
  }
  return RoundedExactSum(sum);
}

// The plain loop cut; `overruled` counts the cuts where the area overruled
// the rule by points.
int64_t PlainRemove(PointList& points, int64_t* overruled = nullptr) {
  int64_t n = static_cast<int64_t>(points.size());
  if (n < 4) return 0;
  std::vector<double> x, y;
  for (const OutlinePoint& q : points) {
    x.push_back(q.x);
    y.push_back(q.y);
  }
  int64_t cuts = 0;
  const double whole = PlainArea(x, y);
  while (cuts < MAX_LOOP_CUTS && n >= 4) {
    int64_t i = 0, j = 0;
    OutlinePoint p;
    if (!PlainFind(x, y, n, i, j, p)) break;
    // Both parts; the one with more points stays (the outer one on a tie)
    // unless the other runs counter-clockwise round more area than it holds
    // and than half (but not more than all) of what the ring held before
    // the first cut.
    std::vector<double> ox, oy, ix, iy;
    for (int64_t k = 0; k <= i; ++k) ox.push_back(x[k]), oy.push_back(y[k]);
    ox.push_back(p.x), oy.push_back(p.y);
    for (int64_t k = j + 1; k < n; ++k) ox.push_back(x[k]), oy.push_back(y[k]);
    ix.push_back(p.x), iy.push_back(p.y);
    for (int64_t k = i + 1; k <= j; ++k) ix.push_back(x[k]), iy.push_back(y[k]);
    double outerArea = PlainArea(ox, oy), innerArea = PlainArea(ix, iy);
    auto takesOver = [whole](double fewer, double more) {
      return whole > 0 && fewer > std::fabs(more) && 2 * fewer > whole && fewer <= whole;
    };
    bool byPoints = j - i <= n - (j - i);
    bool keepOuter = byPoints ? !takesOver(innerArea, outerArea) : takesOver(outerArea, innerArea);
    if (overruled && keepOuter != byPoints) ++*overruled;
    x = keepOuter ? ox : ix;
    y = keepOuter ? oy : iy;
    n = static_cast<int64_t>(x.size());
    ++cuts;
  }
  points.clear();
  for (int64_t k = 0; k < n; ++k) AddListPoint(points, x[k], y[k]);
  return cuts;
}

void ExpectSameRing(const PointList& a, const PointList& b) {
  ASSERT_EQ(a.size(), b.size());
  for (size_t k = 0; k < a.size(); ++k) {
    ASSERT_EQ(a[k].x, b[k].x) << "point " << k;
    ASSERT_EQ(a[k].y, b[k].y) << "point " << k;
  }
}

// The engine's removal gives the same cuts and points as the plain one;
// the ring must need more than `minimumCuts` cuts.
void ExpectSameAsPlainSearch(PointList ring, int64_t minimumCuts) {
  PointList plain = ring;
  int64_t want = PlainRemove(plain);
  EXPECT_GT(want, minimumCuts);
  EXPECT_EQ(RemoveSelfIntersections(ring), want);
  ExpectSameRing(ring, plain);
}

// Circle of radius r with `loops` small circles of radius b rolled along it.
PointList LoopedRing(int64_t points, double r, double b, int64_t loops) {
  PointList ring;
  for (int64_t k = 0; k < points; ++k) {
    double t = 2 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(points);
    double u = t * static_cast<double>(loops);
    AddListPoint(ring, r * std::cos(t) + b * std::cos(u), r * std::sin(t) + b * std::sin(u));
  }
  return ring;
}

TEST(SegmentCrossing, OnlyProperCrossingsCount) {
  OutlinePoint p;
  ASSERT_EQ(IntersectSegments(p, 0, 0, 2, 2, 0, 2, 2, 0), 1);
  EXPECT_DOUBLE_EQ(p.x, 1);
  EXPECT_DOUBLE_EQ(p.y, 1);
  EXPECT_EQ(IntersectSegments(p, 0, 0, 1, 0, 1, 0, 1, 1), 0);  // common end point
  EXPECT_EQ(IntersectSegments(p, 0, 0, 2, 0, 1, 0, 1, 1), 0);  // touching at an end
  EXPECT_EQ(IntersectSegments(p, 0, 0, 2, 0, 1, 0, 3, 0), 0);  // collinear overlap
  EXPECT_EQ(IntersectSegments(p, 0, 0, 2, 0, 0, 1, 2, 1), 0);  // parallel
  EXPECT_EQ(IntersectSegments(p, 0, 0, 0, 0, 0, 1, 2, 1), 0);  // degenerate
  EXPECT_EQ(IntersectSegments(p, 0, 0, 1, 0, 2, -1, 2, 1), 0);  // beyond the end
}

TEST(LoopCut, SmallAndConvexRingsStayAsTheyAre) {
  PointList three = {{0, 0}, {1, 0}, {0, 1}};
  EXPECT_EQ(RemoveSelfIntersections(three), 0);
  EXPECT_EQ(three.size(), 3u);
  PointList circle = LoopedRing(500, 10, 0, 1);
  PointList copy = circle;
  EXPECT_EQ(RemoveSelfIntersections(circle), 0);
  ExpectSameRing(circle, copy);
  PointList same(10, OutlinePoint{3, 4});
  EXPECT_EQ(RemoveSelfIntersections(same), 0);
  EXPECT_EQ(same.size(), 10u);
}

TEST(LoopCut, FigureEightLosesOneLoopKeepingTheStart) {
  // Segments 1 and 5 cross at the origin; a tie keeps the part with point 0.
  PointList ring = {{-2, -1}, {-1, -1}, {1, 1}, {2, 1}, {2, -1}, {1, -1}, {-1, 1}, {-2, 1}};
  int64_t i = 0, j = 0;
  OutlinePoint p;
  std::vector<double> x, y;
  for (const OutlinePoint& q : ring) x.push_back(q.x), y.push_back(q.y);
  ASSERT_EQ(FindSelfIntersection(x.data(), y.data(), 8, i, j, p), 1);
  EXPECT_EQ(i, 1);
  EXPECT_EQ(j, 5);
  EXPECT_EQ(RemoveSelfIntersections(ring), 1);
  ExpectSameRing(ring, {{-2, -1}, {-1, -1}, {0, 0}, {-1, 1}, {-2, 1}});
}

TEST(LoopCut, LargerInnerPartSurvivesAndStartsAtTheCrossing) {
  PointList ring = {{-2, -1}, {-1, -1}, {1, 1}, {2, 1}, {3, 0}, {2, -1}, {1, -1}, {-1, 1}, {-2, 1}};
  EXPECT_EQ(RemoveSelfIntersections(ring), 1);
  ExpectSameRing(ring, {{0, 0}, {1, 1}, {2, 1}, {3, 0}, {2, -1}, {1, -1}});
}

TEST(LoopCut, NeighboursAcrossTheClosingPointAreNotTested) {
  // A spike folding back over the closing point: segments n-1 and 0 overlap
  // but share point 0.
  PointList ring = {{0, 0}, {4, 0}, {4, 1}, {1, 1}, {1, -1}, {2, 0.5}};
  PointList plain = ring;
  EXPECT_EQ(RemoveSelfIntersections(ring), PlainRemove(plain));
  ExpectSameRing(ring, plain);
}

TEST(LoopCut, MatchesThePlainSearchOnTangledRings) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> coord(-50, 50);
  for (int round = 0; round < 6; ++round) {
    PointList ring;
    for (int k = 0; k < 60 + 40 * round; ++k) AddListPoint(ring, coord(random), coord(random));
    ExpectSameAsPlainSearch(ring, 0);
  }
}

TEST(LoopCut, MatchesThePlainSearchOnCrowdedCells) {
  // So many points that the grid is capped and cells hold dozens of
  // segments; a few loops of different sizes.
  for (int64_t loops : {3, 40}) {
    PointList ring = LoopedRing(120000, 50, 50.0 / static_cast<double>(loops) * 1.6, loops);
    ExpectSameAsPlainSearch(ring, 0);
  }
}

TEST(LoopCut, MatchesThePlainSearchWhereLoopsMeetLoops) {
  // Two rolled circles on top of each other: loops of two sizes that cross
  // each other as well as themselves, on a grid at its largest.
  std::mt19937_64 random(11);
  std::uniform_real_distribution<double> unit(0, 1);
  for (int round = 0; round < 2; ++round) {
    int64_t k1 = 60 + static_cast<int64_t>(unit(random) * 40), k2 = 7 + static_cast<int64_t>(unit(random) * 5);
    double b1 = 2.5 * unit(random) + 1, b2 = 6 * unit(random) + 3;
    PointList ring;
    for (int64_t k = 0; k < 40000; ++k) {
      double t = 2 * std::numbers::pi * static_cast<double>(k) / 40000;
      AddListPoint(ring, 100 * std::cos(t) + b1 * std::cos(k1 * t) + b2 * std::cos(k2 * t + 1),
                   100 * std::sin(t) + b1 * std::sin(k1 * t) + b2 * std::sin(k2 * t + 1));
    }
    ExpectSameAsPlainSearch(ring, 10);
  }
}

TEST(LoopCut, MatchesThePlainSearchOnShallowCrossings) {
  // Two finely sampled strands crossing at a shallow angle in a ring whose
  // long sides make the cells large: hundreds of segments share the cells
  // around each crossing.
  for (double at : {0.0, 0.37, -0.61}) {
    PointList ring;
    for (int k = 0; k <= 1000; ++k) AddListPoint(ring, -1 + 0.002 * k, 0);
    for (int k = 0; k <= 1000; ++k) {
      double x = 1 - 0.002 * k;
      AddListPoint(ring, x, 0.01 * (x - at) + 0.002 * std::sin(40 * x));
    }
    AddListPoint(ring, -60, -40);
    AddListPoint(ring, 60, -40);
    AddListPoint(ring, 60, -2);
    ExpectSameAsPlainSearch(ring, 0);
  }
}

// A slim ellipse with `count` narrow inward teeth of depth `depth`: long,
// nearly parallel sides packed close, which fan out and cross at the tight
// ends. Every cut changes the grid.
PointList ToothedEllipse(int64_t count, double depth) {
  PointList ring;
  for (int64_t k = 0; k < count; ++k) {
    for (double f : {0.0, 0.25, 0.5, 0.75}) {
      double t = 2 * std::numbers::pi * (static_cast<double>(k) + f) / static_cast<double>(count);
      double x = 100 * std::cos(t), y = 10 * std::sin(t);
      double nx = 10 * std::cos(t), ny = 100 * std::sin(t), len = std::hypot(nx, ny);
      double d = f == 0.25 || f == 0.5 ? depth : 0;
      AddListPoint(ring, x - d * nx / len, y - d * ny / len);
    }
  }
  return ring;
}

TEST(LoopCut, MatchesThePlainSearchOnDenseTeeth) {
  for (int64_t count : {400, 1500, 3000}) {
    for (double depth : {3.0, 12.0}) ExpectSameAsPlainSearch(ToothedEllipse(count, depth), 5);
  }
}

TEST(LoopCut, MatchesThePlainSearchWhereTheCellSideChangesHands) {
  // Point counts around the one at which the mean segment length and the
  // ring's extent give the same cell, so that cuts move the ring from one
  // to the other.
  for (int64_t points : {9000, 10000, 10400, 10800, 11500, 13000}) {
    ExpectSameAsPlainSearch(LoopedRing(points, 50, 2, 40), 20);
  }
}

// A circle with `spikes` radial spikes 2 mm long, a few microns apart: long,
// dense, near-parallel segments that fill the cells, as many outward
// rectangles on a circle give. Every `bentEvery`-th spike leans over its
// neighbours and crosses them.
PointList DenseSpikes(int64_t spikes, int64_t bentEvery) {
  PointList ring;
  for (int64_t k = 0; k < spikes; ++k) {
    double t0 = 2 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(spikes);
    double t1 = 2 * std::numbers::pi * (static_cast<double>(k) + 0.5) / static_cast<double>(spikes);
    double lean = bentEvery > 0 && k % bentEvery == 0 ? 0.02 : 0;
    AddListPoint(ring, 5 * std::cos(t0), 5 * std::sin(t0));
    AddListPoint(ring, 7 * std::cos(t0 + lean), 7 * std::sin(t0 + lean));
    AddListPoint(ring, 7 * std::cos(t1 + lean), 7 * std::sin(t1 + lean));
    AddListPoint(ring, 5 * std::cos(t1), 5 * std::sin(t1));
  }
  return ring;
}

TEST(LoopCut, MatchesThePlainSearchOnDenseSpikes) {
  PointList clear = DenseSpikes(2000, 0), copy = clear;
  EXPECT_EQ(RemoveSelfIntersections(clear), 0);
  ExpectSameRing(clear, copy);
  ExpectSameAsPlainSearch(DenseSpikes(2000, 397), 2);
  // More leaning spikes: loops apart in crowded cells, whose crossings are
  // found by a sweep over the whole ring and then taken in the order of a
  // grid that moves with every cut.
  ExpectSameAsPlainSearch(DenseSpikes(2000, 97), 20);
}

// A sharp-cornered rectangle with `count` inward triangles of depth
// `depth`: at each corner the tips of the two sides fan into each other, so
// every triangle there crosses dozens of others.
PointList CornerTriangles(int64_t count, double depth) {
  const double w = 50, h = 30, perimeter = 2 * (w + h);
  // Point and inward normal at arc length s, counter-clockwise from the
  // bottom left corner.
  auto at = [&](double s, double& x, double& y, double& nx, double& ny) {
    s = std::fmod(s, perimeter);
    if (s < w) x = s, y = 0, nx = 0, ny = 1;
    else if (s < w + h) x = w, y = s - w, nx = -1, ny = 0;
    else if (s < 2 * w + h) x = 2 * w + h - s, y = h, nx = 0, ny = -1;
    else x = 0, y = perimeter - s, nx = 1, ny = 0;
  };
  PointList ring;
  const double pitch = perimeter / static_cast<double>(count);
  for (int64_t k = 0; k < count; ++k) {
    double x, y, nx, ny, s = 0.3 * pitch + pitch * static_cast<double>(k);
    at(s, x, y, nx, ny);
    AddListPoint(ring, x, y);
    at(s + pitch / 2, x, y, nx, ny);
    AddListPoint(ring, x + depth * nx, y + depth * ny);
  }
  return ring;
}

// A wavy circle rounded to `decimals` and offset inward along its vertex
// normals: swallowtails where the waves bend tighter than the offset, and
// micro-loops where the rounding makes the normals jitter.
PointList RoundedWavyOffset(int64_t points, double decimals, double offset) {
  std::vector<double> x, y;
  double scale = std::pow(10.0, decimals);
  for (int64_t k = 0; k < points; ++k) {
    double a = 2 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(points);
    double r = 50 + 0.5 * std::sin(60 * a);
    x.push_back(std::round(r * std::cos(a) * scale) / scale);
    y.push_back(std::round(r * std::sin(a) * scale) / scale);
  }
  PointList ring;
  for (int64_t k = 0; k < points; ++k) {
    int64_t p = (k + points - 1) % points, q = (k + 1) % points;
    double ax = x[k] - x[p], ay = y[k] - y[p], bx = x[q] - x[k], by = y[q] - y[k];
    double la = std::hypot(ax, ay), lb = std::hypot(bx, by);
    double nx = ay / la + by / lb, ny = -ax / la - bx / lb, ln = std::hypot(nx, ny);
    AddListPoint(ring, x[k] + offset * nx / ln, y[k] + offset * ny / ln);
  }
  return ring;
}

TEST(LoopCut, MatchesThePlainSearchWhereLoopsFan) {
  // Many cuts, each changing the grid, over rings whose crossing pairs
  // outnumber the cuts many times.
  ExpectSameAsPlainSearch(CornerTriangles(3000, 2), 50);
  ExpectSameAsPlainSearch(CornerTriangles(1201, 3.5), 20);
  ExpectSameAsPlainSearch(RoundedWavyOffset(40000, 5, -2), 200);
}

// An ellipse whose teeth have random depths and lean at random: hundreds of
// loops, some eaten into one after another, some apart.
PointList LeaningTeeth(uint64_t seed) {
  std::mt19937_64 random(seed);
  std::uniform_real_distribution<double> unit(0, 1);
  int64_t count = 1500 + static_cast<int64_t>(unit(random) * 4000);
  double a = 100, b = 5 + 20 * unit(random), deepest = 2 + 10 * unit(random);
  PointList ring;
  for (int64_t k = 0; k < count; ++k) {
    double depth = deepest * (0.3 + 0.7 * unit(random)), lean = (unit(random) - 0.5) * 0.2;
    for (double f : {0.0, 0.25, 0.5, 0.75}) {
      double t = 2 * std::numbers::pi * (static_cast<double>(k) + f) / static_cast<double>(count);
      double nx = b * std::cos(t), ny = a * std::sin(t), len = std::hypot(nx, ny);
      double ex = nx / len, ey = ny / len;
      double dx = ex * std::cos(lean) - ey * std::sin(lean), dy = ex * std::sin(lean) + ey * std::cos(lean);
      double d = f == 0.25 || f == 0.5 ? depth : 0;
      AddListPoint(ring, a * std::cos(t) - d * dx, b * std::sin(t) - d * dy);
    }
  }
  return ring;
}

TEST(LoopCut, MatchesThePlainSearchOnLeaningTeeth) {
  for (uint64_t seed : {1, 3, 9}) ExpectSameAsPlainSearch(LeaningTeeth(seed), 300);
}

// A comb of long slanted teeth that overlap the ones before them, at gaps
// of random length, beside a finely divided side that makes the cells small
// against the teeth: each search after a cut goes on for a varying number
// of rows, with teeth reaching into them from below.
PointList OverlappingTeeth(uint64_t seed, int side = 10000) {
  std::mt19937_64 random(seed);
  std::exponential_distribution<double> gap(0.5);
  std::uniform_real_distribution<double> rise(1, 8);
  PointList ring;
  double h = 0;
  for (int k = 0; k < 200; ++k) {
    double top = h + rise(random);
    AddListPoint(ring, 0, h);
    AddListPoint(ring, 10, top);
    AddListPoint(ring, 0, h + 0.05);
    h += 0.1 + gap(random);
  }
  h += 8;
  AddListPoint(ring, 0, h);
  for (int q = 0; q <= side; ++q) AddListPoint(ring, 20, h - (h + 1) * q / side);
  AddListPoint(ring, 0, -1);
  return ring;
}

TEST(LoopCut, MatchesThePlainSearchOnOverlappingTeeth) {
  for (uint64_t seed : {2, 5, 11}) ExpectSameAsPlainSearch(OverlappingTeeth(seed), 50);
  // A side so fine that the box's side sets the walk's cell: the teeth's
  // boxes cover so many of the fine cells on which every crossing is
  // collected that the collection goes to coarser ones.
  ExpectSameAsPlainSearch(OverlappingTeeth(7, 80000), 50);
}

// The ring moved by d along each segment's normal, each segment on its own
// (a sharp corner gives two points), as a base line offset from an
// imported outline: where the outline is dense, teeth and the short
// joins at their corners cross by the thousand, and the joins lie nearly
// on one line, so that the cells' sweeps take out most segments.
PointList OffsetBySegments(const PointList& outline, double d) {
  PointList ring;
  const size_t n = outline.size();
  for (size_t k = 0; k < n; ++k) {
    const OutlinePoint a = outline[k], b = outline[(k + 1) % n];
    double len = std::hypot(b.x - a.x, b.y - a.y);
    double nx = (b.y - a.y) / len, ny = (a.x - b.x) / len;
    AddListPoint(ring, a.x + d * nx, a.y + d * ny);
    AddListPoint(ring, b.x + d * nx, b.y + d * ny);
  }
  return ring;
}

TEST(LoopCut, MatchesThePlainSearchOnCombsAndZigzags) {
  // Each search meets the crossing in the crowded cell of the last one, a
  // little further along the ring: the pairs before it there were passed.
  // A zigzag whose swing grows along it, over a base far below.
  ExpectSameAsPlainSearch(OffsetBySegments(GrowingZigzag(3000, -100), 0.3), 1000);
  // A zigzag of even swing on a flat base.
  ExpectSameAsPlainSearch(OffsetBySegments(FlatZigzag(3000, 0.005, 15), -1.5), 300);
  // A comb of 1200 teeth 1 mm deep against a straight back.
  ExpectSameAsPlainSearch(OffsetBySegments(Comb(1200, 0.001, 1, false), 0.5), 1);
}

// Every route of the loop cut, and every hand-over between routes, gives
// the plain search's cuts: each ring is sent down each route from its
// first cut (the walk alone; the crossing set filled by collecting or by a
// sweep; the search near the last cut), with the set giving up after a few
// cuts (to the search near the last cut) and with the set taking turns
// between its heap and its bands (the bands handing back to the heap).
TEST(LoopCut, EveryRouteMatchesThePlainSearch) {
  struct Route {
    const char* name;
    LoopCutRoutes force;
  };
  const Route routes[] = {
      {"walk", {LoopCutRoute::WALK, -1, false, 0}},
      {"collected set", {LoopCutRoute::COLLECTED_SET, -1, false, 0}},
      {"collected set, heap and bands in turn", {LoopCutRoute::COLLECTED_SET, -1, true, 0}},
      {"collected set giving up", {LoopCutRoute::COLLECTED_SET, 3, false, 0}},
      {"swept set, heap and bands in turn", {LoopCutRoute::SWEPT_SET, -1, true, 0}},
      {"swept set giving up", {LoopCutRoute::SWEPT_SET, 5, false, 0}},
      {"search near the last cut", {LoopCutRoute::NEARBY, -1, false, 0}},
  };
  // Puts the routes back as the program has them, however the test ends.
  struct Restore {
    ~Restore() { gLoopCutRoutes = LoopCutRoutes{}; }
  } restore;
  const PointList rings[] = {LoopedRing(40000, 50, 2, 40), LoopedRing(10400, 50, 2, 40), DenseSpikes(2000, 97),
                             CornerTriangles(1201, 3.5), ToothedEllipse(1500, 12), LeaningTeeth(3)};
  for (const PointList& ring : rings) {
    PointList plain = ring;
    const int64_t want = PlainRemove(plain);
    EXPECT_GT(want, 5);
    for (const Route& route : routes) {
      SCOPED_TRACE(route.name);
      gLoopCutRoutes = route.force;
      PointList cut = ring;
      EXPECT_EQ(RemoveSelfIntersections(cut), want);
      gLoopCutRoutes = LoopCutRoutes{};
      ExpectSameRing(cut, plain);
    }
  }
}

// The segments a crowded cell's sweep left through a cut: those the cut
// leaves as they were, at their new places; the two it changes and those it
// removes drop out. Ring of 20 points, cut at segments 5 and 9.
TEST(LoopCut, SweptSegmentsFollowTheirPlacesThroughACut) {
  CrossingSearch work;
  const std::vector<int64_t> before = {0, 4, 5, 6, 8, 9, 10, 19};
  work.coverCold = before;
  KeepCoverThroughCut(work, 5, 9, true);
  EXPECT_EQ(work.coverCold, (std::vector<int64_t>{0, 4, 7, 16}));
  EXPECT_TRUE(work.coverKept);
  work.coverCold = before;
  KeepCoverThroughCut(work, 5, 9, false);
  EXPECT_EQ(work.coverCold, (std::vector<int64_t>{1, 3}));
}

// What earlier searches passed, through a cut at segments 5 and 9 that kept
// the ring's start: indices below 5 stay, 5 and 9 change and those between
// go, the rest move down by 3; the cut's two segments are new to every
// entry, and the search that found the cut adds its own.
TEST(LoopCut, PassedPairsFollowTheirPlacesThroughACut) {
  CrossingSearch work;
  work.passed = {{1, 2, 4, {0, 3}}, {1, 2, 7, {6, 12}}, {1, 2, 20, {5, 9, 10}}};
  KeepPassedThroughCut(work, 5, 9, true, 3, 4);
  ASSERT_EQ(work.passed.size(), 4u);
  const std::vector<std::pair<int64_t, std::vector<int64_t>>> want = {
      {4, {0, 3, 5, 6}}, {5, {5, 6, 9}}, {17, {5, 6, 7}}, {5, {5, 6}}};
  for (size_t q = 0; q < want.size(); ++q) {
    EXPECT_EQ(work.passed[q].before, want[q].first) << q;
    EXPECT_EQ(work.passed[q].made, want[q].second) << q;
  }
  EXPECT_EQ(work.passed[3].above, 3);
  EXPECT_EQ(work.passed[3].right, 4);
  // A cut that kept the other part renumbers everything.
  KeepPassedThroughCut(work, 2, 8, false, 3, 4);
  EXPECT_TRUE(work.passed.empty());
}

// Where the mean segment length sets the cell, every cut moves the grid:
// the crossing set, given every crossing pair, must still take them in the
// plain search's order, row by row and column by column as the grid stands.
TEST(LoopCut, CrossingSetKeepsThePlainOrderWhileTheGridMoves) {
  for (PointList ring : {LoopedRing(3000, 50, 2, 60), LoopedRing(2400, 20, 1.5, 45), DenseSpikes(800, 7)}) {
    std::vector<double> x, y;
    for (const OutlinePoint& q : ring) x.push_back(q.x), y.push_back(q.y);
    int64_t n = static_cast<int64_t>(x.size());
    std::vector<CrossingPair> pairs;
    for (int64_t s1 = 0; s1 < n; ++s1)
      for (int64_t s2 = s1 + 2; s2 < n; ++s2) {
        OutlinePoint p;
        int64_t e = (s2 + 1) % n;
        if (!(s1 == 0 && s2 == n - 1) &&
            IntersectSegments(p, x[s1], y[s1], x[s1 + 1], y[s1 + 1], x[s2], y[s2], x[e], y[e]))
          pairs.push_back(CrossingPair{s1, s2});
      }
    CrossingSet set;
    StartCrossingSet(set, x.data(), y.data(), n, pairs);
    CrossingGrid grid;
    bool sideSetCell = true;
    ASSERT_TRUE(MakeCrossingGrid(set.tree[1], RoundedExactSum(set.perimeter), n, grid, sideSetCell));
    EXPECT_FALSE(sideSetCell);
    int64_t cuts = 0;
    while (set.n >= 4) {
      int64_t a = 0, b = 0;
      OutlinePoint p;
      int64_t found = FirstCrossing(set, a, b, p);
      ASSERT_GE(found, 0);
      if (found == 0) break;
      ASSERT_TRUE(CutAtCrossing(set, a, b, p));
      ++cuts;
    }
    ReadRing(set, x, y, n);
    PointList cut, plain = ring;
    for (int64_t k = 0; k < n; ++k) AddListPoint(cut, x[k], y[k]);
    EXPECT_EQ(cuts, PlainRemove(plain));
    EXPECT_GT(cuts, 10);
    ExpectSameRing(cut, plain);
  }
}

TEST(LoopCut, StopsAfterTheMostCuts) {
  PointList ring = LoopedRing(36000, 1000, 1, 6000);
  EXPECT_EQ(RemoveSelfIntersections(ring), MAX_LOOP_CUTS);
  std::vector<double> x, y;
  for (const OutlinePoint& q : ring) x.push_back(q.x), y.push_back(q.y);
  int64_t i, j;
  OutlinePoint p;
  EXPECT_EQ(FindSelfIntersection(x.data(), y.data(), static_cast<int64_t>(x.size()), i, j, p), 1);
}

TEST(LoopCut, NonFinitePointsAreLeftAlone) {
  double nan = std::numeric_limits<double>::quiet_NaN();
  double inf = std::numeric_limits<double>::infinity();
  PointList ring = {{0, 0}, {2, 2}, {nan, 0}, {0, 2}, {2, 0}};
  EXPECT_EQ(RemoveSelfIntersections(ring), 0);
  EXPECT_EQ(ring.size(), 5u);
  PointList far = {{-1e308, 0}, {1e308, 1}, {1e308, 0}, {-1e308, 1}, {0, inf}};
  EXPECT_EQ(RemoveSelfIntersections(far), 0);
  // Huge but finite: the perimeter overflows, so the grid has one cell, and
  // the segment test overflows too.
  PointList huge = {{0, 0}, {1e300, 1e300}, {1e300, 0}, {0, 1e300}};
  PointList plainHuge = huge;
  EXPECT_EQ(RemoveSelfIntersections(huge), PlainRemove(plainHuge));
  ExpectSameRing(huge, plainHuge);
}

// A square whose left side, run downward, curls inward into `small` loops
// of a few points (the lowest, cut first) and, higher up, into one loop of
// `dense` points, of little area.
PointList CurledSquare(int small, int64_t dense, double denseTop) {
  // 400 points on the other three sides.
  PointList ring;
  for (int k = 0; k < 400; ++k) {
    double t = k / 4.0 * 3;
    AddListPoint(ring, std::min(t, 100.0) - std::max(t - 200, 0.0), std::clamp(t - 100, 0.0, 100.0));
  }
  // A circle that leaves the side and crosses it again higher up.
  auto curl = [&ring](double top, int64_t points, double radius) {
    AddListPoint(ring, 0, top);
    const double a0 = std::numbers::pi + std::asin(0.6);
    for (int64_t k = 0; k < points; ++k) {
      double a = a0 + 2 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(points);
      AddListPoint(ring, radius * (std::cos(a) + 0.8), top + radius * (std::sin(a) - 1));
    }
  };
  curl(denseTop, dense, 2);
  for (int c = 0; c < small; ++c) curl(20 - 1.5 * c, 12, 0.5);
  return ring;
}
// The part with fewer points stays where it clearly holds the ring's area,
// on every route of the loop cut (the walk for the first cuts, the crossing
// set and the search near the last cut after them), as in the plain search,
// which weighs both parts afresh; where the loop has fewer points, or many
// loops are cut, the points decide.
TEST(LoopCut, AreaOverrulesPointsAsInThePlainSearch) {
  struct Case {
    PointList ring;
    int64_t minimumCuts;
    bool overruled;
  };
  const Case cases[] = {
      {CurledSquare(0, 3000, 10), 0, true},    // the dense loop cut first
      {CurledSquare(10, 3000, 50), 10, true},  // the dense loop cut after ten small ones
      {CurledSquare(10, 300, 50), 10, false},  // the dense loop has fewer points than the rest
      {LeaningTeeth(3), 300, false},
  };
  for (const Case& c : cases) {
    PointList ring = c.ring, plain = c.ring;
    int64_t overruled = 0;
    int64_t want = PlainRemove(plain, &overruled);
    EXPECT_GT(want, c.minimumCuts);
    EXPECT_EQ(overruled > 0, c.overruled);
    EXPECT_EQ(RemoveSelfIntersections(ring), want);
    ExpectSameRing(ring, plain);
  }
}

}  // namespace

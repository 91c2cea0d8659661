#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <utility>
#include <vector>

#include "engine/polyline.h"
#include "tests/support/dense_rings.h"

namespace {

PointList Ring(std::initializer_list<OutlinePoint> points) { return PointList(points); }

void ExpectPoints(const PointList& got, const PointList& want) {
  ASSERT_EQ(got.size(), want.size());
  for (size_t i = 0; i < got.size(); i++) {
    EXPECT_EQ(got[i].x, want[i].x) << i;
    EXPECT_EQ(got[i].y, want[i].y) << i;
  }
}

// Largest distance of any source point to the simplified ring's edges.
double LargestDeviation(const PointList& source, const PointList& simple) {
  double worst = 0;
  for (const OutlinePoint& p : source) {
    double best = 1e300;
    for (size_t i = 0; i < simple.size(); i++) {
      const OutlinePoint& a = simple[i];
      const OutlinePoint& b = simple[(i + 1) % simple.size()];
      best = std::min(best, PointSegmentDistance(p.x, p.y, a.x, a.y, b.x, b.y));
    }
    worst = std::max(worst, best);
  }
  return worst;
}

TEST(PointSegmentDistance, ClampsToTheSegment) {
  EXPECT_EQ(PointSegmentDistance(5, 5, 0, 0, 10, 0), 5.0);
  EXPECT_EQ(PointSegmentDistance(-3, 4, 0, 0, 10, 0), 5.0);
  EXPECT_EQ(PointSegmentDistance(13, 4, 0, 0, 10, 0), 5.0);
  EXPECT_EQ(PointSegmentDistance(3, 4, 0, 0, 0, 0), 5.0);  // a point-like segment
}

TEST(SimplifyClosedPolyline, SquareFromACornerKeepsItsCorners) {
  PointList square = Ring({{1, 1}, {0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}, {1, 0}});
  PointList out;
  SimplifyClosedPolyline(square, 0.001, out);
  ExpectPoints(out, Ring({{1, 1}, {-1, 1}, {-1, -1}, {1, -1}}));
}

TEST(SimplifyClosedPolyline, SquareFromASideMidpointDropsPointZero) {
  PointList square = Ring({{0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}, {1, 0}, {1, 1}});
  PointList out;
  SimplifyClosedPolyline(square, 0.001, out);
  ExpectPoints(out, Ring({{-1, 1}, {-1, -1}, {1, -1}, {1, 1}}));
}

TEST(SimplifyClosedPolyline, SmallRingsAndNoToleranceGiveACopy) {
  PointList triangle = Ring({{0, 0}, {1, 0}, {0.5, 1e-9}});
  PointList square = Ring({{0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}, {1, 0}, {1, 1}});
  PointList out = Ring({{7, 7}});
  SimplifyClosedPolyline(triangle, 10, out);
  ExpectPoints(out, triangle);
  for (double tol : {0.0, -1.0, std::nan("")}) {
    SimplifyClosedPolyline(square, tol, out);
    ExpectPoints(out, square);
  }
  PointList empty;
  SimplifyClosedPolyline(empty, 1, out);
  EXPECT_TRUE(out.empty());
  // In place: the ring is thinned, not lost.
  PointList ring = square;
  SimplifyClosedPolyline(ring, 0.001, ring);
  EXPECT_EQ(ring.size(), 4u);
}

TEST(SimplifyClosedPolyline, DegenerateRings) {
  PointList same = Ring({{2, 3}, {2, 3}, {2, 3}, {2, 3}, {2, 3}});
  PointList out;
  SimplifyClosedPolyline(same, 0.1, out);
  ExpectPoints(out, Ring({{2, 3}}));
  PointList flat = Ring({{0, 0}, {1, 0}, {2, 0}, {3, 0}, {2, 0}, {1, 0}});
  SimplifyClosedPolyline(flat, 0.1, out);
  ExpectPoints(out, Ring({{0, 0}, {3, 0}}));
}

TEST(SimplifyClosedPolyline, FirstOfEqualDeviationsWins) {
  // Points 1 and 2 lie 1 mm off the chord 0-3; keeping 1 makes 2 redundant.
  PointList ring = Ring({{0, 0}, {3, 1}, {6, 1}, {10, 0}, {5, -3}});
  PointList out;
  SimplifyClosedPolyline(ring, 0.5, out);
  ExpectPoints(out, Ring({{0, 0}, {3, 1}, {10, 0}, {5, -3}}));
}

TEST(SimplifyClosedPolyline, ADeviationOfExactlyTheToleranceIsDropped) {
  PointList ring = Ring({{0, 0}, {5, 0.5}, {10, 0}, {5, -4}});
  PointList out;
  SimplifyClosedPolyline(ring, 0.5, out);
  ExpectPoints(out, Ring({{0, 0}, {10, 0}, {5, -4}}));
  SimplifyClosedPolyline(ring, 0.4999, out);
  ExpectPoints(out, ring);
  // Point 0 across the closing stretch, exactly the tolerance off the chord.
  PointList bump = Ring({{0, 0.5}, {-5, 0}, {-5, -10}, {5, -10}, {5, 0}});
  SimplifyClosedPolyline(bump, 0.5, out);
  ExpectPoints(out, Ring({{-5, 0}, {-5, -10}, {5, -10}, {5, 0}}));
  SimplifyClosedPolyline(bump, 0.49, out);
  ExpectPoints(out, bump);
}

TEST(SimplifyClosedPolyline, LargeRingStaysWithinTolerance) {
  // A rippled circle of 200,000 points; the explicit stack handles its depth.
  PointList ring;
  const int n = 200000;
  for (int i = 0; i < n; i++) {
    double t = 2 * std::numbers::pi * i / n;
    double r = 50 + 2 * std::sin(80 * t);
    ring.push_back({-r * std::sin(t), r * std::cos(t)});
  }
  PointList out;
  SimplifyClosedPolyline(ring, 0.01, out);
  EXPECT_LT(out.size(), ring.size() / 10);
  EXPECT_GT(out.size(), 400u);
  EXPECT_EQ(out[0].x, ring[0].x);
  PointList sample;  // every 37th source point, to keep the check quick
  for (size_t i = 0; i < ring.size(); i += 37) sample.push_back(ring[i]);
  EXPECT_LE(LargestDeviation(sample, out), 0.01);
}

// The simplification written out plainly: every chord scanned point by
// point for the first of its farthest points.
PointList PlainSimplify(const PointList& ring, double tol) {
  const int64_t n = static_cast<int64_t>(ring.size());
  auto at = [&](int64_t i) { return ring[static_cast<size_t>(i % n)]; };
  auto distance = [&](int64_t i, int64_t a, int64_t b) {
    return PointSegmentDistance(at(i).x, at(i).y, at(a).x, at(a).y, at(b).x, at(b).y);
  };
  std::vector<char> keep(static_cast<size_t>(n) + 1, 0);
  int64_t far = 0;
  double farD2 = 0;
  for (int64_t i = 1; i < n; i++) {
    double dx = at(i).x - at(0).x, dy = at(i).y - at(0).y;
    if (dx * dx + dy * dy > farD2) farD2 = dx * dx + dy * dy, far = i;
  }
  keep[0] = keep[static_cast<size_t>(far)] = keep[static_cast<size_t>(n)] = 1;
  std::vector<std::pair<int64_t, int64_t>> stack{{far, n}, {0, far}};
  while (!stack.empty()) {
    auto [a, b] = stack.back();
    stack.pop_back();
    double best = -1;
    int64_t index = a;
    for (int64_t i = a + 1; i < b; i++) {
      double d = distance(i, a, b);
      if (d > best) best = d, index = i;
    }
    if (best > tol) {
      keep[static_cast<size_t>(index)] = 1;
      stack.push_back({index, b});
      stack.push_back({a, index});
    }
  }
  int64_t a = n - 1, b = 1;
  while (a > 0 && !keep[static_cast<size_t>(a)]) a--;
  while (b < n && !keep[static_cast<size_t>(b)]) b++;
  if (b < n && a > b) {
    double worst = 0;
    for (int64_t i = a + 1; i < n + b; i++) worst = std::max(worst, distance(i, a, b));
    if (worst <= tol) keep[0] = 0;
  }
  PointList out;
  for (int64_t i = 0; i < n; i++)
    if (keep[static_cast<size_t>(i)]) out.push_back(at(i));
  return out;
}

// Rings that make the chords peel off one point at a time (so the search
// leaves the plain scan for the tree), or that tie or nearly tie on every
// chord; n points or teeth each.
enum RingShape { GROWING_ZIGZAG, ZIGZAG, COMB, NOISY_CIRCLE, RANDOM };

PointList TestRing(RingShape shape, int n) {
  std::mt19937_64 random(11);
  std::uniform_real_distribution<double> unit(0, 1);
  if (shape == GROWING_ZIGZAG) return GrowingZigzag(n, -1000);
  if (shape == ZIGZAG) return WideZigzag(n, 0.0005);
  if (shape == COMB) return Comb(n, 0.001, 1, true);
  if (shape == NOISY_CIRCLE) return RoundRing(n, RING_FROM_TOP, [&] { return 50 + 0.01 * (2 * unit(random) - 1); });
  PointList ring;
  for (int i = 0; i < n; i++) ring.push_back({100 * unit(random), 100 * unit(random)});
  return ring;
}

TEST(SimplifyClosedPolyline, KeepsThePlainScansPointsOnPeelingTiedAndNoisyRings) {
  struct Case {
    RingShape shape;
    int n;
    std::vector<double> tolerances;
  };
  const Case cases[] = {
      {GROWING_ZIGZAG, 6000, {0.0001, 0.3}},
      {ZIGZAG, 6000, {0.0005, 0.5}},
      {COMB, 3000, {0.0005, 0.6}},
      {NOISY_CIRCLE, 20000, {0.0005, 0.005, 0.02}},
      {RANDOM, 5000, {0.0005, 5}},
  };
  for (const Case& c : cases) {
    PointList ring = TestRing(c.shape, c.n);
    for (double tol : c.tolerances) {
      SCOPED_TRACE(testing::Message() << "shape " << c.shape << " tolerance " << tol);
      PointList out;
      SimplifyClosedPolyline(ring, tol, out);
      ExpectPoints(out, PlainSimplify(ring, tol));
    }
  }
}

// The preview's thinning: the first of t, 2t, 4t, ... that meets the budget.
PointList ThinByPasses(const PointList& ring, double t, int64_t passes, int64_t budget) {
  PointList out;
  for (int64_t pass = 0; pass < passes; pass++, t *= 2) {
    SimplifyClosedPolyline(ring, t, out);
    if (static_cast<int64_t>(out.size()) <= budget) break;
  }
  return out;
}

TEST(SimplifyClosedPolylineToBudget, GivesThePassThatFirstMeetsTheBudget) {
  // Budgets at every pass's count and one below it; spikes round a circle
  // thin only at the last passes; a square with point 0 mid-side is the
  // budget that only dropping point 0 meets.
  PointList spikes;
  for (int i = 0; i < 4000; i++) {
    double t = 2 * std::numbers::pi * i / 4000, r = i % 4 < 2 ? 25 : 27;
    spikes.push_back({-r * std::sin(t), r * std::cos(t)});
  }
  PointList square = Ring({{0, 1}, {-1, 1}, {-1, 0}, {-1, -1}, {0, -1}, {1, -1}, {1, 0}, {1, 1}});
  struct Case {
    PointList ring;
    double t;
    int64_t passes;
  };
  const Case cases[] = {
      {spikes, 54.0 / 5000, 13},
      {TestRing(NOISY_CIRCLE, 3000), 0.0001, 13},
      {TestRing(COMB, 1500), 0.0005, 13},
      {square, 0.001, 3},
  };
  for (const Case& c : cases) {
    std::vector<int64_t> budgets{0, 1, 4, 1000000};
    for (int64_t pass = 0; pass < c.passes; pass++) {
      PointList out;
      SimplifyClosedPolyline(c.ring, std::ldexp(c.t, static_cast<int>(pass)), out);
      budgets.push_back(static_cast<int64_t>(out.size()));
      budgets.push_back(static_cast<int64_t>(out.size()) - 1);
    }
    for (int64_t budget : budgets) {
      SCOPED_TRACE(testing::Message() << "points " << c.ring.size() << " budget " << budget);
      PointList out;
      SimplifyClosedPolylineToBudget(c.ring, c.t, c.passes, budget, out);
      ExpectPoints(out, ThinByPasses(c.ring, c.t, c.passes, budget));
    }
  }
}

TEST(CheckOffsetClearance, TestsAtMost200PointsAgainstEveryEdge) {
  PointList square = Ring({{-10, 0}, {10, 0}, {10, 20}, {-10, 20}});
  const double d = 1.0;
  // Offset ring points 1 mm inside the square, on its bottom edge's parallel.
  std::vector<double> x(1000), y(1000);
  for (int i = 0; i < 1000; i++) {
    x[i] = -5 + i * 0.01;
    y[i] = 1;
  }
  EXPECT_EQ(CheckOffsetClearance(square, x.data(), y.data(), 1000, d), 1);
  y[3] = 0.5;  // too close, but not a tested point (step 5)
  EXPECT_EQ(CheckOffsetClearance(square, x.data(), y.data(), 1000, d), 1);
  y[5] = 0.5;
  EXPECT_EQ(CheckOffsetClearance(square, x.data(), y.data(), 1000, d), 0);
  // With 199 points every point is tested; the limit is 0.9 d - 1e-6.
  std::vector<double> x2(x.begin(), x.begin() + 199), y2(199, 1);
  y2[198] = 0.9 * d - 1e-6;
  EXPECT_EQ(CheckOffsetClearance(square, x2.data(), y2.data(), 199, d), 1);
  y2[198] = 0.9 * d - 2e-6;
  EXPECT_EQ(CheckOffsetClearance(square, x2.data(), y2.data(), 199, d), 0);
}

}  // namespace

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "engine/polyline.h"

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

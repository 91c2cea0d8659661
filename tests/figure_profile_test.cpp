#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>

#include "engine/figure_profile.h"

namespace {

struct Profile {
  PointList points;
  double filletUsed = 0;
};

Profile Build(int64_t kind, int64_t dir, double pitch, double w, double g, double d, double top, double fillet) {
  Profile p;
  p.filletUsed = fillet;
  BuildFigureProfile(kind, dir, pitch, w, g, d, top, fillet, p.points, p.filletUsed);
  return p;
}

void ExpectPoints(const PointList& got, std::initializer_list<OutlinePoint> want) {
  ASSERT_EQ(got.size(), want.size());
  size_t k = 0;
  for (const OutlinePoint& p : want) {
    EXPECT_DOUBLE_EQ(got[k].x, p.x) << "point " << k;
    EXPECT_DOUBLE_EQ(got[k].y, p.y) << "point " << k;
    ++k;
  }
}

double Distance(const OutlinePoint& a, double x, double y) { return std::hypot(a.x - x, a.y - y); }

TEST(FigureProfile, SharpCornersWithoutFillet) {
  Profile out = Build(FIGURE_RECTANGLE, 1, 4, 2, 2, 2, 0, 0);
  ExpectPoints(out.points, {{1, 0}, {1, 2}, {3, 2}, {3, 0}});
  Profile in = Build(FIGURE_RECTANGLE, -1, 4, 2, 2, 2, 0, 0);
  ExpectPoints(in.points, {{1, 0}, {1, -2}, {3, -2}, {3, 0}});
  EXPECT_EQ(in.filletUsed, 0);
  // A square takes its depth from the caller like a rectangle.
  ExpectPoints(Build(FIGURE_SQUARE, 1, 5, 3, 2, 3, 0, 0).points, {{1, 0}, {1, 3}, {4, 3}, {4, 0}});
}

TEST(FigureProfile, GapZeroDropsTheCornerSharedWithTheNextFigure) {
  // A zigzag: the base corner at the end is the next figure's first.
  ExpectPoints(Build(FIGURE_TRIANGLE, 1, 6, 6, 0, 2, 0, 0).points, {{0, 0}, {3, 2}});
  ExpectPoints(Build(FIGURE_TRIANGLE, -1, 6, 4, 2, 2, 0, 0).points, {{1, 0}, {3, -2}, {5, 0}});
  // A trapezoid without top width has a single apex like the triangle.
  ExpectPoints(Build(FIGURE_TRAPEZOID, 1, 6, 4, 2, 2, 0, 0).points, {{1, 0}, {3, 2}, {5, 0}});
  ExpectPoints(Build(FIGURE_TRAPEZOID, 1, 6, 4, 2, 2, 2, 0).points, {{1, 0}, {2, 2}, {4, 2}, {5, 0}});
  ExpectPoints(Build(FIGURE_RECTANGLE, 1, 4, 4, 0, 1, 0, 0).points, {{0, 0}, {0, 1}, {4, 1}});
}

TEST(FigureProfile, FilletLimitedToHalfTheEdges) {
  Profile p = Build(FIGURE_RECTANGLE, 1, 4, 2, 2, 2, 0, 5);
  EXPECT_DOUBLE_EQ(p.filletUsed, 1);
  // Four right-angle corners, 14 segments (15 points) each.
  ASSERT_EQ(p.points.size(), 60u);
  // First arc: from (0, 0) to (1, 1) around (0, 1), radius 1.
  EXPECT_NEAR(p.points[0].x, 0, 1e-12);
  EXPECT_NEAR(p.points[0].y, 0, 1e-12);
  EXPECT_NEAR(p.points[14].x, 1, 1e-12);
  EXPECT_NEAR(p.points[14].y, 1, 1e-12);
  for (int k = 0; k < 15; ++k) EXPECT_NEAR(Distance(p.points[k], 0, 1), 1, 1e-12);
  // Second arc ends half-way along the top.
  EXPECT_NEAR(p.points[29].x, 2, 1e-12);
  EXPECT_NEAR(p.points[29].y, 2, 1e-12);
}

TEST(FigureProfile, SmallFilletKeepsItsRadiusAndSegmentCounts) {
  // Apex with an interior angle of 80 degrees sweeps 100 degrees: 15 segments;
  // the base corners (130 degrees) sweep 50: 8 segments.
  double half = std::tan(40 * std::numbers::pi / 180);
  Profile p = Build(FIGURE_TRIANGLE, 1, 2 * half + 1, 2 * half, 1, 1, 0, 0.1);
  EXPECT_DOUBLE_EQ(p.filletUsed, 0.1);
  EXPECT_EQ(p.points.size(), 9u + 16u + 9u);
  // The apex arc is centred on the axis of the figure, r / sin(40) below the apex.
  double cx = (2 * half + 1) / 2, cy = 1 - 0.1 / std::sin(40 * std::numbers::pi / 180);
  for (size_t k = 9; k < 25; ++k) EXPECT_NEAR(Distance(p.points[k], cx, cy), 0.1, 1e-12);
  EXPECT_NEAR(p.points[9].x + p.points[24].x, 2 * cx, 1e-12);
  EXPECT_NEAR(p.points[9].y, p.points[24].y, 1e-12);
}

TEST(FigureProfile, NearlyStraightCornersStaySharp) {
  Profile p = Build(FIGURE_TRIANGLE, 1, 3, 2, 1, 1e-6, 0, 0.5);
  ExpectPoints(p.points, {{0.5, 0}, {1.5, 1e-6}, {2.5, 0}});
  EXPECT_EQ(p.filletUsed, 0.5);
}

TEST(FigureProfile, TouchingFiguresWithFilletStayFinite) {
  // Gap 0: the first base corner folds back between two flanks on one line.
  Profile p = Build(FIGURE_RECTANGLE, 1, 4, 4, 0, 2, 0, 0.5);
  EXPECT_EQ(p.filletUsed, 0);
  EXPECT_EQ(p.points.size(), 30u);  // the two top corners only
  for (const OutlinePoint& q : p.points) {
    EXPECT_TRUE(std::isfinite(q.x) && std::isfinite(q.y));
    EXPECT_GE(q.y, 1.5 - 1e-12);
  }
  // The top arcs keep the asked radius.
  EXPECT_NEAR(Distance(p.points[0], 0.5, 1.5), 0.5, 1e-12);
  Profile trapezoid = Build(FIGURE_TRAPEZOID, -1, 4, 4, 0, 2, 4, 0.5);
  EXPECT_EQ(trapezoid.filletUsed, 0);
  for (const OutlinePoint& q : trapezoid.points) EXPECT_TRUE(std::isfinite(q.x) && std::isfinite(q.y));
}

TEST(FigureProfile, HalfCircleAndSineAreSampledWithoutFillet) {
  Profile open = Build(FIGURE_HALF_CIRCLE, 1, 5, 4, 1, 2, 0, 3);
  ASSERT_EQ(open.points.size(), 49u);
  EXPECT_DOUBLE_EQ(open.points.front().x, 0.5);
  EXPECT_NEAR(open.points.front().y, 0, 1e-15);
  EXPECT_DOUBLE_EQ(open.points[24].x, 2.5);
  EXPECT_DOUBLE_EQ(open.points[24].y, 2);
  EXPECT_NEAR(open.points.back().x, 4.5, 1e-12);
  EXPECT_EQ(open.filletUsed, 3);  // untouched
  Profile closed = Build(FIGURE_HALF_CIRCLE, -1, 4, 4, 0, 2, 0, 0);
  ASSERT_EQ(closed.points.size(), 48u);
  EXPECT_DOUBLE_EQ(closed.points[24].y, -2);

  Profile sine = Build(FIGURE_SINE, -1, 8, 8, 0, 3, 0, 0);
  ASSERT_EQ(sine.points.size(), 96u);
  EXPECT_EQ(sine.points[0].x, 0);
  EXPECT_EQ(sine.points[0].y, 0);
  EXPECT_DOUBLE_EQ(sine.points[48].x, 4);
  EXPECT_DOUBLE_EQ(sine.points[48].y, -3);
  EXPECT_DOUBLE_EQ(sine.points[95].x, 8.0 * 95 / 96);
}

TEST(FigureProfile, UnknownKindOrNonFiniteSizesGiveNoArcs) {
  EXPECT_TRUE(Build(FIGURE_NONE, 1, 4, 2, 2, 2, 0, 1).points.empty());
  EXPECT_TRUE(Build(9, 1, 4, 2, 2, 2, 0, 1).points.empty());
  double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(Build(FIGURE_RECTANGLE, 1, 4, 2, 2, nan, 0, 1).points.size(), 4u);
  EXPECT_EQ(Build(FIGURE_RECTANGLE, 1, 4, 2, 2, 2, 0, nan).points.size(), 4u);
  double inf = std::numeric_limits<double>::infinity();
  EXPECT_EQ(Build(FIGURE_TRIANGLE, 1, 4, 2, 2, inf, 0, 1).points.size(), 3u);
}

}  // namespace

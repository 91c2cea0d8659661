#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "engine/base_line.h"
#include "tests/support/ring_checks.h"

namespace {

constexpr double PI = std::numbers::pi;

// The conventions every builder keeps: closed by an exact copy of point 0,
// starting at (0, b) on +y with normal (0, 1), counter-clockwise, unit normals.
void ExpectClosedCounterClockwiseFromTop(const BaseLine& line, double b) {
  ASSERT_GE(line.count, 3);
  int64_t last = line.count - 1;
  EXPECT_EQ(line.x[0], 0.0);
  EXPECT_EQ(line.y[0], b);
  EXPECT_EQ(line.nx[0], 0.0);
  EXPECT_EQ(line.ny[0], 1.0);
  EXPECT_EQ(line.x[last], line.x[0]);
  EXPECT_EQ(line.y[last], line.y[0]);
  EXPECT_EQ(line.nx[last], line.nx[0]);
  EXPECT_EQ(line.ny[last], line.ny[0]);
  EXPECT_LT(line.x[1], 0.0);  // moves towards -x first
  EXPECT_GT(SignedArea(BaseLineRing(line)), 0.0);
  EXPECT_EQ(line.length, line.s[last]);
  for (int64_t i = 0; i < line.count; i++) {
    ASSERT_NEAR(std::hypot(line.nx[i], line.ny[i]), 1.0, 1e-12) << i;
    // Outward: the normal points away from the centre.
    ASSERT_GT(line.nx[i] * line.x[i] + line.ny[i] * line.y[i], 0.0) << i;
  }
}

// High-resolution Simpson integral of the ellipse's perimeter.
double EllipsePerimeter(double a, double b) {
  const int n = 2000000;
  double h = 2 * PI / n, sum = 0;
  for (int i = 0; i <= n; i++) {
    double t = i * h;
    double f = std::sqrt(a * a * std::cos(t) * std::cos(t) + b * b * std::sin(t) * std::sin(t));
    sum += f * (i == 0 || i == n ? 1 : (i % 2 ? 4 : 2));
  }
  return sum * h / 3;
}

TEST(BaseLineRecord, ArraysGrowByTwiceTheCountPlus65) {
  BaseLine line;
  EXPECT_EQ(line.count, 0);
  EXPECT_EQ(line.x.size(), 1u);
  AppendBasePoint(line, 1, 2, 0, 1);
  EXPECT_EQ(line.x.size(), 1u);  // the first point fits the initial capacity
  AppendBasePoint(line, 3, 4, 0, 1);
  EXPECT_EQ(line.x.size(), 67u);
  for (int i = 2; i < 67; i++) AppendBasePoint(line, i, 0, 1, 0);
  EXPECT_EQ(line.x.size(), 67u);
  AppendBasePoint(line, 67, 0, 1, 0);
  EXPECT_EQ(line.count, 68);
  for (const auto* a : {&line.x, &line.y, &line.nx, &line.ny, &line.s}) EXPECT_EQ(a->size(), 199u);
  EXPECT_EQ(line.x[1], 3.0);
  EXPECT_EQ(line.y[1], 4.0);
  // Starting over reuses the capacity.
  line.count = 0;
  AppendBasePoint(line, 9, 9, 0, 1);
  EXPECT_EQ(line.x.size(), 199u);
  EXPECT_EQ(line.x[0], 9.0);
}

// A unit square, counter-clockwise from (0, 1), corners stored twice.
BaseLine SharpSquare() {
  BaseLine line;
  AppendBasePoint(line, 0, 1, 0, 1);
  AppendBasePoint(line, -1, 1, 0, 1);
  AppendBasePoint(line, -1, 1, -1, 0);
  AppendBasePoint(line, -1, -1, -1, 0);
  AppendBasePoint(line, -1, -1, 0, -1);
  AppendBasePoint(line, 1, -1, 0, -1);
  AppendBasePoint(line, 1, -1, 1, 0);
  AppendBasePoint(line, 1, 1, 1, 0);
  AppendBasePoint(line, 1, 1, 0, 1);
  AppendBasePoint(line, 0, 1, 0, 1);
  line.hasSharpCorner = 1;
  ComputeArcLengths(line);
  return line;
}

TEST(BaseLineSampling, WrapsNegativeAndPastTheEndArcLengths) {
  BaseLine line = SharpSquare();
  ASSERT_EQ(line.length, 8.0);
  EXPECT_EQ(line.s[1], line.s[2]);  // the corner's two copies share s
  OutlinePoint p, q;
  double nx, ny, mx, my;
  SampleBaseLine(line, 8.0, p, nx, ny);
  SampleBaseLine(line, 0.0, q, mx, my);
  EXPECT_EQ(p.x, 0.0);
  EXPECT_EQ(p.y, 1.0);
  EXPECT_EQ(q.x, p.x);
  EXPECT_EQ(q.y, p.y);
  EXPECT_EQ(nx, 0.0);
  EXPECT_EQ(ny, 1.0);
  SampleBaseLine(line, -1.0, p, nx, ny);  // one before the end: the top side's right half
  EXPECT_DOUBLE_EQ(p.x, 1.0);
  EXPECT_DOUBLE_EQ(p.y, 1.0);
  SampleBaseLine(line, -0.5, p, nx, ny);
  EXPECT_DOUBLE_EQ(p.x, 0.5);
  EXPECT_DOUBLE_EQ(p.y, 1.0);
  SampleBaseLine(line, 2.5 * 8.0, p, nx, ny);
  SampleBaseLine(line, 0.5 * 8.0, q, mx, my);
  EXPECT_EQ(p.x, q.x);
  EXPECT_EQ(p.y, q.y);
  EXPECT_DOUBLE_EQ(p.x, 0.0);
  EXPECT_DOUBLE_EQ(p.y, -1.0);
  EXPECT_EQ(ny, -1.0);
}

TEST(BaseLineSampling, TakesTheOutgoingNormalAtASharpCorner) {
  BaseLine line = SharpSquare();
  OutlinePoint p;
  double nx, ny;
  SampleBaseLine(line, 1.0, p, nx, ny);  // exactly at the top-left corner
  EXPECT_EQ(p.x, -1.0);
  EXPECT_EQ(p.y, 1.0);
  EXPECT_EQ(nx, -1.0);
  EXPECT_EQ(ny, 0.0);
  SampleBaseLine(line, 1.0 - 1e-9, p, nx, ny);
  EXPECT_EQ(nx, 0.0);
  EXPECT_EQ(ny, 1.0);
  SampleBaseLine(line, 2.0, p, nx, ny);  // half-way down the left side
  EXPECT_EQ(p.x, -1.0);
  EXPECT_EQ(p.y, 0.0);
  EXPECT_EQ(nx, -1.0);
}

TEST(BaseLineSampling, CornerAtPointZeroAndOpposedNormals) {
  // Point 0 is itself a corner: its second copy carries the outgoing normal,
  // the closing copy the incoming one.
  BaseLine line;
  AppendBasePoint(line, 0, 0, 0, -1);
  AppendBasePoint(line, 0, 0, -1, 0);
  AppendBasePoint(line, 0, -2, -1, 0);
  AppendBasePoint(line, 0, -2, 1, 0);
  AppendBasePoint(line, 0, 0, 1, 0);
  AppendBasePoint(line, 0, 0, 0, -1);
  ComputeArcLengths(line);
  ASSERT_EQ(line.length, 4.0);
  OutlinePoint p;
  double nx, ny;
  SampleBaseLine(line, 0.0, p, nx, ny);
  EXPECT_EQ(nx, -1.0);
  EXPECT_EQ(ny, 0.0);
  SampleBaseLine(line, 4.0 - 1e-9, p, nx, ny);
  EXPECT_NEAR(nx, 1.0, 1e-6);
  // Between two points with opposite normals the blend vanishes.
  BaseLine flat;
  AppendBasePoint(flat, 0, 0, 1, 0);
  AppendBasePoint(flat, 2, 0, -1, 0);
  AppendBasePoint(flat, 0, 0, 1, 0);
  ComputeArcLengths(flat);
  SampleBaseLine(flat, 1.0, p, nx, ny);
  EXPECT_EQ(p.x, 1.0);
  EXPECT_EQ(nx, 0.0);
  EXPECT_EQ(ny, 0.0);
}

TEST(BaseLineSampling, HintedSamplingMatchesTheBinarySearch) {
  BaseLine square = SharpSquare();
  BaseLine rect;
  BuildRoundedRectBaseLine(rect, 40, 40, 20);  // zero-length sides between the arcs
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (const BaseLine* line : {&square, &rect}) {
    std::vector<double> at = {0, 1, 2, 3, 7, 8, -1, -8, 1e-300, -1e-300, nan, line->length, 3 * line->length};
    for (int64_t i = 0; i < line->count; i++) at.push_back(line->s[i]);  // exactly on every point
    for (int i = 0; i < 500; i++) at.push_back(-1.3 * line->length + i * 0.0137 * line->length);
    for (int64_t startHint : {int64_t{0}, line->count / 2, line->count + 5, int64_t{-3}}) {
      int64_t hint = startHint;
      for (double s : at) {
        OutlinePoint p, q;
        double nx, ny, mx, my;
        SampleBaseLine(*line, s, p, nx, ny);
        SampleBaseLineFrom(*line, s, hint, q, mx, my);
        if (std::isnan(p.x)) {
          ASSERT_TRUE(std::isnan(q.x));
          continue;
        }
        ASSERT_EQ(p.x, q.x) << s;
        ASSERT_EQ(p.y, q.y) << s;
        ASSERT_EQ(nx, mx) << s;
        ASSERT_EQ(ny, my) << s;
      }
    }
  }
}

TEST(EllipseBaseLine, CircleOfDiameter100) {
  BaseLine line;
  BuildEllipseBaseLine(line, 50, 50);
  EXPECT_EQ(line.count, 19804);
  EXPECT_EQ(line.maxCurvature, 0.02);
  EXPECT_EQ(line.hasSharpCorner, 0);
  EXPECT_LT(line.length, 100 * PI);
  EXPECT_NEAR(line.length, 100 * PI, 1e-5);
  ExpectClosedCounterClockwiseFromTop(line, 50);
  EXPECT_TRUE(std::signbit(line.x[0]));  // -a * sin(0)
}

TEST(EllipseBaseLine, EllipseMatchesItsPerimeterIntegral) {
  BaseLine line;
  BuildEllipseBaseLine(line, 50, 30);
  EXPECT_EQ(line.count, 16663);
  EXPECT_NEAR(line.maxCurvature, 0.0556, 5e-5);
  ExpectClosedCounterClockwiseFromTop(line, 30);
  double exact = EllipsePerimeter(50, 30);
  EXPECT_LT(line.length, exact);
  EXPECT_NEAR(line.length, exact, 1e-4);
  // The normal is perpendicular to the curve: at a quarter turn it is (-1, 0).
  int64_t quarter = (line.count - 1) / 4;
  if ((line.count - 1) % 4 == 0) {
    EXPECT_NEAR(line.nx[quarter], -1.0, 1e-12);
    EXPECT_NEAR(line.x[quarter], -50.0, 1e-12);
  }
}

TEST(EllipseBaseLine, SegmentCountIsCapped) {
  BaseLine line;
  BuildEllipseBaseLine(line, 400, 400);
  EXPECT_EQ(line.count, 100001);
  BuildEllipseBaseLine(line, 1e90, 1e90);  // huge, but no overflow of the count
  EXPECT_EQ(line.count, 100001);
  EXPECT_TRUE(std::isfinite(line.length));
  EXPECT_TRUE(std::isfinite(line.nx[100]));
}

TEST(EllipseBaseLine, UnusableSizesGiveAnEmptyLine) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  for (double bad : {0.0, -5.0, nan, inf, -inf, 1e300, 1e-300}) {
    BaseLine line;
    BuildEllipseBaseLine(line, bad, 10);
    EXPECT_EQ(line.count, 0) << bad;
    EXPECT_EQ(line.length, 0.0) << bad;
    BuildEllipseBaseLine(line, 10, bad);
    EXPECT_EQ(line.count, 0) << bad;
    BuildRoundedRectBaseLine(line, bad, 10, 1);
    EXPECT_EQ(line.count, 0) << bad;
    BuildRoundedRectBaseLine(line, 10, bad, 1);
    EXPECT_EQ(line.count, 0) << bad;
    OutlinePoint p;
    double nx, ny;
    SampleBaseLine(line, 1.0, p, nx, ny);  // must not read out of range
    EXPECT_EQ(nx, 0.0);
  }
}

TEST(RoundedRectBaseLine, CornerArcsAndLength) {
  BaseLine line;
  BuildRoundedRectBaseLine(line, 100, 60, 5);
  EXPECT_EQ(line.count, 3506);  // 2 + 4 * (875 + 1)
  EXPECT_EQ(line.maxCurvature, 0.2);
  EXPECT_EQ(line.hasSharpCorner, 0);
  ExpectClosedCounterClockwiseFromTop(line, 30);
  EXPECT_NEAR(line.length, 2 * (100 + 60) - (8 - 2 * PI) * 5, 1e-5);
  // First arc point of the top-left corner at (-a + r, b), its last at (-a, b - r).
  EXPECT_EQ(line.x[1], -45.0);
  EXPECT_EQ(line.y[1], 30.0);
  EXPECT_NEAR(line.x[876], -50.0, 1e-12);
  EXPECT_NEAR(line.y[876], 25.0, 1e-12);
}

TEST(RoundedRectBaseLine, RadiusIsClampedToHalfTheShorterSide) {
  BaseLine line;
  BuildRoundedRectBaseLine(line, 100, 60, 40);  // a stadium: r = 30
  EXPECT_DOUBLE_EQ(line.maxCurvature, 1.0 / 30);
  EXPECT_NEAR(line.length, 2 * (100 + 60) - (8 - 2 * PI) * 30, 1e-4);
  // The left side has shrunk to nothing: the two arcs meet with equal normals.
  int64_t perCorner = (line.count - 2) / 4;
  int64_t endTopLeft = perCorner, startBottomLeft = perCorner + 1;
  EXPECT_NEAR(line.x[endTopLeft], line.x[startBottomLeft], 1e-12);
  EXPECT_NEAR(line.y[endTopLeft], line.y[startBottomLeft], 1e-12);
  EXPECT_NEAR(line.nx[endTopLeft], line.nx[startBottomLeft], 1e-12);

  BuildRoundedRectBaseLine(line, 100, 100, 50);  // every side of length 0: a circle
  EXPECT_NEAR(line.length, 100 * PI, 1e-4);
  for (int64_t i = 0; i < line.count; i++) ASSERT_NEAR(std::hypot(line.x[i], line.y[i]), 50, 1e-9);

  BuildRoundedRectBaseLine(line, 300, 300, 127);
  EXPECT_EQ(line.count, 2 + 4 * 20001);
}

TEST(RoundedRectBaseLine, SharpCornersAreStoredTwiceWithEqualArcLength) {
  for (double r : {0.0, -3.0}) {
    BaseLine line;
    BuildRoundedRectBaseLine(line, 100, 60, r);
    ASSERT_EQ(line.count, 10);
    EXPECT_EQ(line.hasSharpCorner, 1);
    EXPECT_EQ(line.maxCurvature, 0.0);
    ExpectClosedCounterClockwiseFromTop(line, 30);
    EXPECT_EQ(line.length, 320.0);
    for (int k = 1; k < 9; k += 2) {
      EXPECT_EQ(line.x[k], line.x[k + 1]);
      EXPECT_EQ(line.y[k], line.y[k + 1]);
      EXPECT_EQ(line.s[k], line.s[k + 1]);
    }
    // Top-left: the top side's normal, then the left side's.
    EXPECT_NEAR(line.nx[1], 0, 1e-15);
    EXPECT_EQ(line.ny[1], 1.0);
    EXPECT_EQ(line.nx[2], -1.0);
    EXPECT_NEAR(line.ny[2], 0, 1e-15);
  }
}

}  // namespace

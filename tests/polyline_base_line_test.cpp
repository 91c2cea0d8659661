#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

#include "engine/base_line.h"
#include "tests/support/ring_checks.h"

namespace {

constexpr double PI = std::numbers::pi;

struct Polygon {
  std::vector<double> x, y;
  int64_t n() const { return static_cast<int64_t>(x.size()); }
  PointList points() const {
    PointList list;
    for (size_t k = 0; k < x.size(); ++k) AddListPoint(list, x[k], y[k]);
    return list;
  }
};

Polygon Square(double side) {
  double h = side / 2;
  return Polygon{{h, -h, -h, h}, {h, h, -h, -h}};
}

Polygon RegularPolygon(int sides, double radius) {
  Polygon p;
  for (int k = 0; k < sides; ++k) {
    double a = PI / 2 + 2 * PI * k / sides;
    p.x.push_back(radius * std::cos(a));
    p.y.push_back(radius * std::sin(a));
  }
  return p;
}

// Turning angle at vertex k, in degrees.
double TurnAt(const Polygon& p, int64_t k) {
  int64_t n = p.n(), a = (k + n - 1) % n, b = (k + 1) % n;
  double in = std::atan2(p.y[k] - p.y[a], p.x[k] - p.x[a]);
  double out = std::atan2(p.y[b] - p.y[k], p.x[b] - p.x[k]);
  double turn = (out - in) * 180 / PI;
  while (turn > 180) turn -= 360;
  while (turn <= -180) turn += 360;
  return turn;
}

// A regular 15-gon (24 degrees per vertex) with vertex 0 moved out along its
// radius until it turns by the given angle.
Polygon PolygonTurningAtTop(double degrees) {
  Polygon p = RegularPolygon(15, 10);
  double lo = 10, hi = 20;
  for (int round = 0; round < 200; ++round) {
    double mid = (lo + hi) / 2;
    p.y[0] = mid;
    (TurnAt(p, 0) < degrees ? lo : hi) = mid;
  }
  return p;
}

TEST(PolylineBaseLine, SquareStoresEveryCornerTwice) {
  Polygon sq = Square(10);
  BaseLine line;
  BuildPolylineBaseLine(line, sq.x.data(), sq.y.data(), 4);
  ASSERT_EQ(line.count, 9);
  EXPECT_EQ(line.hasSharpCorner, 1);
  EXPECT_EQ(line.maxCurvature, 0);
  EXPECT_DOUBLE_EQ(line.length, 40);
  // Corner (5, 5): incoming side from (5, -5) faces +x, outgoing faces +y.
  EXPECT_EQ(line.x[0], 5);
  EXPECT_EQ(line.x[1], 5);
  EXPECT_EQ(line.s[0], line.s[1]);
  EXPECT_DOUBLE_EQ(line.nx[0], 1);
  EXPECT_DOUBLE_EQ(line.ny[0], 0);
  EXPECT_DOUBLE_EQ(line.nx[1], 0);
  EXPECT_DOUBLE_EQ(line.ny[1], 1);
  // The closing copy carries the first stored normal.
  EXPECT_EQ(line.x[8], 5);
  EXPECT_EQ(line.nx[8], line.nx[0]);
  EXPECT_EQ(line.ny[8], line.ny[0]);
}

TEST(PolylineBaseLine, SharpFromMoreThan25Degrees) {
  Polygon soft = PolygonTurningAtTop(24);
  ASSERT_NEAR(TurnAt(soft, 0), 24, 1e-9);
  BaseLine line;
  BuildPolylineBaseLine(line, soft.x.data(), soft.y.data(), soft.n());
  EXPECT_EQ(line.count, 16);
  EXPECT_EQ(line.hasSharpCorner, 0);
  EXPECT_GT(line.maxCurvature, 0);
  // Bisector normal at the top vertex.
  EXPECT_NEAR(line.nx[0], 0, 1e-12);
  EXPECT_NEAR(line.ny[0], 1, 1e-12);

  Polygon sharp = PolygonTurningAtTop(26);
  ASSERT_NEAR(TurnAt(sharp, 0), 26, 1e-9);
  ASSERT_LT(TurnAt(sharp, 1), 25);
  BuildPolylineBaseLine(line, sharp.x.data(), sharp.y.data(), sharp.n());
  EXPECT_EQ(line.count, 17);
  EXPECT_EQ(line.hasSharpCorner, 1);
  EXPECT_EQ(line.maxCurvature, 0);
  EXPECT_EQ(line.s[0], line.s[1]);
  // The closing copy takes the incoming side's normal.
  EXPECT_EQ(line.nx[16], line.nx[0]);
}

TEST(PolylineBaseLine, CoarsePolygonReadsAsTightlyBent) {
  Polygon p = RegularPolygon(36, 50);
  BaseLine line;
  BuildPolylineBaseLine(line, p.x.data(), p.y.data(), 36);
  EXPECT_EQ(line.count, 37);
  EXPECT_EQ(line.hasSharpCorner, 0);
  // 2 sin(5 degrees) / h with h = 0.5.
  EXPECT_NEAR(line.maxCurvature, 2 * std::sin(5 * PI / 180) / 0.5, 1e-6);
  // A finely sampled circle approaches its true curvature.
  Polygon fine = RegularPolygon(3600, 50);
  BuildPolylineBaseLine(line, fine.x.data(), fine.y.data(), 3600);
  EXPECT_NEAR(line.maxCurvature, 1.0 / 50, 5e-4);
}

TEST(PolylineBaseLine, ZeroLengthSideGivesSharpVerticesWithZeroNormal) {
  // The last point repeats the first: side 4 has length 0.
  Polygon p{{5, 5, -5, -5, 5}, {-5, 5, 5, -5, -5}};
  BaseLine line;
  BuildPolylineBaseLine(line, p.x.data(), p.y.data(), 5);
  EXPECT_EQ(line.hasSharpCorner, 1);
  EXPECT_EQ(line.count, 11);
  // Vertex 0 has the zero side 4 coming in.
  EXPECT_EQ(line.nx[0], 0);
  EXPECT_EQ(line.ny[0], 0);
}

TEST(ImportedBaseLine, CleansDuplicatesAndTheClosingRepeat) {
  // A point 1e-9 from the one before (exactly) is dropped, 2e-9 is kept.
  PointList list = {{5, 5}, {0, 5}, {-1e-9, 5}, {-5, 5}, {-5, -5}, {5, -5}, {5, 5 - 1e-10}};
  BaseLine line;
  ASSERT_EQ(BuildImportedBaseLine(line, list, 1, 1, 0), 1);
  EXPECT_EQ(line.count, 10);  // the square and its point (0, 5)
  EXPECT_DOUBLE_EQ(line.length, 40);
  list[2].x = -2e-9;
  ASSERT_EQ(BuildImportedBaseLine(line, list, 1, 1, 0), 1);
  EXPECT_EQ(line.count, 11);
}

TEST(ImportedBaseLine, ScalesEachAxis) {
  BaseLine line;
  ASSERT_EQ(BuildImportedBaseLine(line, Square(2).points(), 3, 2, 0), 1);
  EXPECT_DOUBLE_EQ(line.length, 2 * 6 + 2 * 4);
  EXPECT_EQ(line.x[0], 3);
  EXPECT_EQ(line.y[0], 2);
}

TEST(ImportedBaseLine, TooFewPointsLeaveTheRecordAlone) {
  BaseLine line;
  ASSERT_EQ(BuildImportedBaseLine(line, Square(10).points(), 1, 1, 0), 1);
  EXPECT_EQ(BuildImportedBaseLine(line, {{0, 0}, {1, 1}, {0, 0}}, 1, 1, 0), 0);
  EXPECT_EQ(BuildImportedBaseLine(line, {{0, 0}, {0, 0}, {1, 1}}, 1, 1, 2), 0);
  // Scaled to nothing, every point is a duplicate of the first.
  EXPECT_EQ(BuildImportedBaseLine(line, Square(10).points(), 0, 0, 0), 0);
  EXPECT_EQ(line.count, 9);
  EXPECT_DOUBLE_EQ(line.length, 40);
}

TEST(ImportedBaseLine, OutwardOffsetCutsTheCornersStraight) {
  BaseLine line;
  ASSERT_EQ(BuildImportedBaseLine(line, Square(10).points(), 1, 1, 1), 1);
  // Eight offset points, each turning 45 degrees: all stored twice.
  EXPECT_EQ(line.count, 17);
  EXPECT_EQ(line.hasSharpCorner, 1);
  EXPECT_NEAR(line.length, 40 + 4 * std::sqrt(2.0), 1e-12);
  // The corner (5, 5) moved along its incoming side's normal first.
  EXPECT_EQ(line.x[0], 6);
  EXPECT_EQ(line.y[0], 5);
  EXPECT_EQ(line.x[1], 6);
  EXPECT_EQ(line.y[1], 5);
  EXPECT_EQ(line.x[2], 5);
  EXPECT_EQ(line.y[2], 6);
  EXPECT_GT(SignedArea(BaseLineRing(line)), 0);
}

TEST(ImportedBaseLine, InwardOffsetLosesTheCrossedCorners) {
  BaseLine line;
  ASSERT_EQ(BuildImportedBaseLine(line, Square(10).points(), 1, 1, -1), 1);
  // Four loops cut: the square of side 8 remains.
  PointList ring = BaseLineRing(line);
  EXPECT_EQ(line.count, 9);
  EXPECT_NEAR(line.length, 32, 1e-12);
  EXPECT_NEAR(SignedArea(ring), 64, 1e-9);
  EXPECT_EQ(line.hasSharpCorner, 1);
}

TEST(ImportedBaseLine, SmoothOutlineOffsetKeepsItsShape) {
  BaseLine line;
  ASSERT_EQ(BuildImportedBaseLine(line, RegularPolygon(720, 20).points(), 1, 1, -2), 1);
  EXPECT_EQ(line.hasSharpCorner, 0);
  EXPECT_NEAR(line.length, 2 * PI * 18, 0.01);
  EXPECT_NEAR(line.maxCurvature, 1.0 / 18, 0.01);
}

}  // namespace

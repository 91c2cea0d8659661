#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/support/vase_rings.h"
#include "text/texts.h"
#include "vase/vase_params.h"
#include "vase/vase_slices.h"

namespace {

double SignedArea(const PointList& r) {
  double a = 0;
  for (size_t i = 0; i < r.size(); ++i) {
    const OutlinePoint& p = r[i];
    const OutlinePoint& q = r[(i + 1) % r.size()];
    a += p.x * q.y - q.x * p.y;
  }
  return a / 2;
}

void RadiusRange(const PointList& r, double& lo, double& hi) {
  lo = 1e300;
  hi = 0;
  for (const OutlinePoint& p : r) {
    double d = std::hypot(p.x, p.y);
    lo = std::fmin(lo, d);
    hi = std::fmax(hi, d);
  }
}

TEST(OffsetRingInward, SquareMovesInAndStartsNextToTheFirstPoint) {
  PointList square = {{0, 10}, {-10, 10}, {-10, -10}, {10, -10}, {10, 10}};
  PointList inner = {{1, 1}};
  ASSERT_EQ(OffsetRingInward(square, inner, 1), 1);
  EXPECT_GT(SignedArea(inner), 0);
  EXPECT_NEAR(SignedArea(inner), 18.0 * 18.0, 1e-9);
  // The top midpoint moves to (0, 9) and stays first.
  EXPECT_NEAR(inner[0].x, 0, 1e-12);
  EXPECT_NEAR(inner[0].y, 9, 1e-12);
  for (const OutlinePoint& p : inner) {
    EXPECT_LE(std::fabs(p.x), 9 + 1e-9);
    EXPECT_LE(std::fabs(p.y), 9 + 1e-9);
  }
}

TEST(OffsetRingInward, RefusedDistancesLeaveTheDestinationEmpty) {
  PointList square = {{0, 10}, {-10, 10}, {-10, -10}, {10, -10}, {10, 10}};
  PointList inner;
  for (double d : {0.0, -1.0, 10.5, std::numeric_limits<double>::quiet_NaN(),
                   std::numeric_limits<double>::infinity()}) {
    inner = {{1, 1}};
    EXPECT_EQ(OffsetRingInward(square, inner, d), 0) << d;
    EXPECT_TRUE(inner.empty()) << d;
  }
  inner = {{1, 1}};
  EXPECT_EQ(OffsetRingInward(PointList{{0, 1}, {1, 0}}, inner, 0.1), 0);
  EXPECT_TRUE(inner.empty());
}

struct WallSetUp {
  PointList outline;
  PointList baseLine = CircleRing(720, 40);
  VaseParams vase;
  WallSetUp() { vase.hollow = 1; }
};

TEST(BuildInnerWallRing, AutomaticModeChoosesByPatternDepth) {
  WallSetUp s;
  s.outline = GearRing(24, 42, 2, 6);  // outward teeth of depth 2 on radius 40
  s.vase.patternDepth = 2;
  PointList inner;
  double lo, hi;
  // Depth 2 > wall 1.6: the inner wall follows the pattern.
  ASSERT_EQ(BuildInnerWallRing(s.outline, s.baseLine, s.vase, inner), 1);
  RadiusRange(inner, lo, hi);
  EXPECT_NEAR(hi - lo, 2, 0.3);
  EXPECT_LT(hi, 42 - 1.6 + 1e-6);
  // Wall 2.5 >= depth: smooth, the base line moved in by the wall.
  s.vase.wallThickness = 2.5;
  ASSERT_EQ(BuildInnerWallRing(s.outline, s.baseLine, s.vase, inner), 1);
  RadiusRange(inner, lo, hi);
  EXPECT_NEAR(lo, 37.5, 0.01);
  EXPECT_NEAR(hi, 37.5, 0.01);
  // Inward figures of depth 1: measured from the bottom of the recesses.
  s.outline = GearRing(24, 40, 1, 6);
  s.vase.wallThickness = 1.6;
  s.vase.patternDepth = s.vase.inwardDepth = 1;
  ASSERT_EQ(BuildInnerWallRing(s.outline, s.baseLine, s.vase, inner), 1);
  RadiusRange(inner, lo, hi);
  EXPECT_NEAR(lo, 40 - 2.6, 0.01);
  EXPECT_NEAR(hi, 40 - 2.6, 0.01);
  // Top scale 50 %: the offset in the plane doubles.
  s.vase.topScale = 0.5;
  ASSERT_EQ(BuildInnerWallRing(s.outline, s.baseLine, s.vase, inner), 1);
  RadiusRange(inner, lo, hi);
  EXPECT_NEAR(lo, 40 - 1 - 3.2, 0.01);
}

TEST(BuildInnerWallRing, ClosedUpPatternFallsBackToSmoothOnlyInAutomaticMode) {
  WallSetUp s;
  s.outline = NotchedRing(12, 40, 6, 0.02, 3);  // notches about 1 mm wide
  s.vase.patternDepth = s.vase.inwardDepth = 6;
  PointList inner = {{5, 5}};
  s.vase.innerWallMode = INNER_WALL_FOLLOW_PATTERN;
  EXPECT_EQ(BuildInnerWallRing(s.outline, s.baseLine, s.vase, inner), 0);
  EXPECT_TRUE(inner.empty());
  s.vase.innerWallMode = INNER_WALL_AUTOMATIC;
  ASSERT_EQ(BuildInnerWallRing(s.outline, s.baseLine, s.vase, inner), 1);
  double lo, hi;
  RadiusRange(inner, lo, hi);
  EXPECT_NEAR(lo, 40 - 7.6, 0.01);
  EXPECT_NEAR(hi, 40 - 7.6, 0.01);
  // Any mode other than 1 and 2 behaves as automatic.
  s.vase.innerWallMode = 7;
  EXPECT_EQ(BuildInnerWallRing(s.outline, s.baseLine, s.vase, inner), 1);
}

TEST(BuildInnerWallRing, SmoothModeUsesTheOutlineWithoutABaseLine) {
  WallSetUp s;
  s.outline = GearRing(24, 42, 2, 6);
  s.vase.innerWallMode = INNER_WALL_SMOOTH;
  PointList inner;
  ASSERT_EQ(BuildInnerWallRing(s.outline, PointList{{0, 1}, {1, 0}}, s.vase, inner), 1);
  double lo, hi;
  RadiusRange(inner, lo, hi);
  EXPECT_GT(hi - lo, 1.5);  // it follows the teeth
  // The inner ring starts next to the outline's first point (0, 42).
  EXPECT_NEAR(inner[0].x, 0, 1.0);
  EXPECT_GT(inner[0].y, 39);
}

TEST(CheckWallThickness, TooThickWallGivesTheWallMessage) {
  WallSetUp s;
  s.outline = CircleRing(200, 10);
  s.baseLine = s.outline;
  s.vase.wallThickness = 12;
  PointList inner;
  gLastError.clear();
  EXPECT_EQ(CheckWallThickness(s.outline, s.baseLine, s.vase, inner), 0);
  EXPECT_EQ(gLastError, Tx(TX_VASE_WALL_TOO_THICK));
  // Far thicker than the outline is wide: the offset ring would come out on
  // the other side of the centre, counter-clockwise and clear of the source.
  for (double wall : {25.0, 1000.0}) {
    s.vase.wallThickness = wall;
    EXPECT_EQ(CheckWallThickness(s.outline, s.baseLine, s.vase, inner), 0) << wall;
    EXPECT_EQ(gLastError, Tx(TX_VASE_WALL_TOO_THICK));
  }
  s.vase.wallThickness = 2;
  gLastError.clear();
  EXPECT_EQ(CheckWallThickness(s.outline, s.baseLine, s.vase, inner), 1);
  EXPECT_EQ(gLastError, "");
  EXPECT_EQ(inner.size(), 200u);
}

}  // namespace

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/clip.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

OutlinePoint P(double x, double y) { return OutlinePoint{x, y}; }

// A 100 x 100 canvas: the clip rectangle runs from -40 to 140 both ways.
class ClipTest : public ::testing::Test {
 protected:
  void SetUp() override {
    SetClipRect(100, 100);
    ClearClipPath();
  }
  void ExpectOp(size_t op, ClipPathOp kind) {
    ASSERT_LT(op, gClipPath.ops.size());
    EXPECT_EQ(gClipPath.ops[op], kind) << "op " << op;
  }
  void ExpectPoint(size_t i, double x, double y) {
    ASSERT_LT(i, gClipPath.points.size());
    EXPECT_EQ(gClipPath.points[i].x, x) << "point " << i;
    EXPECT_EQ(gClipPath.points[i].y, y) << "point " << i;
  }
};

TEST_F(ClipTest, RectangleHasTheMarginOnEverySide) {
  EXPECT_EQ(gClipX0, -40);
  EXPECT_EQ(gClipX1, 140);
  EXPECT_EQ(gClipY0, -40);
  EXPECT_EQ(gClipY1, 140);
}

TEST_F(ClipTest, SegmentAcrossTheCanvasIsCutAtBothEdges) {
  ASSERT_EQ(ClipSegmentToRect(P(-1000, 50), P(1000, 50)), 1);
  EXPECT_EQ(gClipT0, 960.0 / 2000.0);
  EXPECT_EQ(gClipT1, 1140.0 / 2000.0);
  int64_t pen = 1;
  AddClippedSegment(P(-1000, 50), P(1000, 50), pen);
  ASSERT_EQ(gClipPath.ops.size(), 2u);
  ExpectOp(0, CLIP_MOVE_TO);
  ExpectOp(1, CLIP_LINE_TO);
  ExpectPoint(0, -1000 + (960.0 / 2000.0) * 2000, 50);
  ExpectPoint(1, -1000 + (1140.0 / 2000.0) * 2000, 50);
  EXPECT_NEAR(gClipPath.points[0].x, -40, 1e-12);
  EXPECT_NEAR(gClipPath.points[1].x, 140, 1e-12);
  EXPECT_EQ(pen, 0);  // the end was cut off
}

TEST_F(ClipTest, DiagonalEntersAtTheLaterEdgeAndLeavesAtTheEarlier) {
  // Crosses x = -40 at t = 0.3 and y = -40 at t = 0.4: it enters through the top.
  ASSERT_EQ(ClipSegmentToRect(P(-100, -200), P(100, 200)), 1);
  EXPECT_DOUBLE_EQ(gClipT0, 0.4);
  EXPECT_DOUBLE_EQ(gClipT1, 0.85);
  EXPECT_EQ(ClipSegmentToRect(P(-100, 10), P(10, -100)), 0);  // passes outside the corner
}

TEST_F(ClipTest, BorderZeroLengthAndOutsideSegments) {
  EXPECT_EQ(ClipSegmentToRect(P(-40, 0), P(-40, 100)), 1);  // on the border
  EXPECT_EQ(gClipT0, 0);
  EXPECT_EQ(gClipT1, 1);
  EXPECT_EQ(ClipSegmentToRect(P(-40.001, 0), P(-40.001, 100)), 0);
  EXPECT_EQ(ClipSegmentToRect(P(200, 0), P(300, 100)), 0);
  int64_t pen = 0;
  AddClippedSegment(P(10, 10), P(10, 10), pen);
  ASSERT_EQ(gClipPath.ops.size(), 2u);
  ExpectOp(0, CLIP_MOVE_TO);
  ExpectOp(1, CLIP_LINE_TO);
  ExpectPoint(1, 10, 10);
  EXPECT_EQ(pen, 1);
}

TEST_F(ClipTest, NonFiniteSegmentsAreInvisible) {
  int64_t pen = 1;
  AddClippedSegment(P(kNaN, 10), P(20, 20), pen);
  EXPECT_EQ(pen, 0);
  AddClippedSegment(P(10, 10), P(20, kNaN), pen);
  AddClippedSegment(P(-kInf, 50), P(50, 50), pen);
  AddClippedSegment(P(50, 50), P(50, kInf), pen);
  AddClippedSegment(P(-1.7e308, 50), P(1.7e308, 50), pen);  // the difference overflows
  EXPECT_TRUE(gClipPath.ops.empty());
  EXPECT_EQ(pen, 0);
}

TEST_F(ClipTest, PenRuleStartsNewSubPathsOnlyWhereTheLineWasBroken) {
  int64_t pen = 0;
  AddClippedSegment(P(0, 0), P(10, 0), pen);   // move-to, line-to
  AddClippedSegment(P(10, 0), P(20, 0), pen);  // continues: line-to only
  EXPECT_EQ(pen, 1);
  AddClippedSegment(P(20, 0), P(500, 0), pen);  // leaves: end cut, pen lifted
  EXPECT_EQ(pen, 0);
  AddClippedSegment(P(500, 0), P(600, 0), pen);  // wholly outside: nothing
  AddClippedSegment(P(600, 0), P(30, 0), pen);   // comes back: move-to at the entry
  ASSERT_EQ(gClipPath.ops.size(), 6u);
  const ClipPathOp expected[] = {CLIP_MOVE_TO, CLIP_LINE_TO, CLIP_LINE_TO, CLIP_LINE_TO, CLIP_MOVE_TO, CLIP_LINE_TO};
  for (size_t i = 0; i < 6; ++i) ExpectOp(i, expected[i]);
  ExpectPoint(3, 140, 0);
  ExpectPoint(4, 140, 0);
  ExpectPoint(5, 30, 0);
  EXPECT_EQ(pen, 1);
}

TEST_F(ClipTest, ClosedPolylinesAndShortLists) {
  AddClippedPolyline(PointList{P(5, 5)}, 1);
  EXPECT_TRUE(gClipPath.ops.empty());
  AddClippedPolyline(PointList{P(5, 5), P(15, 5)}, 1);  // there and back
  ASSERT_EQ(gClipPath.ops.size(), 3u);
  ExpectPoint(2, 5, 5);
  ClearClipPath();
  // A closed square whose right side lies far outside: two open stretches,
  // never a line along the border and never a close-path.
  AddClippedPolyline(PointList{P(10, 10), P(1000, 10), P(1000, 90), P(10, 90)}, 1);
  int moves = 0;
  for (uint8_t op : gClipPath.ops) {
    EXPECT_NE(op, CLIP_CLOSE_PATH);
    if (op == CLIP_MOVE_TO) ++moves;
  }
  EXPECT_EQ(moves, 2);
  for (const OutlinePoint& p : gClipPath.points) EXPECT_LE(p.x, 140);
}

TEST_F(ClipTest, PolygonAroundTheCanvasBecomesTheClipRectangle) {
  PointList square{P(-1000, -1000), P(1000, -1000), P(1000, 1000), P(-1000, 1000)};
  AddClippedPolygon(square);
  ASSERT_EQ(square.size(), 4u);
  ASSERT_EQ(gClipPath.ops.size(), 5u);
  ExpectOp(0, CLIP_MOVE_TO);
  for (size_t i = 1; i < 4; ++i) ExpectOp(i, CLIP_LINE_TO);
  ExpectOp(4, CLIP_CLOSE_PATH);
  // Every corner of the clip rectangle appears once.
  for (double cx : {-40.0, 140.0})
    for (double cy : {-40.0, 140.0}) {
      int found = 0;
      for (const OutlinePoint& p : square)
        if (p.x == cx && p.y == cy) ++found;
      EXPECT_EQ(found, 1) << cx << ", " << cy;
    }
}

TEST_F(ClipTest, PolygonCutOnOneEdgeAndOutsidePolygons) {
  PointList triangle{P(0, 0), P(200, 50), P(0, 100)};
  AddClippedPolygon(triangle);
  ASSERT_EQ(triangle.size(), 4u);
  EXPECT_EQ(triangle[0].x, 0);
  EXPECT_EQ(triangle[1].x, 140);
  EXPECT_EQ(triangle[1].y, 35);
  EXPECT_EQ(triangle[2].x, 140);
  EXPECT_EQ(triangle[2].y, 65);
  ClearClipPath();
  PointList outside{P(200, 200), P(300, 200), P(300, 300)};
  AddClippedPolygon(outside);
  EXPECT_TRUE(outside.empty());
  EXPECT_TRUE(gClipPath.ops.empty());
  PointList two{P(0, 0), P(10, 10)};
  AddClippedPolygon(two);
  EXPECT_TRUE(gClipPath.ops.empty());
}

TEST_F(ClipTest, PolygonDropsNonFinitePoints) {
  EXPECT_EQ(IsInsideClipEdge(P(kNaN, 0), CLIP_EDGE_LEFT), 0);
  EXPECT_EQ(IsInsideClipEdge(P(kNaN, 0), CLIP_EDGE_RIGHT), 0);
  EXPECT_EQ(IsInsideClipEdge(P(0, kNaN), CLIP_EDGE_TOP), 0);
  EXPECT_EQ(IsInsideClipEdge(P(0, kNaN), CLIP_EDGE_BOTTOM), 0);
  PointList polygon{P(0, 0), P(kNaN, 50), P(100, 0), P(100, 100), P(kInf, 100), P(0, 100), P(50, -kInf)};
  AddClippedPolygon(polygon);
  ASSERT_GE(polygon.size(), 3u);
  for (const OutlinePoint& p : gClipPath.points) {
    EXPECT_TRUE(std::isfinite(p.x));
    EXPECT_TRUE(std::isfinite(p.y));
  }
}

}  // namespace

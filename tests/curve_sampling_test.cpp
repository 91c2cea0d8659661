#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "import/curve_sampling.h"
#include "import/import_pieces.h"
#include "import/import_state.h"

namespace {

class CurveSampling : public ::testing::Test {
 protected:
  void SetUp() override {
    gImportPieces.clear();
    ResetImportBudget();
  }
  void TearDown() override { gImportPieces.clear(); }
};

TEST_F(CurveSampling, ArcSegmentCountsFollowTheDegreeRule) {
  struct Case {
    double degrees;
    size_t points;
  } cases[] = {{90, 90}, {90.5, 91}, {0.5, 1}, {0, 1}, {360, 360}, {-90, 90}};
  for (const Case& c : cases) {
    PointList list;
    AppendArcPoints(list, 0, 0, 1, 0, c.degrees * ONE_DEGREE);
    EXPECT_EQ(list.size(), c.points) << c.degrees;
  }
  PointList quarter;
  AppendArcPoints(quarter, 2, 3, 4, 0, M_PI / 2);
  EXPECT_NEAR(quarter.back().x, 2, 1e-12);
  EXPECT_NEAR(quarter.back().y, 7, 1e-12);
  // Huge and non-finite sweeps are held at the cap, never converted unchecked.
  for (double end : {1e300, std::numeric_limits<double>::infinity(), std::nan("")}) {
    PointList list;
    AppendArcPoints(list, 0, 0, 1, 0, end);
    EXPECT_EQ(list.size(), static_cast<size_t>(ARC_MAX_SEGMENTS));
  }
}

TEST_F(CurveSampling, RaisingTheEndAngleIsBoundedForAnyStart) {
  double end = 10;
  ASSERT_TRUE(RaiseEndAboveStart(350, end, 360));
  EXPECT_EQ(end, 370);
  end = 360;
  ASSERT_TRUE(RaiseEndAboveStart(0, end, 360));
  EXPECT_EQ(end, 360);  // already above
  end = 0;
  ASSERT_TRUE(RaiseEndAboveStart(720, end, 360));
  EXPECT_EQ(end, 1080);  // exactly equal is raised once more
  end = 5;
  ASSERT_TRUE(RaiseEndAboveStart(1e6, end, 360));
  EXPECT_GT(end, 1e6);
  EXPECT_LE(end, 1e6 + 360);
  end = 0;
  EXPECT_FALSE(RaiseEndAboveStart(std::numeric_limits<double>::infinity(), end, 360));
  end = 0;
  EXPECT_FALSE(RaiseEndAboveStart(std::nan(""), end, 360));
  end = 360;
  bool raised = RaiseEndAboveStart(1e20, end, 360);  // returns, either way
  if (raised) {
    EXPECT_GT(end, 1e20);
  }
}

TEST_F(CurveSampling, BulgeSegments) {
  PointList half;
  AppendBulgeSegment(half, -1, 0, 1, 0, 1);
  ASSERT_EQ(half.size(), 180u);
  EXPECT_NEAR(half.back().x, 1, 1e-12);
  EXPECT_NEAR(half[89].y, -1, 1e-12);  // positive bulge: counter-clockwise, below the chord
  PointList cw;
  AppendBulgeSegment(cw, -1, 0, 1, 0, -1);
  EXPECT_NEAR(cw[89].y, 1, 1e-12);
  PointList same;
  AppendBulgeSegment(same, 3, 3, 3, 3, 0);
  EXPECT_EQ(same.size(), 1u);
  AppendBulgeSegment(same, 3, 3, 3, 3, 0.5);
  EXPECT_EQ(same.size(), 1u);
}

TEST_F(CurveSampling, BulgePolylinePieces) {
  AddBulgePolylinePiece(PointList{{0, 0}}, {0}, 1, 1);
  EXPECT_TRUE(gImportPieces.empty());
  AddBulgePolylinePiece(PointList{{0, 0}, {4, 0}, {4, 4}, {0, 4}}, {0, 0, 0, 0}, 1, 1);
  ASSERT_EQ(gImportPieces.size(), 1u);
  EXPECT_EQ(gImportPieces[0].closed, 1);
  EXPECT_EQ(gImportPieces[0].points.size(), 4u);
  AddBulgePolylinePiece(PointList{{-10, 0}, {10, 0}}, {1, 1}, 1, -1);
  const PointList& circle = gImportPieces[1].points;
  EXPECT_EQ(circle.size(), 360u);
  EXPECT_NEAR(circle[0].x, 10, 1e-12);  // mirrored
  AddBulgePolylinePiece(PointList{{1, 1}, {5, 1}}, {0, 0}, 0, 1);
  EXPECT_EQ(gImportPieces[2].closed, 0);
  EXPECT_EQ(gImportPieces[2].points.size(), 2u);
}

TEST_F(CurveSampling, EllipsePiecesAndTheMinorAxisOfADownwardExtrusion) {
  AddEllipsePiece(0, 0, 2, 0, 0.5, 0, 2 * M_PI, 1);
  EXPECT_EQ(gImportPieces[0].closed, 1);
  EXPECT_EQ(gImportPieces[0].points.size(), 361u);
  AddEllipsePiece(0, 0, 3, 0, 1, 0, M_PI, 1);
  const PointList& half = gImportPieces[1].points;
  EXPECT_EQ(gImportPieces[1].closed, 0);
  ASSERT_EQ(half.size(), 182u);
  EXPECT_NEAR(half.back().x, -3, 1e-12);  // 181 segments: both ends included
  // Centre and major axis are world coordinates: only the minor side flips.
  AddEllipsePiece(10, 5, 6, 2, 0.5, 0.3, 2.5, -1);
  const PointList& down = gImportPieces[2].points;
  EXPECT_NEAR(down[0].x, 16.027539141414977, 1e-9);
  EXPECT_NEAR(down[0].y, 6.0241123582671925, 1e-9);
  size_t before = gImportPieces.size();
  AddEllipsePiece(0, 0, 0, 0, 1, 0, 1, 1);
  EXPECT_EQ(gImportPieces.size(), before);
  // Sweeps beyond a turn are the full ellipse, from the start parameter.
  for (double end : {2 * M_PI + 0.5, 314159.0, 1e10}) {
    AddEllipsePiece(0, 0, 2, 0, 0.5, 0.25, end, 1);
    const ImportPiece& wound = gImportPieces.back();
    EXPECT_EQ(wound.closed, 1) << end;
    ASSERT_EQ(wound.points.size(), 361u) << end;
    EXPECT_NEAR(wound.points[0].x, 2 * std::cos(0.25), 1e-12);
    EXPECT_NEAR(wound.points[360].x, 2 * std::cos(0.25 + 2 * M_PI * 360 / 361), 1e-9);
  }
}

TEST_F(CurveSampling, NurbsSpansWeightsAndInvalidData) {
  const double x[] = {0, 1, 2, 3}, y[] = {0, 2, 2, 0}, w[] = {1, 1, 1, 1};
  const double clamped[] = {0, 0, 0, 0, 1, 1, 1, 1};
  PointList curve;
  AppendNurbsCurvePoints(3, clamped, 8, x, y, w, 4, curve);
  ASSERT_EQ(curve.size(), 25u);
  EXPECT_EQ(curve.front().x, 0);
  EXPECT_NEAR(curve.back().x, 3, 1e-12);
  EXPECT_NEAR(curve[12].y, 1.5, 1e-12);  // Bezier midpoint: (0 + 3*2 + 3*2 + 0) / 8
  // Two spans give 25 + 24 points; the zero-length span in between is skipped.
  const double px[] = {0, 1, 2, 3, 4}, py[] = {0, 1, 0, 1, 0}, pw[] = {1, 1, 1, 1, 1};
  const double two[] = {0, 0, 0, 0, 0.5, 1, 1, 1, 1};
  PointList spans;
  AppendNurbsCurvePoints(3, two, 9, px, py, pw, 5, spans);
  EXPECT_EQ(spans.size(), 49u);
  const double zero[] = {0, 0, 0, 0};
  PointList none;
  AppendNurbsCurvePoints(3, clamped, 8, x, y, zero, 4, none);
  EXPECT_TRUE(none.empty());
  AppendNurbsCurvePoints(3, clamped, 7, x, y, w, 4, none);  // too few knots
  AppendNurbsCurvePoints(0, clamped, 8, x, y, w, 4, none);
  AppendNurbsCurvePoints(NURBS_MAX_DEGREE + 1, clamped, 8, x, y, w, 4, none);
  EXPECT_TRUE(none.empty());
}

TEST_F(CurveSampling, ExtrusionMirrorOnlyBelowZero) {
  PointList p{{2, 3}};
  ApplyExtrusionMirror(p, 0);
  EXPECT_EQ(p[0].x, 2);
  ApplyExtrusionMirror(p, -0.5);
  EXPECT_EQ(p[0].x, -2);
  EXPECT_EQ(p[0].y, 3);
}

}  // namespace

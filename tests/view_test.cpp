#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/view.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();

// A fresh 800 x 600 canvas at 1 px/mm centred on the origin.
class ViewTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gCanvasWidth = 800;
    gCanvasHeight = 600;
    gScale2D = 1;
    gPanX = gPanY = 0;
    gResult = DesignResult();
    gParams = DesignParams();
    EndCanvasDrags();
    ResetView3D();
  }
  void TearDown() override {
    gResult = DesignResult();
    gParams = DesignParams();
  }
};

TEST_F(ViewTest, WorldAndScreenMapBothWays) {
  gScale2D = 2;
  gPanX = 10;
  gPanY = -5;
  OutlinePoint p;
  WorldToScreen(p, 10, -5);
  EXPECT_EQ(p.x, 400);
  EXPECT_EQ(p.y, 300);
  WorldToScreen(p, 20, 0);  // y up in the world, down on the screen
  EXPECT_EQ(p.x, 420);
  EXPECT_EQ(p.y, 290);
  gMouseX = 420;
  gMouseY = 290;
  ComputeWorldMouse();
  EXPECT_EQ(gWorldMouseX, 20);
  EXPECT_EQ(gWorldMouseY, 0);
  PointList screen{OutlinePoint{1, 1}};
  OutlineToScreen(PointList{OutlinePoint{10, -5}, OutlinePoint{20, 0}}, screen);
  ASSERT_EQ(screen.size(), 2u);
  EXPECT_EQ(screen[1].x, 420);
  EXPECT_EQ(screen[1].y, 290);
}

TEST_F(ViewTest, TenWheelNotchesKeepThePointUnderThePointer) {
  gMouseX = 123;
  gMouseY = 456;
  ComputeWorldMouse();
  double wx = gWorldMouseX, wy = gWorldMouseY;
  for (int i = 0; i < 10; ++i) ZoomView2D(1);
  EXPECT_NEAR(gScale2D, 6.1917364224, 1e-12);
  ComputeWorldMouse();
  EXPECT_NEAR(gWorldMouseX, wx, 1e-12);
  EXPECT_NEAR(gWorldMouseY, wy, 1e-12);
  for (int i = 0; i < 10; ++i) ZoomView2D(-1);
  EXPECT_NEAR(gScale2D, 1, 1e-12);
}

TEST_F(ViewTest, WheelZoomStaysWithinItsBounds) {
  gScale2D = SCALE_2D_MAX;
  ZoomView2D(3);
  EXPECT_EQ(gScale2D, SCALE_2D_MAX);
  gScale2D = SCALE_2D_MIN;
  ZoomView2D(-1);
  EXPECT_EQ(gScale2D, SCALE_2D_MIN);
  ZoomView3D(100);
  EXPECT_EQ(gZoom3D, ZOOM_3D_MAX);
  ZoomView3D(-200);
  EXPECT_EQ(gZoom3D, ZOOM_3D_MIN);
  ResetView3D();
  ZoomView3D(2);
  EXPECT_DOUBLE_EQ(gZoom3D, 1.15 * 1.15);
}

TEST_F(ViewTest, FitFramesTheOutlineOrTheBaseSize) {
  gResult.valid = 1;
  gResult.minX = -50;
  gResult.maxX = 150;
  gResult.minY = 0;
  gResult.maxY = 52;
  FitView2D();
  EXPECT_EQ(gPanX, 50);
  EXPECT_EQ(gPanY, 26);
  EXPECT_EQ(gScale2D, (800.0 - 60) / 200);  // width decides: 3.7 < 520 / 52
  // Invalid: a circle frames width by width, other shapes width by height.
  gResult.valid = 0;
  gParams.shapeKind = SHAPE_CIRCLE;
  gParams.width = 100;
  gParams.height = 10;
  FitView2D();
  EXPECT_EQ(gPanX, 0);
  EXPECT_EQ(gScale2D, (600.0 - 80) / 100);
  gParams.shapeKind = SHAPE_RECTANGLE;
  gParams.width = 0.2;  // below 1 mm: 1 mm is framed
  gParams.height = 0.5;
  FitView2D();
  EXPECT_EQ(gScale2D, 520);
}

TEST_F(ViewTest, FitGivesScaleOneWhenTheScaleIsUnusable) {
  gCanvasWidth = 50;  // narrower than the margin
  gParams.width = gParams.height = 10;
  FitView2D();
  EXPECT_EQ(gScale2D, 1);
  gCanvasWidth = 800;
  gParams.width = std::numeric_limits<double>::infinity();
  gParams.shapeKind = SHAPE_CIRCLE;
  FitView2D();
  EXPECT_EQ(gScale2D, 1);
  EXPECT_EQ(gPanX, 0);
  gResult.valid = 1;  // a NaN box must not leave a NaN pan behind
  gResult.minX = kNaN;
  gResult.maxX = 10;
  gResult.minY = 0;
  gResult.maxY = 10;
  FitView2D();
  EXPECT_TRUE(std::isfinite(gPanX));
  EXPECT_TRUE(std::isfinite(gScale2D));
  gResult.valid = 1;
  gResult.minX = -1e308;
  gResult.maxX = 1e308;  // the box width overflows to infinity
  gResult.minY = gResult.maxY = 0;
  FitView2D();
  EXPECT_TRUE(std::isfinite(gScale2D));
  EXPECT_GT(gScale2D, 0);
  EXPECT_TRUE(std::isfinite(gPanX));
}

TEST_F(ViewTest, PanFollowsThePointerFromTheRoundedPress) {
  gScale2D = 2;
  gMouseX = 100.5;  // rounds to 100 (ties to even)
  gMouseY = 201.5;  // rounds to 202
  StartPan2D();
  EXPECT_EQ(gPanning, 1);
  EXPECT_EQ(gPanStartMouseX, 100);
  EXPECT_EQ(gPanStartMouseY, 202);
  gMouseX = 140;
  gMouseY = 182;
  PanView2D();
  EXPECT_EQ(gPanX, -20);
  EXPECT_EQ(gPanY, -10);
  EndCanvasDrags();
  EXPECT_EQ(gPanning, 0);
}

TEST_F(ViewTest, RotationClampsThePitchAndLetsTheYawGrow) {
  gMouseX = 10;
  gMouseY = 10;
  StartRotate3D();
  gMouseY = 1000;
  RotateView3D();
  EXPECT_EQ(gPitch3D, PITCH_LIMIT_DEG);
  gMouseY = -1000;
  RotateView3D();
  EXPECT_EQ(gPitch3D, -PITCH_LIMIT_DEG);
  gMouseX = -2000;
  gMouseY = 10;
  RotateView3D();
  EXPECT_EQ(gYaw3D, 35 + 2010 * 0.5);
  EXPECT_EQ(gPitch3D, 28);
  ResetView3D();
  EXPECT_EQ(gYaw3D, 35);
  EXPECT_EQ(gZoom3D, 1);
}

TEST_F(ViewTest, NearestBaseLinePointGivesTheArcLength) {
  double d = 0;
  EXPECT_EQ(FindNearestBaseLinePoint(d, 0, 0), 0);
  EXPECT_EQ(d, 1e300);
  // A 10 x 10 square with its corner (10, 0) stored twice.
  gResult.baseLinePoints = {{0, 0}, {10, 0}, {10, 0}, {10, 10}, {0, 10}};
  EXPECT_EQ(FindNearestBaseLinePoint(d, 13, 4), 14);
  EXPECT_EQ(d, 3);
  EXPECT_EQ(FindNearestBaseLinePoint(d, -2, 3), 37);  // on the closing segment
  EXPECT_EQ(d, 2);
  // The centre is 5 from every side: the first segment wins.
  EXPECT_EQ(FindNearestBaseLinePoint(d, 5, 5), 5);
  EXPECT_EQ(d, 5);
  // A NaN pointer never beats a real distance and gives no NaN arc length.
  double s = FindNearestBaseLinePoint(d, kNaN, 0);
  EXPECT_FALSE(std::isnan(s));
}

}  // namespace

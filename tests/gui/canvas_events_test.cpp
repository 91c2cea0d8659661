#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "app/canvas_events.h"
#include "app/document_state.h"
#include "app/draw2d.h"
#include "app/form.h"
#include "app/gadgets.h"
#include "app/view.h"
#include "engine/design.h"
#include "tests/gui/support/shell_fixture.h"

namespace {

// The default design on a 600 x 400 canvas; events are posted through the
// queue and handled by the event loop's dispatch.
class CanvasTest : public ShellTest {
 protected:
  void SetUp() override {
    ShellTest::SetUp();
    ResizeGadget(WINDOW_MAIN, GADGET_CANVAS, GADGET_KEEP, GADGET_KEEP, 600, 400);
    ReadCanvasSize();
    FitView2D();
    DrawCanvas();
  }
  void TearDown() override {
    EndCanvasDrags();
    ResetView3D();
    ShellTest::TearDown();
  }
  void Post(int64_t type, int64_t x, int64_t y, int64_t modifiers = 0, int64_t notches = 0) {
    WindowEvent event;
    event.kind = EVENT_GADGET;
    event.window = WINDOW_MAIN;
    event.id = GADGET_CANVAS;
    event.type = type;
    event.x = x;
    event.y = y;
    event.modifiers = modifiers;
    event.wheelNotches = notches;
    PostEvent(event);
    DispatchQueuedEvents();
  }
  // The real design under a known view: 1 px/mm, world (0, 0) at (300, 200).
  void PlainView() {
    gScale2D = 1;
    gPanX = gPanY = 0;
  }
  // Replaces the base line by a 100 mm square with integer corners and a
  // pitch of 40 mm; the next recompute brings the real design back.
  void SquareBaseLine() {
    gResult.baseLinePoints = {{0, 50}, {-50, 50}, {-50, -50}, {50, -50}, {50, 50}};
    gResult.pitch = 40;
  }
};

TEST_F(CanvasTest, WheelZoomsAboutThePointerAndRedraws) {
  gScale2D = 1;
  gMouseX = 150;
  gMouseY = 120;
  ComputeWorldMouse();
  double wx = gWorldMouseX, wy = gWorldMouseY;
  for (int i = 0; i < 10; ++i) Post(EVENT_WHEEL, 150, 120, 0, 1);
  EXPECT_NEAR(gScale2D, 6.1917364224, 1e-12);
  ComputeWorldMouse();
  EXPECT_NEAR(gWorldMouseX, wx, 1e-9);
  EXPECT_NEAR(gWorldMouseY, wy, 1e-9);
  EXPECT_EQ(gModified, 0);  // the canvas never marks the project
}

TEST_F(CanvasTest, DragPansAndReleaseEndsIt) {
  PlainView();
  Post(EVENT_LEFT_DOWN, 100, 100);
  EXPECT_EQ(gPanning, 1);
  Post(EVENT_MOUSE_MOVE, 150, 120);
  EXPECT_EQ(gPanX, -50);
  EXPECT_EQ(gPanY, 20);
  Post(EVENT_LEFT_UP, 150, 120);
  Post(EVENT_MOUSE_MOVE, 300, 300);
  EXPECT_EQ(gPanX, -50);
  EXPECT_EQ(gPanY, 20);
  // A lost focus, as when the toolkit breaks the grab, ends a drag too.
  Post(EVENT_LEFT_DOWN, 100, 100);
  Post(EVENT_LOST_FOCUS, 0, 0);
  Post(EVENT_MOUSE_MOVE, 200, 200);
  EXPECT_EQ(gPanX, -50);
}

TEST_F(CanvasTest, JitterAfterADoubleClickKeepsTheFit) {
  FitView2D();
  double fitX = gPanX, fitY = gPanY, fitScale = gScale2D;
  gPanX += 40;
  gScale2D *= 3;
  // The toolkit's order: press, release, press, double press, release.
  Post(EVENT_LEFT_DOWN, 200, 200);
  Post(EVENT_LEFT_UP, 200, 200);
  Post(EVENT_LEFT_DOWN, 200, 200);
  Post(EVENT_LEFT_DOUBLE_CLICK, 200, 200);
  Post(EVENT_MOUSE_MOVE, 201, 199);
  Post(EVENT_LEFT_UP, 201, 199);
  EXPECT_EQ(gPanX, fitX);
  EXPECT_EQ(gPanY, fitY);
  EXPECT_EQ(gScale2D, fitScale);
  EXPECT_EQ(gPanning, 0);
}

TEST_F(CanvasTest, PointerPositionInTheStatusBarAndClearedOnLeave) {
  PlainView();
  Post(EVENT_MOUSE_MOVE, 310, 150);
  EXPECT_EQ(Status(), "x = 10.00   y = 50.00");
  gScale2D = 3;
  Post(EVENT_MOUSE_MOVE, 299, 201);
  EXPECT_EQ(Status(), "x = -0.33   y = -0.33");
  Post(EVENT_MOUSE_LEAVE, 0, 0);
  EXPECT_EQ(Status(), "");
  EXPECT_EQ(PointerPositionText(-0.001, 2.5), "x = 0.00   y = 2.50");
}

TEST_F(CanvasTest, ShiftClickSnapsWithinThirtyPixels) {
  PlainView();
  ASSERT_EQ(gResult.valid, 1);
  PointList before = gResult.outlinePoints;
  // World (-30, 81): 31 mm = 31 px above the square's top side.
  SquareBaseLine();
  Post(EVENT_LEFT_DOWN, 270, 119, MODIFIER_SHIFT);
  Post(EVENT_LEFT_UP, 270, 119);
  EXPECT_EQ(Field(GADGET_SHIFT), "0");
  EXPECT_EQ(gPanning, 0);  // neither a snap nor a pan
  EXPECT_EQ(gModified, 0);
  // World (-30, 80): 30 px away, nearest arc length 30 mm = 0.75 pitch.
  SquareBaseLine();
  Post(EVENT_LEFT_DOWN, 270, 120, MODIFIER_SHIFT);
  Post(EVENT_LEFT_UP, 270, 120);
  EXPECT_EQ(Field(GADGET_SHIFT), "75");
  EXPECT_EQ(gModified, 1);
  ASSERT_EQ(gResult.valid, 1) << gResult.message;
  EXPECT_NE(gResult.outlinePoints[0].x, before[0].x);
}

TEST_F(CanvasTest, ShiftClickWithoutAPatternPans) {
  PlainView();
  gResult.count = 0;
  Post(EVENT_LEFT_DOWN, 270, 120, MODIFIER_SHIFT);
  EXPECT_EQ(gPanning, 1);
  EXPECT_EQ(gSliding, 0);
  Post(EVENT_LEFT_UP, 270, 120);
  gResult.valid = 0;
  Post(EVENT_LEFT_DOWN, 270, 120, MODIFIER_CTRL);
  EXPECT_EQ(gPanning, 1);
  EXPECT_EQ(gSliding, 0);
}

TEST_F(CanvasTest, CtrlDragSlidesThePatternAlongTheBaseLine) {
  PlainView();
  ASSERT_EQ(gResult.valid, 1);
  double pitch = gResult.pitch;
  PointList before = gResult.outlinePoints;
  const OutlinePoint& a = gResult.baseLinePoints[0];
  const OutlinePoint& b = gResult.baseLinePoints[gResult.baseLinePoints.size() / 8];
  OutlinePoint pa, pb;
  WorldToScreen(pa, a.x, a.y);
  WorldToScreen(pb, b.x, b.y);
  int64_t ax = std::lround(pa.x), ay = std::lround(pa.y), bx = std::lround(pb.x), by = std::lround(pb.y);
  double d;
  double sa = FindNearestBaseLinePoint(d, ax - 300.0, 200.0 - ay);
  double sb = FindNearestBaseLinePoint(d, bx - 300.0, 200.0 - by);
  // Ctrl wins over Shift.
  Post(EVENT_LEFT_DOWN, ax, ay, MODIFIER_CTRL | MODIFIER_SHIFT);
  EXPECT_EQ(gSliding, 1);
  EXPECT_EQ(gPanning, 0);
  Post(EVENT_MOUSE_MOVE, bx, by);
  double f = (sb - sa) / pitch;
  f -= std::floor(f);
  EXPECT_EQ(Field(GADGET_SHIFT), FormatFieldNumber(f * 100));
  EXPECT_NE(gResult.outlinePoints[0].x, before[0].x);
  EXPECT_EQ(gPanX, 0);  // sliding does not pan
  Post(EVENT_LEFT_UP, bx, by);
  EXPECT_EQ(gSliding, 0);
  std::string shift = Field(GADGET_SHIFT);
  Post(EVENT_MOUSE_MOVE, ax, ay);
  EXPECT_EQ(Field(GADGET_SHIFT), shift);
}

TEST_F(CanvasTest, ThreeDDragRotatesWheelZoomsDoubleClickResets) {
  SetGadgetState(WINDOW_MAIN, GADGET_SHOW_3D, 1);
  Post(EVENT_MOUSE_MOVE, 10, 10);
  std::string status = Status();
  Post(EVENT_LEFT_DOWN, 100, 100);
  EXPECT_EQ(gRotating, 1);
  Post(EVENT_MOUSE_MOVE, 140, 1000);
  EXPECT_EQ(gYaw3D, 35 - 20);
  EXPECT_EQ(gPitch3D, 89);
  Post(EVENT_MOUSE_MOVE, 140, -1000);
  EXPECT_EQ(gPitch3D, -89);
  Post(EVENT_WHEEL, 0, 0, 0, 2);
  EXPECT_DOUBLE_EQ(gZoom3D, 1.15 * 1.15);
  // A double click resets and ends the drag: the jitter before the release
  // does not turn the view again.
  Post(EVENT_LEFT_UP, 140, -1000);
  Post(EVENT_LEFT_DOWN, 140, 100);
  Post(EVENT_LEFT_DOUBLE_CLICK, 140, 100);
  Post(EVENT_MOUSE_MOVE, 141, 101);
  Post(EVENT_LEFT_UP, 141, 101);
  EXPECT_EQ(gYaw3D, 35);
  EXPECT_EQ(gPitch3D, 28);
  EXPECT_EQ(gZoom3D, 1);
  EXPECT_EQ(Status(), status);  // 3D leaves the status bar alone
  Post(EVENT_MOUSE_LEAVE, 0, 0);
  EXPECT_EQ(Status(), status);
  // The 2D view kept its own state.
  SetGadgetState(WINDOW_MAIN, GADGET_SHOW_3D, 0);
  EXPECT_EQ(gRotating, 0);
}

TEST_F(CanvasTest, RedrawPaintsTheCanvasImage) {
  ASSERT_EQ(CanvasSurfaceWidth(WINDOW_MAIN, GADGET_CANVAS), 600);
  EXPECT_EQ(gPixelScale, 1);
  // The top-right corner shows background or grid, never black.
  uint32_t corner = CanvasPixel(WINDOW_MAIN, GADGET_CANVAS, 595, 2);
  EXPECT_GE((corner >> 16) & 255, 190u);
  // The fitted outline crosses row 190 twice, left and right of the centre.
  int dark = 0;
  for (int x = 0; x < 600; ++x) {
    uint32_t p = CanvasPixel(WINDOW_MAIN, GADGET_CANVAS, x, 190);
    if (((p >> 16) & 255) < 100 && (p & 255) < 100) dark += x < 300 ? 1 : 100;
  }
  EXPECT_GE(dark % 100, 1);
  EXPECT_GE(dark / 100, 1);
}

}  // namespace

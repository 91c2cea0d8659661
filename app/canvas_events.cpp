#include "app/canvas_events.h"

#include "app/change_handling.h"
#include "app/draw2d.h"
#include "app/gadgets.h"
#include "app/loop_state.h"
#include "app/platform/window_system.h"
#include "app/vase_form.h"
#include "app/view.h"
#include "engine/design.h"
#include "text/texts.h"
#include "vase/preview_mesh.h"

namespace {

// The pointer position last written into the status bar.
std::string gPointerText;

void ReadCanvasPointer() {
  ReadCanvasSize();
  gMouseX = static_cast<double>(EventX()) / gPixelScale;
  gMouseY = static_cast<double>(EventY()) / gPixelScale;
}

bool HasPattern() { return gResult.valid && gResult.count > 0 && gResult.pitch > 0; }

void OnLeftDown2D() {
  FocusGadget(WINDOW_MAIN, GADGET_CANVAS);
  gMouseMods = EventModifiers();
  ComputeWorldMouse();
  bool aligning = (gMouseMods & (MODIFIER_SHIFT | MODIFIER_CTRL)) != 0;
  if (!aligning || !HasPattern()) {
    StartPan2D();
    return;
  }
  gNearestS = FindNearestBaseLinePoint(gNearestDist, gWorldMouseX, gWorldMouseY);
  if (gMouseMods & MODIFIER_CTRL) {
    gSliding = 1;
    gSlideStartS = gNearestS;
    gSlideStartShift = gParams.shift;
  } else if (gNearestDist * gScale2D <= SNAP_DISTANCE_PX) {
    SetShiftFromFraction(gNearestS / gResult.pitch);
  }
}

void OnMouseMove2D() {
  if (gSliding && HasPattern()) {
    ComputeWorldMouse();
    gNearestS = FindNearestBaseLinePoint(gNearestDist, gWorldMouseX, gWorldMouseY);
    SetShiftFromFraction(gSlideStartShift + (gNearestS - gSlideStartS) / gResult.pitch);
  }
  if (gPanning) {
    PanView2D();
    DrawCanvas();
  }
  ComputeWorldMouse();
  gPointerText = PointerPositionText(gWorldMouseX, gWorldMouseY);
  SetStatusBarText(STATUS_BAR_MAIN, STATUS_MESSAGE, gPointerText);
}

// The end of a 3D drag: the fine mesh comes back if the drag used the coarse one.
void EndRotate3D() {
  gRotating = 0;
  if (gMeshCoarse) {
    RebuildPreviewMesh(0);
    DrawCanvas();
  }
}

}  // namespace

std::string PointerPositionText(double x, double y) {
  return Tx(TX_VIEW_POINTER_X) + FormatDecimals(2, x) + Tx(TX_VIEW_POINTER_Y) + FormatDecimals(2, y);
}

void ClearPointerPosition() {
  if (!gPointerText.empty() && GetStatusBarText(STATUS_BAR_MAIN, STATUS_MESSAGE) == gPointerText)
    SetStatusBarText(STATUS_BAR_MAIN, STATUS_MESSAGE, "");
  gPointerText.clear();
}

// A double click arrives as press, release, press, double-press, release:
// the double click and every release (a lost focus included, since the
// toolkit then breaks the pointer grab) end all drags, so no jitter after
// the second press undoes a fit or a reset.
void OnCanvasEvent2D() {
  ReadCanvasPointer();
  switch (gEventType) {
    case EVENT_WHEEL:
      ZoomView2D(EventWheelNotches());
      DrawCanvas();
      break;
    case EVENT_LEFT_DOWN:
      OnLeftDown2D();
      break;
    case EVENT_LEFT_UP:
    case EVENT_LOST_FOCUS:
      EndCanvasDrags();
      break;
    case EVENT_MOUSE_MOVE:
      OnMouseMove2D();
      break;
    case EVENT_MOUSE_LEAVE:
      SetStatusBarText(STATUS_BAR_MAIN, STATUS_MESSAGE, "");
      break;
    case EVENT_LEFT_DOUBLE_CLICK:
      EndCanvasDrags();
      FitView2D();
      DrawCanvas();
      break;
    default:
      break;
  }
}

void OnCanvasEvent3D() {
  ReadCanvasPointer();
  switch (gEventType) {
    case EVENT_WHEEL:
      ZoomView3D(EventWheelNotches());
      DrawCanvas();
      break;
    case EVENT_LEFT_DOWN:
      FocusGadget(WINDOW_MAIN, GADGET_CANVAS);
      StartRotate3D();
      if (gRingSize * gMeshSteps > COARSE_MESH_THRESHOLD) RebuildPreviewMesh(1);
      break;
    case EVENT_LEFT_UP:
    case EVENT_LOST_FOCUS:
      EndCanvasDrags();
      EndRotate3D();
      break;
    case EVENT_MOUSE_MOVE:
      if (gRotating) {
        RotateView3D();
        DrawCanvas();
      }
      break;
    case EVENT_LEFT_DOUBLE_CLICK:
      EndCanvasDrags();
      if (gMeshCoarse) RebuildPreviewMesh(0);
      ResetView3D();
      DrawCanvas();
      break;
    default:
      break;
  }
}

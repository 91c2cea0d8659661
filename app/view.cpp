#include "app/view.h"

#include <cmath>

double gScale2D = 1;
double gPanX = 0, gPanY = 0;
double gPixelScale = 1;
double gYaw3D = DEFAULT_YAW_DEG, gPitch3D = DEFAULT_PITCH_DEG, gZoom3D = 1;
double gCanvasWidth = 100, gCanvasHeight = 100;

double gMouseX = 0, gMouseY = 0;
double gWorldMouseX = 0, gWorldMouseY = 0;
int64_t gMouseMods = 0;
int64_t gPanning = 0;
int64_t gPanStartMouseX = 0, gPanStartMouseY = 0;
double gPanStartCentreX = 0, gPanStartCentreY = 0;
int64_t gSliding = 0;
double gSlideStartS = 0, gSlideStartShift = 0;
double gNearestS = 0, gNearestDist = 0;
int64_t gRotating = 0;
int64_t gRotStartX = 0, gRotStartY = 0;
double gYawStart = 0, gPitchStart = 0;

namespace {

// Nearest integer, ties to even (the default rounding mode).
int64_t RoundPointer(double v) {
  if (!std::isfinite(v)) return 0;
  return static_cast<int64_t>(std::nearbyint(v));
}

}  // namespace

void WorldToScreen(OutlinePoint& out, double x, double y) {
  out.x = gCanvasWidth / 2 + (x - gPanX) * gScale2D;
  out.y = gCanvasHeight / 2 - (y - gPanY) * gScale2D;
}

void OutlineToScreen(const PointList& source, PointList& destination) {
  destination.resize(source.size());
  double cx = gCanvasWidth / 2, cy = gCanvasHeight / 2, s = gScale2D;
  for (size_t i = 0; i < source.size(); ++i) {
    destination[i].x = cx + (source[i].x - gPanX) * s;
    destination[i].y = cy - (source[i].y - gPanY) * s;
  }
}

void ComputeWorldMouse() {
  gWorldMouseX = gPanX + (gMouseX - gCanvasWidth / 2) / gScale2D;
  gWorldMouseY = gPanY - (gMouseY - gCanvasHeight / 2) / gScale2D;
}

int64_t CanvasTextLines() {
  int64_t lines = static_cast<int64_t>(gResult.warnings.size());
  if (!gResult.valid && !gResult.message.empty()) ++lines;
  return lines;
}

int64_t FitView2D() {
  double minX, maxX, minY, maxY;
  if (gResult.valid) {
    minX = gResult.minX;
    maxX = gResult.maxX;
    minY = gResult.minY;
    maxY = gResult.maxY;
  } else {
    double halfW = MaxF(gParams.width, 1) / 2;
    double halfH = gParams.shapeKind == SHAPE_CIRCLE ? halfW : MaxF(gParams.height, 1) / 2;
    minX = -halfW;
    maxX = halfW;
    minY = -halfH;
    maxY = halfH;
  }
  // The top margin grows to hold the text lines with a gap below them; the
  // drawing keeps at least half the height it has without them.
  const double bottom = FIT_MARGIN_Y_PX / 2;
  double top = MaxF(bottom, TEXT_TOP_PX + static_cast<double>(CanvasTextLines()) * TEXT_LINE_PX + TEXT_TOP_PX);
  top = MinF(top, bottom + (gCanvasHeight - FIT_MARGIN_Y_PX) / 2);
  if (!(top >= bottom)) top = bottom;
  double s = MinF((gCanvasWidth - FIT_MARGIN_X_PX) / MaxF(maxX - minX, 1e-6),
                  (gCanvasHeight - top - bottom) / MaxF(maxY - minY, 1e-6));
  // NaN and infinity (a box of 1e308 or a non-finite size) would make every
  // later transform meaningless; the small canvas rule covers them too.
  if (!(s > 0) || !std::isfinite(s)) s = 1;
  gScale2D = s;
  gPanX = (minX + maxX) / 2;
  // The box's centre on the middle of the room between the margins.
  gPanY = (minY + maxY) / 2 + (top - bottom) / 2 / s;
  if (!std::isfinite(gPanX)) gPanX = 0;
  if (!std::isfinite(gPanY)) gPanY = 0;
  return 0;
}

int64_t ResetView3D() {
  gYaw3D = DEFAULT_YAW_DEG;
  gPitch3D = DEFAULT_PITCH_DEG;
  gZoom3D = 1;
  return 0;
}

void ZoomView2D(int64_t notches) {
  ComputeWorldMouse();
  double s = gScale2D * std::pow(WHEEL_ZOOM_2D, static_cast<double>(notches));
  if (s > SCALE_2D_MAX) s = SCALE_2D_MAX;
  if (s < SCALE_2D_MIN) s = SCALE_2D_MIN;
  gScale2D = s;
  gPanX = gWorldMouseX - (gMouseX - gCanvasWidth / 2) / s;
  gPanY = gWorldMouseY + (gMouseY - gCanvasHeight / 2) / s;
}

void ZoomView3D(int64_t notches) {
  gZoom3D *= std::pow(WHEEL_ZOOM_3D, static_cast<double>(notches));
  if (gZoom3D < ZOOM_3D_MIN) gZoom3D = ZOOM_3D_MIN;
  if (gZoom3D > ZOOM_3D_MAX) gZoom3D = ZOOM_3D_MAX;
}

void StartPan2D() {
  gPanning = 1;
  gPanStartMouseX = RoundPointer(gMouseX);
  gPanStartMouseY = RoundPointer(gMouseY);
  gPanStartCentreX = gPanX;
  gPanStartCentreY = gPanY;
}

void PanView2D() {
  gPanX = gPanStartCentreX - (gMouseX - static_cast<double>(gPanStartMouseX)) / gScale2D;
  gPanY = gPanStartCentreY + (gMouseY - static_cast<double>(gPanStartMouseY)) / gScale2D;
}

void StartRotate3D() {
  gRotating = 1;
  gRotStartX = RoundPointer(gMouseX);
  gRotStartY = RoundPointer(gMouseY);
  gYawStart = gYaw3D;
  gPitchStart = gPitch3D;
}

void RotateView3D() {
  gYaw3D = gYawStart - (gMouseX - static_cast<double>(gRotStartX)) * ROTATE_DEG_PER_PX;
  double pitch = gPitchStart + (gMouseY - static_cast<double>(gRotStartY)) * ROTATE_DEG_PER_PX;
  if (pitch > PITCH_LIMIT_DEG) pitch = PITCH_LIMIT_DEG;
  if (pitch < -PITCH_LIMIT_DEG) pitch = -PITCH_LIMIT_DEG;
  gPitch3D = pitch;
}

double FindNearestBaseLinePoint(double& distance, double x, double y) {
  const PointList& p = gResult.baseLinePoints;
  size_t n = p.size();
  if (n < 2) {
    distance = 1e300;
    return 0;
  }
  double best = HUGE_VAL, answer = 0, before = 0;
  for (size_t i = 0; i < n; ++i) {
    const OutlinePoint& a = p[i];
    const OutlinePoint& b = p[(i + 1) % n];
    double dx = b.x - a.x, dy = b.y - a.y;
    double l2 = dx * dx + dy * dy;
    double l = std::sqrt(l2);
    double t = l2 > 0 ? ((x - a.x) * dx + (y - a.y) * dy) / l2 : 0;
    if (t < 0) t = 0;
    if (t > 1) t = 1;
    double ex = a.x + t * dx - x, ey = a.y + t * dy - y;
    double d2 = ex * ex + ey * ey;
    if (d2 < best) {
      best = d2;
      answer = before + t * l;
    }
    before += l;
  }
  distance = std::sqrt(best);
  return answer;
}

void EndCanvasDrags() {
  gPanning = 0;
  gSliding = 0;
  gRotating = 0;
}

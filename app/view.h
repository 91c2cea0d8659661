// The view state of the canvas (2D scale and pan, 3D camera), the mapping
// between world millimetres and canvas pixels, fitting, zooming and the
// nearest base-line point. No toolkit here: the canvas size and pointer are
// handed in through gCanvasWidth, gCanvasHeight, gMouseX and gMouseY.
#pragma once

#include <cstdint>

#include "engine/design.h"

constexpr double WHEEL_ZOOM_2D = 1.2;
constexpr double SCALE_2D_MIN = 0.01;
constexpr double SCALE_2D_MAX = 100000;
constexpr double SNAP_DISTANCE_PX = 30;
constexpr double FIT_MARGIN_X_PX = 60;
constexpr double FIT_MARGIN_Y_PX = 80;
// The error and warning lines of the 2D canvas: the first at this y, one
// line below the other.
constexpr double TEXT_TOP_PX = 10;
constexpr double TEXT_LINE_PX = 20;
constexpr double WHEEL_ZOOM_3D = 1.15;
constexpr double ZOOM_3D_MIN = 0.2;
constexpr double ZOOM_3D_MAX = 20;
constexpr double ROTATE_DEG_PER_PX = 0.5;
constexpr double PITCH_LIMIT_DEG = 89;
constexpr double DEFAULT_YAW_DEG = 35;
constexpr double DEFAULT_PITCH_DEG = 28;

extern double gScale2D;
extern double gPanX, gPanY;
extern double gPixelScale;
extern double gYaw3D, gPitch3D, gZoom3D;

// The canvas size in pixels, refreshed from the gadget before every use.
extern double gCanvasWidth, gCanvasHeight;

// Pointer and drag state of the canvas.
extern double gMouseX, gMouseY;
extern double gWorldMouseX, gWorldMouseY;
extern int64_t gMouseMods;
extern int64_t gPanning;
extern int64_t gPanStartMouseX, gPanStartMouseY;
extern double gPanStartCentreX, gPanStartCentreY;
extern int64_t gSliding;
extern double gSlideStartS, gSlideStartShift;
extern double gNearestS, gNearestDist;
extern int64_t gRotating;
extern int64_t gRotStartX, gRotStartY;
extern double gYawStart, gPitchStart;

void WorldToScreen(OutlinePoint& out, double x, double y);
void OutlineToScreen(const PointList& source, PointList& destination);
// gWorldMouseX, gWorldMouseY = the world point under gMouseX, gMouseY.
void ComputeWorldMouse();
// Lines of error and warning text at the top of the 2D canvas.
int64_t CanvasTextLines();
// Frames the outline, or the base size, below those lines.
int64_t FitView2D();
int64_t ResetView3D();
// Wheel zoom by notches about the pointer, within the wheel bounds.
void ZoomView2D(int64_t notches);
void ZoomView3D(int64_t notches);
// Starts a pan at the pointer; PanView2D follows the pointer.
void StartPan2D();
void PanView2D();
void StartRotate3D();
void RotateView3D();
// Arc length (mm) of the base-line point of gResult nearest to (x, y).
double FindNearestBaseLinePoint(double& distance, double x, double y);
// Ends any drag of either mode.
void EndCanvasDrags();

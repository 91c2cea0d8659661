// The 2D drawing of the canvas: background, grid, axes, fill, base line,
// outline, error, warnings and the zoom hint, painted in canvas pixels onto
// the canvas's offscreen image. In 3D mode the preview renderer draws instead.
#pragma once

#include <cairo.h>

#include <cstdint>
#include <string>

#include "engine/design.h"

constexpr double GRID_FIRST_STEP_MM = 0.001;
constexpr double GRID_MIN_SPACING_PX = 7;
constexpr double GRID_MAX_STEP_MM = 1000000;

// A point this near the line drawn instead of it does not show.
constexpr double STRAIGHT_TOLERANCE_PX = 0.25;

// Leaves out the points of a polyline in screen pixels that lie within
// STRAIGHT_TOLERANCE_PX of the segment drawn instead of them (between the
// points kept before and after); the first and last points stay, and so
// do non-finite ones.
void KeepBends(PointList& points);
// Full redraw of GADGET_CANVAS, in 2D or 3D.
int64_t DrawCanvas();
// gCanvasWidth and gCanvasHeight from the canvas gadget.
void ReadCanvasSize();
// The 2D picture of a w x h pixel canvas on cr, whose target is surfaceWidth
// units wide; the show flags are the states of the three display boxes.
void PaintCanvas2D(cairo_t* cr, int64_t w, int64_t h, double surfaceWidth, int64_t showGrid, int64_t showBaseLine,
                   int64_t showFill);
int64_t DrawGrid(cairo_t* cr, int64_t w, int64_t h);
// The fine and major grid steps (mm) at a scale of s px/mm.
void GridSteps(double s, double& fine, double& major);
// The hint line at the bottom of the 2D view.
std::string ZoomHintText();
// The hint line as drawn on a canvas this wide: without the instructions
// from its end that do not fit, never without the scale.
std::string ZoomHintForWidth(int64_t canvasWidth);

// The outline as a STEP AP214 file: planar curves in a wireframe, or a
// solid extruded over a height, one side face per piece of the outline.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "engine/design.h"

enum StepAsMode : int64_t { STEP_AS_CURVE = 0, STEP_AS_SOLID = 1 };

constexpr double CORNER_ANGLE = 15.0;
constexpr double CORNER_COSINE = 0.9659258262890683;
constexpr int64_t MAX_PIECE_EDGES = 200;
constexpr double OUTLINE_CTRL_SPACING = 0.1;
constexpr int64_t STEP_CTRL_BUFFER = 1025;

// Whether a solid may have this height: finite and written as at least one
// unit of the last decimal (1e-300 passes "> 0" but writes as 0.000000).
bool IsWritableStepHeight(double height);

// The number of simplified outline points written, or 0 with gExportError set.
int64_t ExportOutlineStep(const std::string& path, const DesignResult& result, int64_t solid, double height,
                          double tolerance);

// Adds the curve set (curvesOnly 1) or the solid (0) and returns its id;
// 0, with nothing added, when a one-edge piece has no length.
int64_t AddOutlineStepBody(const PointList& points, const std::string& bodyName, int64_t curvesOnly, double height);

// Piece starts in walking order into breaks[0 .. m-1], breaks[m] = breaks[0];
// returns m. A piece starts at every turn sharper than 15 degrees, holds at
// most 200 edges, and a ring without corners is cut into thirds.
int64_t SplitAtCorners(const double* x, const double* y, int64_t n, std::vector<int64_t>& breaks);

// Control points of the piece from start over count ring points, no two
// closer along an edge than step allows; returns how many were written.
int64_t DensifyPolylinePiece(const double* x, const double* y, int64_t n, int64_t start, int64_t count,
                             std::vector<double>& cx, std::vector<double>& cy, double step);

// A clamped uniform planar B-spline of degree min(3, count - 1) at height z.
int64_t AddBSplineCurve(const double* cx, const double* cy, int64_t count, double z);

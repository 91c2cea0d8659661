// Turns the curved DXF entities into points of import pieces: circular
// arcs, polylines with bulges, ellipses and rational B-splines.
#pragma once

#include <cmath>
#include <cstdint>
#include <vector>

#include "engine/design.h"

constexpr double ONE_DEGREE = 0.017453292519943295;
// The longest sweep an ARC or ELLIPSE is sampled over: more is the same curve again.
constexpr double ONE_TURN = 2 * M_PI;
constexpr int64_t ARC_MAX_SEGMENTS = 100000;
constexpr int64_t NURBS_SEGMENTS_PER_SPAN = 24;
// Above this degree a spline's control data count as invalid.
constexpr int64_t NURBS_MAX_DEGREE = 25;

// Appends the arc's points after its start point (radians; a1 < a0 runs clockwise).
void AppendArcPoints(PointList& list, double cx, double cy, double r, double a0, double a1);
void AppendBulgeSegment(PointList& list, double x1, double y1, double x2, double y2, double bulge);
// One new piece from the vertices and their bulges; nothing below 2 vertices.
void AddBulgePolylinePiece(const PointList& vertices, const std::vector<double>& bulges, int64_t flags,
                           double extrusionZ);
void AppendNurbsCurvePoints(int64_t degree, const double* knots, int64_t knotCount, const double* x,
                            const double* y, const double* weights, int64_t controlCount, PointList& list);
// A downward extrusion mirrors object coordinates in x.
void ApplyExtrusionMirror(PointList& list, double extrusionZ);
// One new piece for an ellipse (world centre and major axis, parameters in
// radians); with a downward extrusion the minor axis points the other way.
void AddEllipsePiece(double cx, double cy, double ax, double ay, double ratio, double start, double end,
                     double extrusionZ);
// The smallest end above start reached by whole turns; false when none can be represented.
bool RaiseEndAboveStart(double start, double& end, double turn);

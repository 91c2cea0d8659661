// Helpers on closed point rings (closed implicitly, first point not repeated).
#pragma once

#include <cstdint>

#include "engine/design.h"

// Closed-ring Douglas-Peucker; destination is emptied first.
void SimplifyClosedPolyline(const PointList& source, double tolerance, PointList& destination);
// The ring SimplifyClosedPolyline gives at the first of the tolerances t,
// 2t, 4t, ... (`passes` of them) that keeps at most `budget` points, or at
// the last one when none does.
void SimplifyClosedPolylineToBudget(const PointList& source, double firstTolerance, int64_t passes, int64_t budget,
                                    PointList& destination);
double PointSegmentDistance(double px, double py, double ax, double ay, double bx, double by);
// How many points of an offset ring the clearance test looks at, at most.
constexpr int64_t CLEARANCE_SAMPLES = 200;
// 1 when the offset ring (x, y, n points) keeps at least 0.9 d from the source ring.
int64_t CheckOffsetClearance(const PointList& source, const double* x, const double* y, int64_t n, double d);

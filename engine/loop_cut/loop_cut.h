// Cuts the loops out of a closed ring that crosses itself.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/design.h"

constexpr int64_t MAX_LOOP_CUTS = 5000;

// Rewrites the ring in place without its loops; returns the number of cuts.
int64_t RemoveSelfIntersections(PointList& points);
// The same on a ring held as coordinate arrays, which keep their size.
int64_t RemoveSelfIntersections(std::vector<double>& x, std::vector<double>& y);
// 1 when two non-adjacent segments cross: i < j are their indices (segment k
// runs from point k to point (k + 1) mod n) and crossing is where they meet.
int64_t FindSelfIntersection(const double* x, const double* y, int64_t n, int64_t& i, int64_t& j,
                             OutlinePoint& crossing);
// 1 when segment A-B and segment C-D cross properly (not within 1e-9 of an end).
int64_t IntersectSegments(OutlinePoint& point, double ax, double ay, double bx, double by, double cx, double cy,
                          double dx, double dy);

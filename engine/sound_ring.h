// What makes a closed ring a sound outline, and the mending that the loop
// cut leaves to be done: exact predicates for touches, overlaps and
// crossings at end points, which its own segment test lets through.
#pragma once

#include <cstdint>

#include "engine/design.h"
#include "engine/exact_orient.h"

// Consecutive points closer than this are one point.
constexpr double MIN_POINT_DISTANCE = 1e-9;

// Two points closer than MIN_POINT_DISTANCE.
inline bool TooClose(const OutlinePoint& a, const OutlinePoint& b) {
  double dx = a.x - b.x, dy = a.y - b.y;
  return dx * dx + dy * dy < MIN_POINT_DISTANCE * MIN_POINT_DISTANCE;
}

// Drops every point closer than MIN_POINT_DISTANCE to the point kept before
// it (the first point repeated at the end included) and every point where
// the ring folds straight back onto the segment it came along.
void DropRepeatedPoints(PointList& points);

// Cuts the ring where two of its segments still meet, as the loop cut does
// (the part with more points stays), at most `limit` times, dropping repeated
// points after each cut. Returns the cuts; `simple` tells whether the ring
// left is simple. Each search passes the cells that the search before it
// proved free, and points are dropped only where the cut changed the ring,
// unless `remember` is false (all afresh, as the tests compare).
int64_t CutRingContacts(PointList& points, int64_t limit, bool& simple, bool remember = true);

// 1 when no two segments of the ring meet apart from neighbours at their
// common point, no segment is shorter than MIN_POINT_DISTANCE and the ring
// never folds straight back on itself.
int64_t CheckSimpleRing(const PointList& points);

// 1 when the ring is an outline that may be written: at least 3 finite
// points, simple, and counter-clockwise.
int64_t CheckSoundOutline(const PointList& points);

// What makes a closed ring a sound outline, and the mending that the loop
// cut leaves to be done: exact predicates for touches, overlaps and
// crossings at end points, which its own segment test lets through.
#pragma once

#include <algorithm>
#include <cstdint>
#include <vector>

#include "engine/design.h"

// Consecutive points closer than this are one point.
constexpr double MIN_POINT_DISTANCE = 1e-9;

// The sign of the turn a -> b -> c by exact arithmetic, for when the plain
// determinant lies within its rounding of zero.
int OrientExactSlow(double ax, double ay, double bx, double by, double cx, double cy);

// The exact sign of the turn a -> b -> c: +1 left, -1 right, 0 straight.
// Mostly the plain determinant settles it, beyond Shewchuk's first error
// bound.
inline int OrientExact(double ax, double ay, double bx, double by, double cx, double cy) {
  double left = (bx - ax) * (cy - ay), right = (by - ay) * (cx - ax);
  double det = left - right;
  double bound = 3.3306690738754716e-16 * ((left < 0 ? -left : left) + (right < 0 ? -right : right));
  if (det > bound) return 1;
  if (-det > bound) return -1;
  return OrientExactSlow(ax, ay, bx, by, cx, cy);
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

// A segment of a ring from (x0, y0) to (x1, y1); `next` is the id of the
// segment that starts where it ends.
struct ContactSegment {
  double x0, y0, x1, y1;
  int64_t id, next;
};

// Shamos and Hoey's sweep with exact predicates: true when two of the
// segments meet anywhere, apart from ring neighbours at their common point
// (a neighbour that folds straight back does meet), with their positions.
// Every segment must have some length (the sweep could not place one
// without).
bool FindSegmentContact(const std::vector<ContactSegment>& segments, size_t& first, size_t& second);
// The same sweep going on past every pair that meets, with both taken out:
// the positions taken out, after which the others meet nowhere, so every
// pair that meets has one of them. False when more than `most` were taken.
bool FindMeetingSegments(const std::vector<ContactSegment>& segments, std::vector<size_t>& met, size_t most);

// Working lists of the sweep over a crowded cell's segments.
struct MeetingSweep {
  std::vector<ContactSegment> contact;
  std::vector<size_t> contactAt, met;
};

// The cell's m segments, from point starts[a] to point next(starts[a]) of
// x, y, for the sweep (contact, with their positions in contactAt); the
// positions of those of no length, which the sweep cannot place, in
// noLength.
template <typename Next>
void ListContactSegments(const double* x, const double* y, const int64_t* starts, size_t m, Next next,
                         MeetingSweep& sweep, std::vector<size_t>& noLength) {
  sweep.contact.clear();
  sweep.contactAt.clear();
  noLength.clear();
  for (size_t a = 0; a < m; ++a) {
    const int64_t k = starts[a], k1 = next(k);
    if (x[k] == x[k1] && y[k] == y[k1]) {
      noLength.push_back(a);
      continue;
    }
    sweep.contact.push_back(ContactSegment{x[k], y[k], x[k1], y[k1], k, k1});
    sweep.contactAt.push_back(a);
  }
}

// The positions (ascending) of the cell's segments that the sweep takes out,
// and those of no length, in `hot`: every pair of the others meets nowhere.
// False when they are more than `most`.
template <typename Next>
bool FindHotPositions(const double* x, const double* y, const int64_t* starts, size_t m, Next next, size_t most,
                      MeetingSweep& sweep, std::vector<size_t>& hot) {
  ListContactSegments(x, y, starts, m, next, sweep, hot);
  if (hot.size() > most || !FindMeetingSegments(sweep.contact, sweep.met, most - hot.size())) return false;
  for (size_t c : sweep.met) hot.push_back(sweep.contactAt[c]);
  std::sort(hot.begin(), hot.end());
  hot.erase(std::unique(hot.begin(), hot.end()), hot.end());
  return true;
}

// Visits the pairs (a, b), a < b < m, with a position of `hot` (ascending)
// in them, in order, until visit(a, b) returns true; true then. Only pairs
// with a < firstEnd are visited.
template <typename Visit>
bool VisitPairsWithHot(size_t m, const std::vector<size_t>& hot, Visit visit, size_t firstEnd = SIZE_MAX) {
  size_t next = 0;
  for (size_t a = 0; a < m && a < firstEnd && next < hot.size(); ++a) {
    if (hot[next] == a) {
      ++next;
      for (size_t b = a + 1; b < m; ++b)
        if (visit(a, b)) return true;
    } else {
      for (size_t q = next; q < hot.size(); ++q)
        if (visit(a, hot[q])) return true;
    }
  }
  return false;
}

// Splits segments of a ring of n points (given by index, in increasing
// order) into chains: runs of consecutive segments that all advance
// strictly the same way in x, or all strictly the same way in y. Two
// segments of one chain that are not neighbours have boxes strictly apart,
// so they never meet. Returns the number of chains.
int64_t LabelChains(const double* x, const double* y, int64_t n, const int64_t* segs, size_t m,
                    std::vector<int64_t>& chain);
// The signs of every segment's advance in x and in y, one byte each, so
// that chains can be labelled without reading the ring's points again.
void MeasureAdvances(const double* x, const double* y, int64_t n, std::vector<int8_t>& advance);
// LabelChains from those signs.
int64_t LabelChains(const std::vector<int8_t>& advance, const int64_t* segs, size_t m, std::vector<int64_t>& chain);

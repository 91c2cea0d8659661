// The loop cut of a ring with many loops: every crossing pair kept in a set
// that survives the cuts, so that each search is a minimum over that set
// instead of a walk over the whole ring.
#pragma once

#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "engine/design.h"
#include "engine/exact_sum.h"

// The uniform grid of one crossing search.
struct CrossingGrid {
  double minX, minY, cell, inverse;
  int64_t gx, gy;
};

// The integer part of (v - origin) / cell, exactly. The division is done by
// a multiplication and redone only where the quotient lies close to a whole
// number: the product is within 4e-16 q of the quotient, and past 1e6 that
// margin would not be enough (the grid never gets there). Inline, as the
// searches call it for every segment.
inline int64_t GridCell(const CrossingGrid& grid, double v, double origin) {
  double q = (v - origin) * grid.inverse;
  if (!(q < 1e6)) return static_cast<int64_t>((v - origin) / grid.cell);
  int64_t whole = static_cast<int64_t>(q);
  double fraction = q - static_cast<double>(whole);
  if (fraction < 1e-9 || fraction > 1 - 1e-9) return static_cast<int64_t>((v - origin) / grid.cell);
  return whole;
}

// The grid over the box from (minX, minY), w wide and h high; false when
// non-finite points leave no usable grid (such a ring is left as it is).
inline bool MakeCrossingGrid(double minX, double minY, double w, double h, double sideCell, double perimeter,
                             int64_t n, CrossingGrid& grid) {
  double cell = MaxF(2 * perimeter / static_cast<double>(n), sideCell);
  if (!(cell > 0) || !std::isfinite(w) || !std::isfinite(h) || std::isnan(perimeter)) return false;
  grid = CrossingGrid{minX, minY, cell, 1 / cell, static_cast<int64_t>(w / cell) + 1, static_cast<int64_t>(h / cell) + 1};
  return true;
}

// Two crossing segments s1 < s2 (by index).
struct CrossingPair {
  int64_t s1, s2;
};

struct SegmentBounds {
  double x0, x1, y0, y1;
};

// A pair known to cross while both of its segments stay as they were (the
// versions tell), with its first shared cell in the grid the set was last
// ordered by.
struct PairEntry {
  int64_t cell;
  int32_t a, b;
  uint32_t versionA, versionB;
};

// The ring as slots (a cut adds one for its crossing point) linked in ring
// order. Every slot has a key, and the ring runs in increasing key order
// from its start, so key order is index order and a slot's index is the
// number of living keys below its own.
struct CrossingSet {
  std::vector<double> x, y, length;
  std::vector<int64_t> next, key, keySlot, fenwick;
  // Bumped whenever the segment that starts at the slot changes or goes.
  std::vector<uint32_t> version;
  // Boxes of the segments per block of keys, as a tree of unions: its root
  // is the ring's bounding box.
  std::vector<SegmentBounds> tree;
  int64_t leaves = 0, head = 0, n = 0, keys = 0;
  // The lengths of the ring's segments.
  ExactSum perimeter;
  // A heap by (cell, a's index, b's index) in the grid of `ordered`, and
  // the pairs found since, not yet placed in it.
  std::vector<PairEntry> heap, fresh;
  CrossingGrid ordered{};
  // Segment pairs tested and pairs placed so far, and how many may be
  // before the set gives up on the ring.
  int64_t tests = 0, placed = 0, workLimit = 0;
  std::vector<int64_t> dirty, stack;
};

// Takes over the ring with all of its crossing pairs (pairs as the segment
// test reports them in index order, neighbours left out).
void StartCrossingSet(CrossingSet& set, const double* x, const double* y, int64_t n,
                      const std::vector<CrossingPair>& pairs);
// The crossing the plain grid search would report first: 1 with the slots of
// the two segments (a before b on the ring) and the point, 0 when there is
// none, -1 when ordering the pairs has cost more than the ring allows.
int64_t FirstCrossing(CrossingSet& set, int64_t& a, int64_t& b, OutlinePoint& point);
// Cuts the ring at the crossing of the segments from slots a and b as the
// loop cut does. False when finding the crossings of the two new segments
// cost more tests than the ring allows; the ring is cut all the same.
bool CutAtCrossing(CrossingSet& set, int64_t a, int64_t b, const OutlinePoint& point);
// The ring in order from its start.
void ReadRing(const CrossingSet& set, std::vector<double>& x, std::vector<double>& y, int64_t& n);

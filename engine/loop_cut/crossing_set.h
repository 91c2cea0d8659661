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
#include "engine/loop_cut/crossing_bands.h"
#include "engine/loop_cut/crossing_grid.h"
#include "engine/loop_cut/loop_part.h"
#include "engine/loop_cut/ring_segments.h"
#include "engine/segment_frame.h"

struct SegmentStarts {
  double x0, y0;
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
  std::vector<int64_t> next, key, keySlot;
  // Which keys are living, 64 to a word, and a Fenwick tree of the words'
  // counts.
  std::vector<uint64_t> living;
  std::vector<int64_t> fenwick;
  // Bumped whenever the segment that starts at the slot changes or goes.
  std::vector<uint32_t> version;
  // Boxes of the segments per block of keys, as a tree of unions: its root
  // is the ring's bounding box. Beside it the largest box left side and
  // bottom under each node.
  std::vector<SegmentBounds> tree;
  std::vector<SegmentStarts> tops;
  // Beside them, where `framed`, frames turned to the segments' direction.
  bool framed = false;
  std::vector<SegmentFrame> frames;
  int64_t leaves = 0, head = 0, n = 0, keys = 0;
  // The lengths of the ring's segments.
  ExactSum perimeter;
  // A heap by (cell, a's index, b's index) in the grid of `ordered`, and
  // the pairs found since, not yet placed in it.
  std::vector<PairEntry> heap, fresh;
  CrossingGrid ordered{};
  // Where the mean segment length sets the cell, the grid moves with every
  // cut: the pairs are then kept by what no grid moves instead (byBands).
  bool byBands = false;
  CrossingBands bands;
  // Segment pairs tested and pairs placed so far, and how many may be
  // before the set gives up on the ring.
  int64_t tests = 0, placed = 0, workLimit = 0;
  std::vector<int64_t> dirty, stack;
  // The lengths of the segments a cut takes away.
  std::vector<double> dropped;
  // The shoelace terms of the ring, and those of the part with fewer
  // points at a cut, which choose the part kept.
  RingArea area;
  std::vector<double> terms;
};

// Takes over the ring with all of its crossing pairs (pairs as the segment
// test reports them in index order, neighbours left out), and its lengths
// and the sum of its shoelace terms where they are known.
void StartCrossingSet(CrossingSet& set, const double* x, const double* y, int64_t n,
                      const std::vector<CrossingPair>& pairs, RingLengths known = {nullptr, nullptr},
                      const RingArea* area = nullptr);
// Enters every crossing pair of the set's ring, for rings whose grid cells
// are crowded: a sweep over the whole ring takes out the segments of the
// pairs that meet (so every crossing pair has one of them), and only their
// pairs are tested. False when the sweep takes out too many or the tests
// cost more than the ring allows.
bool FindCrossingsThroughSweep(CrossingSet& set);
// The grid a full search of the ring would place, and whether the box's side
// set its cell; false when there is none.
bool GridOfSet(const CrossingSet& set, CrossingGrid& grid, bool* sideSetCell = nullptr);
// The crossing the plain grid search would report first: 1 with the slots of
// the two segments (a before b on the ring) and the point, 0 when there is
// none, -1 when ordering the pairs has cost more than the ring allows.
int64_t FirstCrossing(CrossingSet& set, int64_t& a, int64_t& b, OutlinePoint& point);
// Cuts the ring at the crossing of the segments from slots a and b as the
// loop cut does. False when finding the crossings of the two new segments
// cost more tests than the ring allows; the ring is cut all the same.
bool CutAtCrossing(CrossingSet& set, int64_t a, int64_t b, const OutlinePoint& point);
// The cut alone: the two segments it made start at made[0] and made[1], in
// ring order; true when it kept the part with the ring's start.
bool CutRing(CrossingSet& set, int64_t a, int64_t b, const OutlinePoint& point, int64_t made[2]);

// Which box side a segment query also bounds.
enum class StartSide { NONE, LEFT, BOTTOM };
struct SegmentQuery {
  SegmentBounds box;
  StartSide side;
  double low, high;
};
// Appends the slots of the living segments whose box meets q.box and whose
// box left side or bottom (by q.side) lies in [q.low, q.high), in key order;
// `work` grows by the segments and nodes looked at.
void FindSegments(const CrossingSet& set, const SegmentQuery& q, std::vector<int64_t>& slots, int64_t& work);
SegmentBounds SlotBounds(const CrossingSet& set, int64_t s);
// The slot's index on the ring.
int64_t IndexOfSlot(const CrossingSet& set, int64_t s);
// The ring in order from its start, and the slot of each point when asked.
void ReadRing(const CrossingSet& set, std::vector<double>& x, std::vector<double>& y, int64_t& n,
              std::vector<int64_t>* slots = nullptr);

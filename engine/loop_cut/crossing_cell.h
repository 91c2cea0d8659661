// One cell of the walk's grid: its segments' pairs in the order the plain
// search tests them, walked pair by pair, tested only where a sweep left
// segments that meet (hot), or swept whole, whichever costs least.
#pragma once

#include <algorithm>
#include <cstdint>
#include <limits>
#include <vector>

#include "engine/design.h"
#include "engine/loop_cut/crossing_grid.h"
#include "engine/loop_cut/crossing_walk.h"
#include "engine/loop_cut/loop_cut.h"
#include "engine/loop_cut/ring_segments.h"

namespace crossing_cell {

struct PairResult {
  int64_t s1 = std::numeric_limits<int64_t>::max();
  int64_t s2 = std::numeric_limits<int64_t>::max();
  OutlinePoint point;
};

inline SegmentBounds BoxOf(const RingArrays& ring, int64_t k) {
  int64_t k1 = NextPoint(ring, k);
  return SegmentBounds{std::min(ring.x[k], ring.x[k1]), std::max(ring.x[k], ring.x[k1]),
                       std::min(ring.y[k], ring.y[k1]), std::max(ring.y[k], ring.y[k1])};
}

// Tests segment s1 against s2 (s1 < s2) unless they are neighbours on the ring.
inline bool TestPair(const RingArrays& ring, int64_t s1, int64_t s2, OutlinePoint& point) {
  if (s2 - s1 <= 1 || (s1 == 0 && s2 == ring.n - 1)) return false;
  int64_t e2 = NextPoint(ring, s2);
  return IntersectSegments(point, ring.x[s1], ring.y[s1], ring.x[s1 + 1], ring.y[s1 + 1], ring.x[s2], ring.y[s2],
                           ring.x[e2], ring.y[e2]) != 0;
}

inline bool Before(int64_t a1, int64_t a2, const PairResult& best) {
  return a1 < best.s1 || (a1 == best.s1 && a2 < best.s2);
}

// The boxes of a cell's segments, in work.cellBox.
inline void LoadCellBoxes(const RingArrays& ring, CrossingSearch& work, const int64_t* segs, size_t m) {
  work.cellBox.resize(m);
  for (size_t a = 0; a < m; ++a) work.cellBox[a] = BoxOf(ring, segs[a]);
}

// Whether the cell's segments at a and b cross, with their chains labelled
// and boxes loaded. Pairs of one chain, and pairs whose boxes are apart,
// cannot; the segment test could only claim them through rounding on
// (nearly) collinear segments, so they are never tested.
inline bool CellPairCrosses(const RingArrays& ring, const CrossingSearch& work, const int64_t* segs, size_t a, size_t b,
                            OutlinePoint& p) {
  return work.chain[a] != work.chain[b] && BoundsMeet(work.cellBox[a], work.cellBox[b]) &&
         TestPair(ring, segs[a], segs[b], p);
}

// Where the chain of the cell's segment at a ends (chains are runs in the
// cell's order), given where the chain before it ended.
inline size_t EndOfChain(const CrossingSearch& work, size_t m, size_t a, size_t end) {
  if (end > a) return end;
  end = a + 1;
  while (end < m && work.chain[end] == work.chain[a]) ++end;
  return end;
}

enum class CellOutcome { NONE, FOUND, GAVE_UP };

// Walks the pairs of a cell in order until the first crossing, or gives up
// after `budget` pairs.
CellOutcome WalkCellPairs(const RingArrays& ring, CrossingSearch& work, const int64_t* segs, size_t m, size_t budget,
                          PairResult& found);

// Finds the lowest crossing pair of a crowded cell by sweeping along the axis
// in which its segments spread most; or, given `all`, every crossing pair
// (false when that costs more tests than the budget left).
bool SweepCell(const RingArrays& ring, CrossingSearch& work, const int64_t* segs, size_t m, PairResult& found,
               std::vector<CrossingPair>* all = nullptr);

// True when no two of the cell's segments meet anywhere by exact
// predicates, so that none of its pairs can cross; a segment of no length
// leaves the question open. Dense bundles of long, nearly parallel segments
// overlap box by box, so this costs far less than their pairs.
bool CellIsClear(const RingArrays& ring, CrossingSearch& work, const int64_t* segs, size_t m);

// The first crossing pair of a cell among those with at least one hot
// segment (pairs of two others are known not to cross) and the lower at a
// position below firstEnd; hotAt holds the positions of the hot ones, in
// increasing order.
bool FindHotPair(const RingArrays& ring, const int64_t* segs, size_t m, const std::vector<size_t>& hotAt,
                 PairResult& found, size_t firstEnd = SIZE_MAX);

// The first crossing pair of a crowded cell that has some. A sweep takes
// out the segments of every pair that meets by exact predicates, so that a
// crossing pair has at least one of those (a segment of no length counts as
// one too); only their pairs are tested. Where the sweep takes out many, the
// whole cell is swept.
CellOutcome CrowdedCellPair(const RingArrays& ring, CrossingSearch& work, const int64_t* segs, size_t m,
                            PairResult& found);

// The positions of the cell's segments outside the last sweep's cold ones,
// in work.hotAt; false when they are too many for their pairs to cost less
// than a sweep (each costs about m tests, a sweep a few dozen per segment).
bool HotBesideCover(CrossingSearch& work, const int64_t* segs, size_t m);

// Every crossing pair of a cell; false when that costs more tests than the
// budget left.
bool CollectCellPairs(const RingArrays& ring, CrossingSearch& work, const int64_t* segs, size_t m,
                      std::vector<CrossingPair>& all);

}  // namespace crossing_cell

// The walk over a uniform grid that finds the crossing the loop cut takes
// next, with the buffers it keeps from one search to the next.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/design.h"
#include "engine/exact_sum.h"
#include "engine/loop_cut/crossing_grid.h"
#include "engine/loop_cut/meeting_sweep.h"
#include "engine/loop_cut/ring_segments.h"

// Pairs a search passed: through the cuts since (each kept the ring's
// start), no pair of segments that were there then and are unchanged, the
// lower below index `before`, crossed with its higher box bottom below
// `above` and its further box left side left of `right` (the search passed
// them in its crossing's cell or before it). `made`: the segments those
// cuts made, ascending.
struct PassedPairs {
  double above, right;
  int64_t before;
  std::vector<int64_t> made;
};

struct SweepEntry {
  double lo, hi, lo2, hi2;
  int64_t seg, chain;
};

// Buffers kept across the searches of one removal, and where the last search
// stopped.
struct CrossingSearch {
  // Cell rows and columns fit in 32 bits: a grid has at most 1025 of each.
  std::vector<int32_t> cy1, cx0, cx1;
  std::vector<int64_t> runStart, runEnd, runRow, rowStart, rowRuns;
  std::vector<double> rowLow;
  std::vector<int64_t> fresh, active, nextActive;
  std::vector<int64_t> cellCount, cellStart, cellSegs, touched;
  std::vector<SweepEntry> sweep;
  std::vector<size_t> sweepActive;
  std::vector<int64_t> chain;
  std::vector<SegmentBounds> cellBox;
  std::vector<size_t> hotAt;
  MeetingSweep meeting;
  // Collecting every crossing: (cell, segment) entries, and room to sort them.
  std::vector<uint64_t> entries, sortSpace;
  // Pair tests left while collecting every crossing.
  int64_t collectBudget = 0;
  // Segment lengths and their sum, kept up to date through a cut.
  std::vector<double> length;
  ExactSum perimeter;
  bool lengthsKept = false;
  // The row bounds of the last search hold from row rowsFrom on (-1: none)
  // for that grid.
  int64_t rowsFrom = -1, rowsHigh = 0;
  double rowsCell = 0, rowsMinY = 0;
  // The bounding box, kept through a cut that removes none of its extremes.
  bool boxKept = false;
  SegmentBounds box{};
  // After a cut: where the last search left off, in coordinates (NaN when
  // unknown): no pair of segments crossed whose higher box bottom lay below
  // clearBelow, nor one whose higher box bottom lay below clearBelowNext and
  // whose further box left side lay left of clearLeft. Also the two segments
  // the cut made.
  bool resume = false;
  double clearBelow = 0, clearBelowNext = 0, clearLeft = 0;
  int64_t newSeg[2] = {0, 0};
  // Where the last crossing's cell ends on the right.
  double clearRight = 0;
  // What the last few searches passed, oldest first.
  std::vector<PassedPairs> passed;
  // The grid of the last search (and whether the box's side set its cell)
  // and the cell of its crossing.
  bool sideSetCell = false;
  CrossingGrid foundGrid{};
  int64_t foundRow = 0, foundCol = 0;
  // Rows the last search went through, from its first to its crossing's.
  int64_t lastRowsScanned = 0;
  // The segments of the crowded cell swept last that met none of the
  // others (ascending), kept through a cut that leaves them as they were:
  // a later cell needs the sweep's tests only for its other segments.
  std::vector<int64_t> coverCold;
  bool coverKept = false;
  // Segments of the crowded cells whose sweep left few that meet (pairs
  // apart in a crowd), all told.
  int64_t sweptEntries = 0;
  // The shoelace terms of the part a cut drops.
  std::vector<double> terms;
};

// The crossing a plain walk over the ring's grid meets first: 1 with the two
// segments i < j and the point, 0 when there is none. Resumes where the
// last search left off when `work` says so.
int64_t FindCrossing(CrossingSearch& work, const double* x, const double* y, int64_t n, int64_t& i, int64_t& j,
                     OutlinePoint& crossing);
// Every crossing pair of the ring, each once; false when there are too many
// pairs to test or segments cover too many cells, or the grid moves with
// every cut.
bool CollectCrossings(const double* x, const double* y, int64_t n, std::vector<CrossingPair>& pairs,
                      RingLengths known = {nullptr, nullptr});

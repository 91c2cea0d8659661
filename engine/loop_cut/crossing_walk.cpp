#include "engine/loop_cut/crossing_walk.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "engine/key_sort.h"
#include "engine/loop_cut/crossing_cell.h"
#include "engine/loop_cut/crowded_cells.h"
#include "engine/loop_cut/loop_cut.h"

// The crossing search must report the same crossing as a plain walk over a
// uniform grid: cells in index order (row by row), and within a cell the
// pairs of its segments in increasing index order. That answer is the pair
// with the smallest (first shared cell, lower index, higher index). Rows are
// filled one at a time, so the walk stops at the first row with a crossing.
// A crossing pair is met in the cell of the higher of its box bottoms and
// the further of its box left sides, whatever the grid; so after a cut the
// walk starts again at the row of the last crossing, and tests there only
// pairs that were not below it, or that have a segment the cut made.

using namespace crossing_cell;

namespace {

// Rows bucketed first when a search resumes after a cut.
constexpr int64_t FIRST_ROWS_BUCKETED = 8;
// Collecting every crossing, the cell is this many mean segment lengths (at
// least the box's larger side / COLLECT_MOST_DIVISIONS, at most the walk's
// cell), made coarser while the segments' boxes would cover more than
// COLLECT_MOST_ENTRIES cells each.
constexpr double COLLECT_CELL_LENGTHS = 3;
constexpr double COLLECT_MOST_DIVISIONS = 16384;
constexpr int64_t COLLECT_MOST_ENTRIES = 4;

// Last row and columns of segment k.
void ActivateSegment(CrossingSearch& work, const CrossingGrid& grid, const RingArrays& ring, int64_t k) {
  SegmentBounds b = BoxOf(ring, k);
  work.cy1[k] = static_cast<int32_t>(std::min(GridCell(grid, b.y1, grid.minY), grid.gy - 1));
  work.cx0[k] = static_cast<int32_t>(GridCell(grid, b.x0, grid.minX));
  work.cx1[k] = static_cast<int32_t>(std::min(GridCell(grid, b.x1, grid.minX), grid.gx - 1));
}

// low[r] = the smallest y whose row is r (or more), for r = from .. gy, with
// low[0] = -inf and low[gy] = +inf; the rows below `from` are not searched
// and get NaN. Rows grow with y, so a value v lies in row r exactly when
// low[r] <= v < low[r + 1]. Returns false when a bound could not be pinned
// down.
bool RowBounds(const CrossingGrid& grid, int64_t from, std::vector<double>& low) {
  constexpr double INF = std::numeric_limits<double>::infinity();
  low.assign(static_cast<size_t>(grid.gy) + 1, INF);
  std::fill(low.begin(), low.begin() + from, std::numeric_limits<double>::quiet_NaN());
  low[0] = -INF;
  for (int64_t r = std::max<int64_t>(from, 1); r < grid.gy; ++r) {
    low[r] = LowestOfCell(grid, grid.minY, r);
    if (std::isnan(low[r])) return false;
  }
  return true;
}


// The points' bounding box; a coordinate that is NaN is passed over unless
// it is the first point's.
SegmentBounds RingBox(const double* x, const double* y, int64_t n) {
  SegmentBounds box{x[0], x[0], y[0], y[0]};
  int64_t k = 0;
#ifdef __SSE2__
  // Two lanes, even and odd points; min(v, m) keeps m on NaN and on ties,
  // as the comparisons below do.
  __m128d x0 = _mm_set1_pd(x[0]), x1 = x0, y0 = _mm_set1_pd(y[0]), y1 = y0;
  for (; k + 2 <= n; k += 2) {
    const __m128d vx = _mm_loadu_pd(x + k), vy = _mm_loadu_pd(y + k);
    x0 = _mm_min_pd(vx, x0);
    x1 = _mm_max_pd(vx, x1);
    y0 = _mm_min_pd(vy, y0);
    y1 = _mm_max_pd(vy, y1);
  }
  double lanes[2];
  auto fold = [&lanes](__m128d v, bool low) {
    _mm_storeu_pd(lanes, v);
    return low ? (lanes[1] < lanes[0] ? lanes[1] : lanes[0]) : (lanes[1] > lanes[0] ? lanes[1] : lanes[0]);
  };
  box = SegmentBounds{fold(x0, true), fold(x1, false), fold(y0, true), fold(y1, false)};
#endif
  for (; k < n; ++k) {
    if (x[k] < box.x0) box.x0 = x[k];
    if (x[k] > box.x1) box.x1 = x[k];
    if (y[k] < box.y0) box.y0 = y[k];
    if (y[k] > box.y1) box.y1 = y[k];
  }
  return box;
}

// Step 1, box and lengths: the bounding box of the ring and the grid's cell
// side, the larger of twice the mean segment length and the box's larger
// side / 1024. False when the ring gives no usable grid.
bool MeasureRing(CrossingSearch& work, const double* x, const double* y, int64_t n, CrossingGrid& grid) {
  SegmentBounds& box = work.box;
  if (!work.boxKept) box = RingBox(x, y, n);
  work.boxKept = false;
  if (!work.lengthsKept) {
    work.length.resize(static_cast<size_t>(n));
    MeasureLengths(x, y, n, work.length.data());
    ClearExactSum(work.perimeter);
    AddAllToExactSum(work.perimeter, work.length.data(), static_cast<size_t>(n));
  }
  work.lengthsKept = false;
  return MakeCrossingGrid(box, RoundedExactSum(work.perimeter), n, grid, work.sideSetCell);
}

// Step 2, grid: the lowest value of each row from firstRow on (firstRow
// becomes 0 when they cannot be pinned down).
void PlaceRows(CrossingSearch& work, const CrossingGrid& grid, int64_t& firstRow) {
  const double cell = grid.cell, minY = grid.minY;
  const int64_t gy = grid.gy;
  // Lowest value of each row, so that most segments find their row by two
  // comparisons with the row of the segment before.
  // They depend on the grid's side, bottom and height only, which stay the
  // same while the ring's extent sets the cell.
  bool rowsKept = work.rowsFrom >= 0 && firstRow >= work.rowsFrom && cell == work.rowsCell && minY == work.rowsMinY &&
                  gy == work.rowsHigh;
  if (rowsKept || RowBounds(grid, firstRow, work.rowLow)) {
    if (!rowsKept) {
      work.rowsFrom = firstRow;
      work.rowsCell = cell;
      work.rowsMinY = minY;
      work.rowsHigh = gy;
    }
  } else {
    work.rowsFrom = -1;
    // Every row then comes from its own division.
    work.rowLow.assign(work.rowLow.size(), std::numeric_limits<double>::quiet_NaN());
    work.rowLow[0] = -std::numeric_limits<double>::infinity();
    firstRow = 0;
  }
}

// Step 3, resume position: the first row to search, and in boundRow the row
// of clearBelow (-1 when the search starts afresh).
int64_t ResumeRow(const CrossingSearch& work, const CrossingGrid& grid, const RingArrays& ring, int64_t& boundRow) {
  const int64_t n = ring.n, gy = grid.gy;
  const double* y = ring.y;
  const double minY = grid.minY;
  // A crossing pair is met in the row of the higher of its two box bottoms,
  // and rows grow with y in any grid. Pairs whose box bottoms both lie below
  // the old row of the last crossing did not cross and, apart from those
  // with the two segments the cut made, are still there; so the search can
  // start at the row of that bound.
  int64_t firstRow = 0;
  boundRow = -1;
  if (work.resume && work.clearBelow > minY) {
    firstRow = boundRow = std::min(GridCell(grid, work.clearBelow, minY), gy - 1);
    for (int64_t k : work.newSeg) {
      int64_t k1 = k + 1 == n ? 0 : k + 1;
      firstRow = std::min(firstRow, GridCell(grid, std::min(y[k], y[k1]), minY));
    }
  }

  return firstRow;
}

// Step 3, resume position, within the first row: the first column to search.
int64_t ResumeColumn(const CrossingSearch& work, const CrossingGrid& grid, const RingArrays& ring, int64_t firstRow,
                     int64_t boundRow) {
  const int64_t n = ring.n, gx = grid.gx;
  const double* x = ring.x;
  const double minX = grid.minX;
  // Within the first row, the same holds for the cells left of the column of
  // clearLeft when the row lies wholly below clearBelowNext; the pairs with
  // a new segment lie no further left than that segment.
  int64_t firstCol = 0;
  if (firstRow == boundRow && work.rowLow[firstRow + 1] <= work.clearBelowNext && work.clearLeft > minX) {
    firstCol = std::min(GridCell(grid, work.clearLeft, minX), gx - 1);
    for (int64_t k : work.newSeg) {
      int64_t k1 = k + 1 == n ? 0 : k + 1;
      firstCol = std::min(firstCol, GridCell(grid, std::min(x[k], x[k1]), minX));
    }
  }
  return firstCol;
}

// The first segment from k on (the last, n - 1, at the latest) that reaches
// into [fromLow, toLow) from below or within it (`reaching`), or else that
// starts in it.
int64_t SkipToBand(const double* y, int64_t k, int64_t n, double fromLow, double toLow, bool reaching) {
  auto skip = [&](int64_t s) {
    double low = std::min(y[s], y[s + 1]);
    return reaching ? std::max(y[s], y[s + 1]) < fromLow || low >= toLow : !(low >= fromLow && low < toLow);
  };
#ifdef __SSE2__
  // Two segments a step; max(b, a) and min(b, a) are std::max(a, b) and
  // std::min(a, b), NaN included.
  const __m128d from = _mm_set1_pd(fromLow), to = _mm_set1_pd(toLow);
  for (; k + 2 < n; k += 2) {
    const __m128d a = _mm_loadu_pd(y + k), b = _mm_loadu_pd(y + k + 1);
    const __m128d low = _mm_min_pd(b, a);
    int passed;
    if (reaching)
      passed = _mm_movemask_pd(_mm_or_pd(_mm_cmplt_pd(_mm_max_pd(b, a), from), _mm_cmpge_pd(low, to)));
    else
      passed = 3 & ~_mm_movemask_pd(_mm_and_pd(_mm_cmpge_pd(low, from), _mm_cmplt_pd(low, to)));
    if (passed != 3) return (passed & 1) != 0 ? k + 1 : k;
  }
#endif
  while (k < n - 1 && skip(k)) ++k;
  return k;
}

// Step 4, bucketing: the runs of segments by the row they start in, for
// rows fromRow .. toRow - 1. The first call of a search (fromRow its first
// row) also makes the segments that start below it and reach into it active;
// a later one leaves the active segments to the scan that goes on.
void BucketRuns(CrossingSearch& work, const CrossingGrid& grid, const RingArrays& ring, int64_t fromRow, int64_t toRow,
                bool first) {
  const int64_t n = ring.n, gy = grid.gy;
  const double* y = ring.y;
  const double minY = grid.minY;
  const double fromLow = work.rowLow[fromRow];
  const double toLow = toRow < gy ? work.rowLow[toRow] : std::numeric_limits<double>::infinity();
  // Segments that start in a bucketed row are bucketed by row as runs of
  // consecutive segments, in ring order; those that start below it and reach
  // into it become active at once, in increasing order.
  work.runStart.clear();
  work.runEnd.clear();
  work.runRow.clear();
  if (first) work.active.clear();
  work.rowStart.assign(static_cast<size_t>(gy) + 1, 0);
  // Tight loops over the ring for the common steps: skipping segments that
  // neither start in the rows nor reach into them from below, and extending
  // a run within its row.
  int64_t k = 0, lastRow = -1;
  while (k < n) {
    k = SkipToBand(y, k, n, fromLow, toLow, first);
    int64_t k1 = k + 1 == n ? 0 : k + 1;
    double v = std::min(y[k], y[k1]);
    if (v < fromLow || !(v < toLow)) {
      if (first && v < fromLow && std::max(y[k], y[k1]) >= fromLow) {
        ActivateSegment(work, grid, ring, k);
        work.active.push_back(k);
      }
      ++k;
      continue;
    }
    // A run mostly starts in a row next to the one before.
    int64_t row = -1;
    if (lastRow >= 0 && lastRow + 2 <= gy && v >= work.rowLow[lastRow + 1] && v < work.rowLow[lastRow + 2])
      row = lastRow + 1;
    else if (lastRow > 0 && v >= work.rowLow[lastRow - 1] && v < work.rowLow[lastRow])
      row = lastRow - 1;
    else
      row = GridCell(grid, v, minY);
    lastRow = row;
    double low = work.rowLow[row], high = work.rowLow[row + 1];
    int64_t end = k + 1;
    while (end < n - 1) {
      double u = std::min(y[end], y[end + 1]);
      if (!(u >= low && u < high)) break;
      ++end;
    }
    if (end == n - 1) {
      double u = std::min(y[end], y[0]);
      if (u >= low && u < high) ++end;
    }
    work.runStart.push_back(k);
    work.runEnd.push_back(end);
    work.runRow.push_back(row);
    ++work.rowStart[row + 1];
    k = end;
  }
  for (int64_t r = 0; r < gy; ++r) work.rowStart[r + 1] += work.rowStart[r];
  // Stable fill: each row's runs stay in ring order.
  work.rowRuns.resize(work.runRow.size());
  {
    std::vector<int64_t>& next = work.nextActive;
    next.assign(work.rowStart.begin(), work.rowStart.end() - 1);
    for (size_t run = 0; run < work.runRow.size(); ++run) work.rowRuns[next[work.runRow[run]]++] = run;
  }

}

// Where the scan starts, and from which box bottom a segment is hot: in the
// first row only pairs with a hot segment (a new one, or one whose box
// bottom is not below hotFrom) need a test when someCold holds.
struct ScanStart {
  int64_t row = 0, col = 0;
  // The rows bucketed for this part of the scan.
  int64_t from = 0, to = 0;
  bool someCold = false;
  double hotFrom = 0;
};

// The first crossing pair of a cell by the walk, the hot pairs or the
// sweep, whichever costs least.
CellOutcome SearchCell(const RingArrays& ring, CrossingSearch& work, const ScanStart& start, const int64_t* segs,
                       size_t size, PairResult& found) {
  const int64_t n = ring.n;
  const double* y = ring.y;
  if (start.someCold) {
    work.hotAt.clear();
    for (size_t a = 0; a < size; ++a) {
      int64_t k = segs[a], k1 = k + 1 == n ? 0 : k + 1;
      if (k == work.newSeg[0] || k == work.newSeg[1] || std::min(y[k], y[k1]) >= start.hotFrom)
        work.hotAt.push_back(a);
    }
  }
  // With many hot segments the pairs of the whole cell cost less. A
  // crowded cell is mostly that of the last crossing again, whose
  // sweep left segments of which no pair crosses.
  if ((start.someCold && work.hotAt.size() < size && work.hotAt.size() <= WALK_BUDGET_PER_ENTRY) ||
      (size > SWEEP_MIN_ENTRIES && HotBesideCover(work, segs, size)))
    return FindHotPair(ring, segs, size, work.hotAt, found) ? CellOutcome::FOUND : CellOutcome::NONE;
  if (LabelChains(ring.x, ring.y, ring.n, segs, size, work.chain) < 2) return CellOutcome::NONE;
  // In a tangled cell the walk meets a crossing early; where it does
  // not, the sweep finds the lowest one.
  size_t budget = size > SWEEP_MIN_ENTRIES ? WALK_BUDGET_PER_ENTRY * size : size * size;
  CellOutcome outcome = WalkCellPairs(ring, work, segs, size, budget, found);
  if (outcome == CellOutcome::GAVE_UP) outcome = CrowdedCellPair(ring, work, segs, size, found);
  return outcome;
}

// The first crossing pair of a cell whose lower segment lies before
// position `split`, where the segments there are all below passed.before:
// of those pairs only the ones with a fresh segment (made since, or with
// its box bottom or left side past the passed region) can cross. GAVE_UP
// where the fresh ones are too many.
CellOutcome FreshPairBefore(const RingArrays& ring, CrossingSearch& work, const PassedPairs& passed,
                            const int64_t* segs, size_t m, size_t split, PairResult& found) {
  work.hotAt.clear();
  for (int64_t k : passed.made) {
    const int64_t* at = std::lower_bound(segs, segs + m, k);
    if (at != segs + m && *at == k) work.hotAt.push_back(static_cast<size_t>(at - segs));
  }
  for (size_t a = 0; a < m; ++a) {
    const SegmentBounds b = BoxOf(ring, segs[a]);
    if (b.y0 >= passed.above || b.x0 >= passed.right) {
      work.hotAt.push_back(a);
      if (work.hotAt.size() > WALK_BUDGET_PER_ENTRY + passed.made.size()) return CellOutcome::GAVE_UP;
    }
  }
  std::sort(work.hotAt.begin(), work.hotAt.end());
  work.hotAt.erase(std::unique(work.hotAt.begin(), work.hotAt.end()), work.hotAt.end());
  return FindHotPair(ring, segs, m, work.hotAt, found, split) ? CellOutcome::FOUND : CellOutcome::NONE;
}

// Step 5, scan: the rows from the first on, cell by cell, up to the first
// cell with a crossing.
int64_t ScanRows(CrossingSearch& work, const CrossingGrid& grid, const RingArrays& ring, const ScanStart& start,
                 int64_t& i, int64_t& j, OutlinePoint& crossing) {
  const int64_t gx = grid.gx, firstRow = start.row, firstCol = start.col;
  const double minX = grid.minX;
  // Counts are kept at zero between rows.
  work.cellCount.assign(static_cast<size_t>(gx), 0);
  work.cellStart.resize(static_cast<size_t>(gx));
  for (int64_t r = start.from; r < start.to; ++r) {
    // Active segments of this row, in increasing order: those still spanning
    // it merged with those that start in it.
    work.fresh.clear();
    for (int64_t q = work.rowStart[r]; q < work.rowStart[r + 1]; ++q) {
      size_t run = static_cast<size_t>(work.rowRuns[q]);
      for (int64_t k = work.runStart[run]; k < work.runEnd[run]; ++k) {
        ActivateSegment(work, grid, ring, k);
        work.fresh.push_back(k);
      }
    }
    work.nextActive.clear();
    size_t a = 0, f = 0;
    while (a < work.active.size() || f < work.fresh.size()) {
      int64_t k;
      if (f == work.fresh.size() || (a < work.active.size() && work.active[a] < work.fresh[f]))
        k = work.active[a++];
      else
        k = work.fresh[f++];
      if (work.cy1[k] >= r) work.nextActive.push_back(k);
    }
    work.active.swap(work.nextActive);
    if (work.active.size() < 2) continue;

    // Only the cells this row touches are counted, laid out and cleared.
    work.touched.clear();
    size_t entries = 0;
    for (int64_t k : work.active) {
      for (int64_t c = work.cx0[k]; c <= work.cx1[k]; ++c)
        if (work.cellCount[c]++ == 0) work.touched.push_back(c);
      entries += static_cast<size_t>(work.cx1[k] - work.cx0[k] + 1);
    }
    std::sort(work.touched.begin(), work.touched.end());
    int64_t offset = 0;
    for (int64_t c : work.touched) {
      work.cellStart[c] = offset;
      offset += work.cellCount[c];
    }
    work.cellSegs.resize(entries);
    for (int64_t k : work.active)
      for (int64_t c = work.cx0[k]; c <= work.cx1[k]; ++c) work.cellSegs[work.cellStart[c]++] = k;

    for (int64_t c : work.touched) {
      int64_t m = work.cellCount[c];
      work.cellCount[c] = 0;
      if (m < 2 || (r == firstRow && c < firstCol)) continue;
      // The fill left each start at the end of its block.
      const int64_t* segs = work.cellSegs.data() + (work.cellStart[c] - m);
      PairResult found;
      size_t size = static_cast<size_t>(m);
      CellOutcome outcome = CellOutcome::NONE;
      // The pairs an earlier search passed come first in the cell (its
      // segments are in increasing order): only those with a fresh segment
      // are tested, then the rest of the cell is searched alone.
      size_t split = 0;
      for (size_t q = work.passed.size(); q-- > 0 && split == 0;) {
        const PassedPairs& passed = work.passed[q];
        if (passed.before <= segs[0]) continue;
        size_t at = static_cast<size_t>(std::lower_bound(segs, segs + size, passed.before) - segs);
        if (at <= SWEEP_MIN_ENTRIES) continue;
        outcome = FreshPairBefore(ring, work, passed, segs, size, at, found);
        if (outcome == CellOutcome::GAVE_UP)
          outcome = CellOutcome::NONE;
        else
          split = at;
      }
      if (outcome == CellOutcome::NONE && size - split >= 2)
        outcome = SearchCell(ring, work, start, segs + split, size - split, found);
      if (outcome == CellOutcome::FOUND) {
        i = found.s1;
        j = found.s2;
        crossing = found.point;
        work.clearBelow = work.rowLow[r];
        work.clearBelowNext = work.rowLow[r + 1];
        work.clearLeft = CellBound(grid, minX, c, gx);
        work.clearRight = CellBound(grid, minX, c + 1, gx);
        work.foundGrid = grid;
        work.foundRow = r;
        work.foundCol = c;
        return 1;
      }
    }
  }
  return 0;
}

// Every cell each segment's box covers, as (cell << 32 | segment), in
// segment order, on a grid of this cell over the box; false when that
// would be more than COLLECT_MOST_ENTRIES per segment.
bool ListCellEntries(const RingArrays& ring, const SegmentBounds& box, double cell, std::vector<uint64_t>& entries) {
  const double inverse = 1 / cell;
  // The same rounding for a box's two sides keeps the cells in order, so
  // boxes that meet share a cell.
  auto index = [inverse](double v, double origin) { return static_cast<int64_t>((v - origin) * inverse); };
  const int64_t gx = index(box.x1, box.x0) + 1;
  const size_t most = static_cast<size_t>(COLLECT_MOST_ENTRIES * ring.n);
  entries.clear();
  for (int64_t k = 0; k < ring.n; ++k) {
    SegmentBounds b = BoxOf(ring, k);
    const int64_t c0 = index(b.x0, box.x0), c1 = index(b.x1, box.x0);
    const int64_t r0 = index(b.y0, box.y0), r1 = index(b.y1, box.y0);
    if (static_cast<size_t>((c1 - c0 + 1) * (r1 - r0 + 1)) > most - entries.size()) return false;
    for (int64_t r = r0; r <= r1; ++r)
      for (int64_t c = c0; c <= c1; ++c)
        entries.push_back(static_cast<uint64_t>(r * gx + c) << 32 | static_cast<uint64_t>(k));
  }
  return true;
}

}  // namespace

int64_t FindCrossing(CrossingSearch& work, const double* x, const double* y, int64_t n, int64_t& i, int64_t& j,
                     OutlinePoint& crossing) {
  if (n < 2) return 0;
  ScanStart start;
  // Only the walk's own cuts carry the cover; any other change of the ring
  // drops it.
  if (!work.coverKept) work.coverCold.clear();
  work.coverKept = false;
  CrossingGrid grid;
  if (!MeasureRing(work, x, y, n, grid)) return 0;
  RingArrays ring{x, y, n};
  int64_t boundRow = -1;
  start.row = ResumeRow(work, grid, ring, boundRow);
  size_t count = static_cast<size_t>(n);
  work.cy1.resize(count);
  work.cx0.resize(count);
  work.cx1.resize(count);
  PlaceRows(work, grid, start.row);
  start.col = ResumeColumn(work, grid, ring, start.row, boundRow);
  start.someCold = boundRow >= 0;
  start.hotFrom = work.clearBelow;
  work.resume = false;
  // A search resumed after a cut mostly ends as few rows on as the last
  // one did: the rows are bucketed a few at a time, four times as many each
  // time, instead of all of them (where their bounds are known).
  start.from = start.row;
  int64_t rows = std::max(FIRST_ROWS_BUCKETED, 2 * work.lastRowsScanned);
  start.to = boundRow >= 0 && work.rowsFrom >= 0 ? std::min(grid.gy, start.row + rows) : grid.gy;
  BucketRuns(work, grid, ring, start.from, start.to, true);
  while (true) {
    int64_t found = ScanRows(work, grid, ring, start, i, j, crossing);
    if (found == 1) work.lastRowsScanned = work.foundRow - start.row + 1;
    if (found != 0 || start.to == grid.gy) return found;
    int64_t next = std::min(grid.gy, start.to + 4 * (start.to - start.row));
    BucketRuns(work, grid, ring, start.to, next, false);
    start.from = start.to;
    start.to = next;
  }
}

bool CollectCrossings(const double* x, const double* y, int64_t n, std::vector<CrossingPair>& pairs,
                      RingLengths known) {
  pairs.clear();
  // Segments are numbered in 32 bits below.
  if (n >= (int64_t{1} << 31)) return false;
  CrossingSearch work;
  // The grid needs the lengths' sum alone.
  if (known.sum) {
    work.perimeter = *known.sum;
    work.lengthsKept = true;
  }
  CrossingGrid grid;
  if (!MeasureRing(work, x, y, n, grid)) return true;
  // Only where the box's side sets the cell does the grid stay from cut to
  // cut (while the box does), so that the pairs keep their order; where the
  // mean length sets it, every cut moves the grid and the walk costs less.
  if (!work.sideSetCell) return false;
  // Any grid meets every crossing pair in some cell; the walk's is coarse
  // here (the ring is dense), so its cells hold many pairs that are apart.
  const double side = std::max(work.box.x1 - work.box.x0, work.box.y1 - work.box.y0);
  const double mean = RoundedExactSum(work.perimeter) / static_cast<double>(n);
  double cell = std::min(grid.cell, std::max(COLLECT_CELL_LENGTHS * mean, side / COLLECT_MOST_DIVISIONS));
  const RingArrays ring{x, y, n};
  std::vector<uint64_t>& entries = work.entries;
  while (!ListCellEntries(ring, work.box, cell, entries)) {
    // Too many cells per segment: coarser, up to the walk's own grid.
    if (cell >= grid.cell) return false;
    cell = std::min(2 * cell, grid.cell);
  }
  // By cell, keeping the segment order within a cell.
  RadixSortBy(entries, work.sortSpace, [](uint64_t e) { return e >> 32; });
  work.collectBudget = 16 * n + (int64_t{1} << 20);
  std::vector<int8_t> advance;
  MeasureAdvances(x, y, n, advance);
  std::vector<int64_t>& segs = work.cellSegs;
  for (size_t a = 0; a < entries.size();) {
    const uint64_t id = entries[a] >> 32;
    size_t b = a + 1;
    while (b < entries.size() && entries[b] >> 32 == id) ++b;
    // Two neighbours on the ring alone in a cell cannot cross.
    const bool neighbours = b - a == 2 && (entries[a] & 0xffffffffu) + 1 == (entries[a + 1] & 0xffffffffu);
    if (b - a >= 2 && !neighbours) {
      segs.clear();
      for (size_t q = a; q < b; ++q) segs.push_back(static_cast<int64_t>(entries[q] & 0xffffffffu));
      if (LabelChains(advance, segs.data(), segs.size(), work.chain) >= 2 &&
          !CollectCellPairs(ring, work, segs.data(), segs.size(), pairs))
        return false;
    }
    a = b;
  }
  // A pair that shares several cells is met in each.
  std::sort(pairs.begin(), pairs.end(), [](const CrossingPair& a, const CrossingPair& b) {
    return a.s1 < b.s1 || (a.s1 == b.s1 && a.s2 < b.s2);
  });
  pairs.erase(std::unique(pairs.begin(), pairs.end(),
                          [](const CrossingPair& a, const CrossingPair& b) { return a.s1 == b.s1 && a.s2 == b.s2; }),
              pairs.end());
  return true;
}

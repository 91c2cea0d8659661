#include "engine/loop_cut.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

// The crossing search must report the same crossing as a plain walk over a
// uniform grid: cells in index order (row by row), and within a cell the
// pairs of its segments in increasing index order. That answer is the pair
// with the smallest (first shared cell, lower index, higher index). Rows are
// filled one at a time, so the walk stops as soon as a row yields a crossing,
// and a crowded cell is searched with a sweep instead of all its pairs.

namespace {

constexpr double PARALLEL_LIMIT = 1e-18;
constexpr double PARAM_LOW = 1e-9;
constexpr double PARAM_HIGH = 0.999999999;
// Cells with more segments than this are swept instead of walked pair by pair.
constexpr size_t SWEEP_MIN_ENTRIES = 24;

struct SegmentBox {
  double x0, x1, y0, y1;
};

struct SweepEntry {
  double lo, hi, lo2, hi2;
  int64_t seg;
};

// Buffers kept across the searches of one removal.
struct CrossingSearch {
  std::vector<SegmentBox> box;
  std::vector<int64_t> cy1, cx0, cx1;
  std::vector<int64_t> runStart, runRow, rowStart, rowRuns;
  std::vector<int64_t> fresh, active, nextActive;
  std::vector<int64_t> cellCount, cellStart, cellSegs, touched;
  std::vector<SweepEntry> sweep;
  std::vector<size_t> sweepActive;
};

struct Ring {
  const double* x;
  const double* y;
  int64_t n;
};

struct PairResult {
  int64_t s1 = std::numeric_limits<int64_t>::max();
  int64_t s2 = std::numeric_limits<int64_t>::max();
  OutlinePoint point;
};

bool Overlaps(const SegmentBox& a, const SegmentBox& b) {
  return a.x0 <= b.x1 && b.x0 <= a.x1 && a.y0 <= b.y1 && b.y0 <= a.y1;
}

// Tests segment s1 against s2 (s1 < s2) unless they are neighbours on the ring.
bool TestPair(const Ring& ring, int64_t s1, int64_t s2, OutlinePoint& point) {
  if (s2 - s1 <= 1 || (s1 == 0 && s2 == ring.n - 1)) return false;
  int64_t e2 = s2 + 1 == ring.n ? 0 : s2 + 1;
  return IntersectSegments(point, ring.x[s1], ring.y[s1], ring.x[s1 + 1], ring.y[s1 + 1], ring.x[s2], ring.y[s2],
                           ring.x[e2], ring.y[e2]) != 0;
}

bool Before(int64_t a1, int64_t a2, const PairResult& best) { return a1 < best.s1 || (a1 == best.s1 && a2 < best.s2); }

// Pairs whose boxes are apart cannot cross; the segment test could only
// claim them through rounding on (nearly) collinear segments, so they are
// never tested.
bool SearchCellPairs(const Ring& ring, const CrossingSearch& work, const int64_t* segs, size_t m, PairResult& found) {
  for (size_t a = 0; a < m; ++a) {
    for (size_t b = a + 1; b < m; ++b) {
      if (!Overlaps(work.box[segs[a]], work.box[segs[b]])) continue;
      OutlinePoint p;
      if (TestPair(ring, segs[a], segs[b], p)) {
        found.s1 = segs[a];
        found.s2 = segs[b];
        found.point = p;
        return true;
      }
    }
  }
  return false;
}

// Finds the lowest crossing pair of a crowded cell by sweeping along the axis
// in which its segments spread most.
bool SweepCell(const Ring& ring, CrossingSearch& work, const int64_t* segs, size_t m, PairResult& found) {
  double spreadX = 0, spreadY = 0, minX = 0, maxX = 0, minY = 0, maxY = 0;
  for (size_t a = 0; a < m; ++a) {
    const SegmentBox& b = work.box[segs[a]];
    spreadX += b.x1 - b.x0;
    spreadY += b.y1 - b.y0;
    if (a == 0 || b.x0 < minX) minX = b.x0;
    if (a == 0 || b.x0 > maxX) maxX = b.x0;
    if (a == 0 || b.y0 < minY) minY = b.y0;
    if (a == 0 || b.y0 > maxY) maxY = b.y0;
  }
  // Spread of the starts against the mean extent; the larger ratio keeps the
  // active list short.
  bool alongX = (maxX - minX) * (spreadY + 1e-300) >= (maxY - minY) * (spreadX + 1e-300);
  work.sweep.clear();
  for (size_t a = 0; a < m; ++a) {
    const SegmentBox& b = work.box[segs[a]];
    if (alongX)
      work.sweep.push_back(SweepEntry{b.x0, b.x1, b.y0, b.y1, segs[a]});
    else
      work.sweep.push_back(SweepEntry{b.y0, b.y1, b.x0, b.x1, segs[a]});
  }
  std::sort(work.sweep.begin(), work.sweep.end(),
            [](const SweepEntry& a, const SweepEntry& b) { return a.lo < b.lo || (a.lo == b.lo && a.seg < b.seg); });
  PairResult best;
  work.sweepActive.clear();
  for (size_t e = 0; e < work.sweep.size(); ++e) {
    const SweepEntry& cur = work.sweep[e];
    size_t kept = 0;
    for (size_t k = 0; k < work.sweepActive.size(); ++k) {
      const SweepEntry& other = work.sweep[work.sweepActive[k]];
      if (other.hi < cur.lo) continue;
      work.sweepActive[kept++] = work.sweepActive[k];
      if (other.lo2 > cur.hi2 || cur.lo2 > other.hi2) continue;
      int64_t s1 = std::min(cur.seg, other.seg), s2 = std::max(cur.seg, other.seg);
      if (!Before(s1, s2, best)) continue;
      OutlinePoint p;
      if (TestPair(ring, s1, s2, p)) {
        best.s1 = s1;
        best.s2 = s2;
        best.point = p;
      }
    }
    work.sweepActive.resize(kept);
    work.sweepActive.push_back(e);
  }
  if (best.s1 == std::numeric_limits<int64_t>::max()) return false;
  found = best;
  return true;
}

// The grid of one search. Cell indices are the integer part of the offset
// divided by the cell side; the division is done by a multiplication and
// redone exactly only where the quotient lies close to a whole number, so
// the index is always that of the division.
struct Grid {
  double minX, minY, cell, inverse;
  int64_t gx, gy;
};

int64_t CellOf(const Grid& grid, double v, double origin) {
  double q = (v - origin) * grid.inverse;
  if (!(q < 1e15)) return static_cast<int64_t>((v - origin) / grid.cell);
  int64_t whole = static_cast<int64_t>(q);
  double fraction = q - static_cast<double>(whole);
  if (fraction < 1e-9 || fraction > 1 - 1e-9) return static_cast<int64_t>((v - origin) / grid.cell);
  return whole;
}

int64_t FindCrossing(CrossingSearch& work, const double* x, const double* y, int64_t n, int64_t& i, int64_t& j,
                     OutlinePoint& crossing) {
  if (n < 2) return 0;
  double minX = x[0], maxX = x[0], minY = y[0], maxY = y[0];
  double perimeter = 0;
  for (int64_t k = 0; k < n; ++k) {
    if (x[k] < minX) minX = x[k];
    if (x[k] > maxX) maxX = x[k];
    if (y[k] < minY) minY = y[k];
    if (y[k] > maxY) maxY = y[k];
    int64_t k1 = k + 1 == n ? 0 : k + 1;
    double dx = x[k1] - x[k], dy = y[k1] - y[k];
    perimeter += std::sqrt(dx * dx + dy * dy);
  }
  double w = maxX - minX, h = maxY - minY;
  double cell = MaxF(2 * perimeter / static_cast<double>(n), MaxF(w, h) / static_cast<double>(GRID_DIVISIONS));
  // Non-finite points give no usable grid; such a ring is left as it is.
  if (!(cell > 0) || !std::isfinite(w) || !std::isfinite(h) || std::isnan(perimeter)) return 0;
  Grid grid{minX, minY, cell, 1 / cell, 0, 0};
  grid.gx = static_cast<int64_t>(w / cell) + 1;
  grid.gy = static_cast<int64_t>(h / cell) + 1;
  int64_t gx = grid.gx, gy = grid.gy;

  Ring ring{x, y, n};
  size_t count = static_cast<size_t>(n);
  work.box.resize(count);
  work.cy1.resize(count);
  work.cx0.resize(count);
  work.cx1.resize(count);
  // Consecutive segments mostly start in the same row: they are bucketed by
  // row as runs, in ring order.
  work.runStart.clear();
  work.runRow.clear();
  work.rowStart.assign(static_cast<size_t>(gy) + 1, 0);
  for (int64_t k = 0; k < n; ++k) {
    int64_t k1 = k + 1 == n ? 0 : k + 1;
    int64_t row = CellOf(grid, std::min(y[k], y[k1]), minY);
    if (work.runRow.empty() || work.runRow.back() != row) {
      work.runStart.push_back(k);
      work.runRow.push_back(row);
      ++work.rowStart[row + 1];
    }
  }
  work.runStart.push_back(n);
  for (int64_t r = 0; r < gy; ++r) work.rowStart[r + 1] += work.rowStart[r];
  // Stable fill: each row's runs stay in ring order.
  work.rowRuns.resize(work.runRow.size());
  {
    std::vector<int64_t>& next = work.nextActive;
    next.assign(work.rowStart.begin(), work.rowStart.end() - 1);
    for (size_t run = 0; run < work.runRow.size(); ++run) work.rowRuns[next[work.runRow[run]]++] = run;
  }

  work.active.clear();
  // Counts are kept at zero between rows.
  work.cellCount.assign(static_cast<size_t>(gx), 0);
  work.cellStart.resize(static_cast<size_t>(gx));
  for (int64_t r = 0; r < gy; ++r) {
    // Active segments of this row, in increasing order: those still spanning
    // it merged with those that start in it.
    work.fresh.clear();
    for (int64_t q = work.rowStart[r]; q < work.rowStart[r + 1]; ++q) {
      size_t run = static_cast<size_t>(work.rowRuns[q]);
      for (int64_t k = work.runStart[run]; k < work.runStart[run + 1]; ++k) {
        int64_t k1 = k + 1 == n ? 0 : k + 1;
        SegmentBox& b = work.box[k];
        b.x0 = std::min(x[k], x[k1]);
        b.x1 = std::max(x[k], x[k1]);
        b.y0 = std::min(y[k], y[k1]);
        b.y1 = std::max(y[k], y[k1]);
        work.cy1[k] = std::min(CellOf(grid, b.y1, minY), gy - 1);
        work.cx0[k] = CellOf(grid, b.x0, minX);
        work.cx1[k] = std::min(CellOf(grid, b.x1, minX), gx - 1);
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
      if (m < 2) continue;
      // The fill left each start at the end of its block.
      const int64_t* segs = work.cellSegs.data() + (work.cellStart[c] - m);
      PairResult found;
      size_t size = static_cast<size_t>(m);
      if (size > SWEEP_MIN_ENTRIES ? SweepCell(ring, work, segs, size, found)
                                   : SearchCellPairs(ring, work, segs, size, found)) {
        i = found.s1;
        j = found.s2;
        crossing = found.point;
        return 1;
      }
    }
  }
  return 0;
}

}  // namespace

int64_t IntersectSegments(OutlinePoint& point, double ax, double ay, double bx, double by, double cx, double cy,
                          double dx, double dy) {
  double rx = bx - ax, ry = by - ay;
  double sx = dx - cx, sy = dy - cy;
  double den = rx * sy - ry * sx;
  if (std::fabs(den) < PARALLEL_LIMIT) return 0;
  double t = ((cx - ax) * sy - (cy - ay) * sx) / den;
  double u = ((cx - ax) * ry - (cy - ay) * rx) / den;
  if (t > PARAM_LOW && t < PARAM_HIGH && u > PARAM_LOW && u < PARAM_HIGH) {
    point.x = ax + t * rx;
    point.y = ay + t * ry;
    return 1;
  }
  return 0;
}

int64_t FindSelfIntersection(const double* x, const double* y, int64_t n, int64_t& i, int64_t& j,
                             OutlinePoint& crossing) {
  CrossingSearch work;
  return FindCrossing(work, x, y, n, i, j, crossing);
}

int64_t RemoveSelfIntersections(PointList& points) {
  int64_t n = static_cast<int64_t>(points.size());
  if (n < 4) return 0;
  std::vector<double> x(points.size()), y(points.size());
  for (size_t k = 0; k < points.size(); ++k) {
    x[k] = points[k].x;
    y[k] = points[k].y;
  }
  CrossingSearch work;
  int64_t cuts = 0;
  while (cuts < MAX_LOOP_CUTS && n >= 4) {
    int64_t i = 0, j = 0;
    OutlinePoint p;
    if (!FindCrossing(work, x.data(), y.data(), n, i, j, p)) break;
    int64_t inner = j - i;
    int64_t outer = n - inner;
    if (inner <= outer) {
      // Keep points 0..i, the crossing, then j+1..n-1.
      size_t tail = static_cast<size_t>(n - 1 - j);
      std::memmove(x.data() + i + 2, x.data() + j + 1, tail * sizeof(double));
      std::memmove(y.data() + i + 2, y.data() + j + 1, tail * sizeof(double));
      x[i + 1] = p.x;
      y[i + 1] = p.y;
      n = n - inner + 1;
    } else {
      // Keep the crossing, then points i+1..j.
      std::memmove(x.data() + 1, x.data() + i + 1, static_cast<size_t>(inner) * sizeof(double));
      std::memmove(y.data() + 1, y.data() + i + 1, static_cast<size_t>(inner) * sizeof(double));
      x[0] = p.x;
      y[0] = p.y;
      n = inner + 1;
    }
    ++cuts;
  }
  points.clear();
  for (int64_t k = 0; k < n; ++k) AddListPoint(points, x[k], y[k]);
  return cuts;
}

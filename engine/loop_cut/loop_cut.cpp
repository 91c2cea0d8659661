#include "engine/loop_cut/loop_cut.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "engine/loop_cut/crossing_set.h"
#include "engine/loop_cut/crossing_walk.h"
#include "engine/loop_cut/loop_part.h"
#include "engine/loop_cut/nearby_crossing.h"

namespace {

constexpr double PARALLEL_LIMIT = 1e-18;
constexpr double PARAM_LOW = 1e-9;
constexpr double PARAM_HIGH = 0.999999999;
// Rings of this many points leave the walk after some cuts (a ring with a
// handful of loops is cut faster by the walk alone): where the box's side
// sets the cell, for the crossing set; where the mean segment length sets
// it, for the search near the last cut (also where the set gives up).
constexpr int64_t SWITCH_MIN_POINTS = 1000;
constexpr int64_t NEARBY_AFTER_CUTS = 8;
// The search near the last cut hands back to the walk after this many
// searches in a row that it could not settle.
constexpr int64_t NEARBY_MOST_WALKS = 4;
constexpr int64_t NEARBY_RETRY_CUTS = 64;
constexpr int64_t SET_AFTER_CUTS = 8;
// Where the search near the last cut settles little and the walk has had to
// sweep crowded cells that hold this share of the ring all told, the loops
// lie apart in crowded cells: their crossing pairs are found once, by a
// sweep over the whole ring, instead of by a walk for every cut. So too
// where the walk has swept crowded cells that hold the ring this many times
// over, however much the search near the last cut settled.
constexpr int64_t CROWDED_SHARE = 4;
constexpr int64_t CROWDED_RINGS = 2;

// The walk's lengths where they are those of the ring as it stands.
RingLengths KnownLengths(const CrossingSearch& work) {
  if (!work.lengthsKept) return {nullptr, nullptr};
  return {&work.length, &work.perimeter};
}

// Cuts the remaining loops through the crossing set. False when it gave up
// on the ring; the ring and the count are then those of the cuts made.
bool CutWithCrossingSet(std::vector<double>& x, std::vector<double>& y, int64_t& n, int64_t& cuts,
                        RingLengths known, bool throughSweep, RingArea& area) {
  // The set numbers its slots in 32 bits.
  if (n > (int64_t{1} << 30)) return false;
  std::vector<CrossingPair> pairs;
  if (!throughSweep && !CollectCrossings(x.data(), y.data(), n, pairs, known)) return false;
  CrossingSet set;
  StartCrossingSet(set, x.data(), y.data(), n, pairs, known, &area);
  if (throughSweep && !FindCrossingsThroughSweep(set)) return false;
  bool done = true;
  while (cuts < MAX_LOOP_CUTS && set.n >= 4) {
    int64_t a = 0, b = 0;
    OutlinePoint p;
    int64_t found = FirstCrossing(set, a, b, p);
    if (found <= 0) {
      done = found == 0;
      break;
    }
    ++cuts;
    if (!CutAtCrossing(set, a, b, p)) {
      done = false;
      break;
    }
  }
  ReadRing(set, x, y, n);
  area = set.area;
  return done;
}

// Cuts the remaining loops on a ring of slots: each search is settled near
// the last cut where it can be, and by the walk over the whole ring where it
// cannot (the walk then resumes where the last search left off). False when
// it handed the ring back to the walk on its arrays, as loops that lie apart
// from each other are cut faster there.
bool CutNearLastCuts(std::vector<double>& x, std::vector<double>& y, int64_t& n, int64_t& cuts,
                     CrossingSearch& work, int64_t& settled, RingArea& area) {
  settled = 0;
  CrossingSet set;
  StartCrossingSet(set, x.data(), y.data(), n, {}, KnownLengths(work), &area);
  LastCrossing last;
  std::vector<int64_t> slots;
  int64_t walksInARow = 0;
  // The walk resumes where the last search here left off: before its cell,
  // nothing crossed but pairs with the two segments the cut made.
  auto resumeWalk = [&] {
    const SegmentBounds cell = CellBounds(last.grid, last.row, last.col);
    work.resume = true;
    work.clearBelow = cell.y0;
    work.clearBelowNext = cell.y1;
    work.clearLeft = cell.x0;
    work.newSeg[0] = IndexOfSlot(set, last.made[0]);
    work.newSeg[1] = IndexOfSlot(set, last.made[1]);
  };
  while (cuts < MAX_LOOP_CUTS && set.n >= 4) {
    if (walksInARow == NEARBY_MOST_WALKS) {
      ReadRing(set, x, y, n);
      area = set.area;
      resumeWalk();
      work.boxKept = work.lengthsKept = false;
      work.rowsFrom = -1;
      return false;
    }
    CrossingGrid grid;
    if (!GridOfSet(set, grid)) break;
    int64_t a = 0, b = 0, row = 0, col = 0;
    OutlinePoint p;
    if (NearbyCrossing(set, last, grid, a, b, p, row, col) >= 0) {
      walksInARow = 0;
      ++settled;
    } else {
      ++walksInARow;
      // Until the first cut here, the arrays are the walk's own, and its
      // slots their indices.
      if (last.known) {
        ReadRing(set, x, y, n, &slots);
        resumeWalk();
        // The set keeps the box and the lengths' sum; the walk's lengths are
        // not needed while the set cuts.
        work.box = set.tree[1];
        work.perimeter = set.perimeter;
        work.boxKept = work.lengthsKept = true;
        work.rowsFrom = -1;
      } else {
        slots.resize(static_cast<size_t>(n));
        for (int64_t k = 0; k < n; ++k) slots[k] = k;
      }
      int64_t i = 0, j = 0;
      if (!FindCrossing(work, x.data(), y.data(), n, i, j, p)) break;
      a = slots[i];
      b = slots[j];
      grid = work.foundGrid;
      row = work.foundRow;
      col = work.foundCol;
    }
    last.known = true;
    last.grid = grid;
    last.row = row;
    last.col = col;
    last.keyA = set.key[a];
    last.keyB = set.key[b];
    const int64_t ia = IndexOfSlot(set, a), ib = IndexOfSlot(set, b);
    last.keptOuter = CutRing(set, a, b, p, last.made);
    const SegmentBounds cell = CellBounds(grid, row, col);
    KeepPassedThroughCut(work, ia, ib, last.keptOuter, cell.y1, cell.x1);
    NoteCut(set, last);
    ++cuts;
  }
  ReadRing(set, x, y, n);
  area = set.area;
  return true;
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
  if (points.size() < 4) return 0;
  std::vector<double> x(points.size()), y(points.size());
  for (size_t k = 0; k < points.size(); ++k) {
    x[k] = points[k].x;
    y[k] = points[k].y;
  }
  int64_t cuts = RemoveSelfIntersections(x, y);
  points.clear();
  for (size_t k = 0; k < x.size(); ++k) AddListPoint(points, x[k], y[k]);
  return cuts;
}

int64_t RemoveSelfIntersections(std::vector<double>& x, std::vector<double>& y) {
  int64_t n = static_cast<int64_t>(x.size());
  if (n < 4) return 0;
  CrossingSearch work;
  int64_t cuts = 0, nearbyAt = NEARBY_AFTER_CUTS, retryAfter = NEARBY_RETRY_CUTS, settled = 0;
  bool sweepTried = false;
  // The shoelace terms of the ring, summed once a cut needs them.
  RingArea area;
  bool areaKnown = false;
  std::vector<double> terms;
  auto knowArea = [&] {
    if (!areaKnown) StartRingArea(area, x.data(), y.data(), n);
    areaKnown = true;
  };
  // Loops that lie apart from each other go back to the walk; the search
  // near the cut tries again later, the later the less it settled.
  auto retryLater = [&] {
    retryAfter = settled >= NEARBY_RETRY_CUTS / 4 ? NEARBY_RETRY_CUTS : 2 * retryAfter;
    nearbyAt = cuts + retryAfter;
  };
  while (cuts < MAX_LOOP_CUTS && n >= 4) {
    if (cuts >= nearbyAt && n >= SWITCH_MIN_POINTS && !work.sideSetCell) {
      knowArea();
      if (CutNearLastCuts(x, y, n, cuts, work, settled, area)) break;
      if (!sweepTried && ((settled < NEARBY_RETRY_CUTS / 4 && work.sweptEntries * CROWDED_SHARE >= n) ||
                          work.sweptEntries >= CROWDED_RINGS * n)) {
        sweepTried = true;
        int64_t before = cuts;
        if (CutWithCrossingSet(x, y, n, cuts, KnownLengths(work), true, area)) break;
        if (cuts != before) work = CrossingSearch{};
      }
      retryLater();
      continue;
    }
    if (cuts == SET_AFTER_CUTS && n >= SWITCH_MIN_POINTS) {
      int64_t before = cuts;
      knowArea();
      if (CutWithCrossingSet(x, y, n, cuts, KnownLengths(work), false, area)) break;
      // The ring as the set left it.
      if (cuts != before) work = CrossingSearch{};
      if (CutNearLastCuts(x, y, n, cuts, work, settled, area)) break;
      retryLater();
      continue;
    }
    int64_t i = 0, j = 0;
    OutlinePoint p;
    if (!FindCrossing(work, x.data(), y.data(), n, i, j, p)) break;
    int64_t inner = j - i;
    int64_t outer = n - inner;
    const int64_t j1 = j + 1 == n ? 0 : j + 1;
    knowArea();
    terms.clear();
    if (inner <= outer) AppendShoelaceTerms(x.data(), y.data(), n, i + 1, inner - 1, terms);
    else AppendShoelaceTerms(x.data(), y.data(), n, j1, outer - 1, terms);
    const bool keepOuter = KeepOuterPart(area, terms, inner <= outer,
                                         CutEnds{{x[i], y[i]}, {x[i + 1], y[i + 1]}, {x[j], y[j]}, {x[j1], y[j1]}, p});
    // The box stays unless a removed point lay on it; the crossing is added
    // as the full pass would.
    auto onBox = [&](int64_t from, int64_t to) {
      for (int64_t k = from; k < to; ++k)
        if (x[k] == work.box.x0 || x[k] == work.box.x1 || y[k] == work.box.y0 || y[k] == work.box.y1) return true;
      return false;
    };
    bool keepBox = keepOuter ? !onBox(i + 1, j + 1) : !onBox(0, i + 1) && !onBox(j + 1, n);
    if (keepBox) work.box = SegmentBounds{std::min(work.box.x0, p.x), std::max(work.box.x1, p.x),
                                       std::min(work.box.y0, p.y), std::max(work.box.y1, p.y)};
    work.boxKept = keepBox;
    KeepCoverThroughCut(work, i, j, keepOuter);
    if (keepOuter) {
      TakeAllFromExactSum(work.perimeter, work.length.data() + i, static_cast<size_t>(j - i + 1));
      // Keep points 0..i, the crossing, then j+1..n-1.
      size_t tail = static_cast<size_t>(n - 1 - j);
      std::memmove(x.data() + i + 2, x.data() + j + 1, tail * sizeof(double));
      std::memmove(y.data() + i + 2, y.data() + j + 1, tail * sizeof(double));
      std::memmove(work.length.data() + i + 2, work.length.data() + j + 1, tail * sizeof(double));
      x[i + 1] = p.x;
      y[i + 1] = p.y;
      n = n - inner + 1;
      work.newSeg[0] = i;
      work.newSeg[1] = i + 1;
    } else {
      // Keep the crossing, then points i+1..j.
      TakeAllFromExactSum(work.perimeter, work.length.data(), static_cast<size_t>(i + 1));
      TakeAllFromExactSum(work.perimeter, work.length.data() + j, static_cast<size_t>(n - j));
      std::memmove(x.data() + 1, x.data() + i + 1, static_cast<size_t>(inner) * sizeof(double));
      std::memmove(y.data() + 1, y.data() + i + 1, static_cast<size_t>(inner) * sizeof(double));
      std::memmove(work.length.data() + 1, work.length.data() + i + 1,
                   static_cast<size_t>(inner - 1) * sizeof(double));
      x[0] = p.x;
      y[0] = p.y;
      n = inner + 1;
      work.newSeg[0] = 0;
      work.newSeg[1] = n - 1;
    }
    for (int64_t k : work.newSeg) {
      work.length[k] = SegmentLength(x.data(), y.data(), n, k);
      AddToExactSum(work.perimeter, work.length[k]);
    }
    // The other segments keep their ends, so their lengths stay as they were.
    work.lengthsKept = true;
    work.resume = true;
    ++cuts;
  }
  x.resize(static_cast<size_t>(n));
  y.resize(static_cast<size_t>(n));
  return cuts;
}

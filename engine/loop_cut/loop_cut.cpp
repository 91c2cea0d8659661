// RemoveSelfIntersections chooses among the routes to the next crossing;
// engine/loop_cut/README.md maps them, when each hands over, and the words.
#include "engine/loop_cut/loop_cut.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <limits>
#include <vector>

#include "engine/loop_cut/crossing_set.h"
#include "engine/loop_cut/crossing_walk.h"
#include "engine/loop_cut/loop_cut_routes.h"
#include "engine/loop_cut/loop_part.h"
#include "engine/loop_cut/nearby_crossing.h"
#include "engine/loop_cut/walk_cut.h"

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
  const int64_t first = cuts;
  while (cuts < MAX_LOOP_CUTS && set.n >= 4) {
    if (cuts - first == gLoopCutRoutes.setGivesUpAfter) {
      done = false;
      break;
    }
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
  StartCrossingSet(set, x.data(), y.data(), n, {}, WalkLengths(work), &area);
  LastCrossing last;
  std::vector<int64_t> slots;
  int64_t walksInARow = 0;
  // The walk resumes where the last search here left off: before its cell,
  // nothing crossed but pairs with the two segments the cut made.
  auto resumeWalk = [&] {
    ResumeWalkAfterSetCut(work, CellBounds(last.grid, last.row, last.col), IndexOfSlot(set, last.made[0]),
                          IndexOfSlot(set, last.made[1]));
  };
  while (cuts < MAX_LOOP_CUTS && set.n >= 4) {
    if (walksInARow == NEARBY_MOST_WALKS) {
      ReadRing(set, x, y, n);
      area = set.area;
      resumeWalk();
      ForgetWalkRing(work);
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
        TakeRingFromSet(work, set.tree[1], set.perimeter);
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

// The ring as the loop cut goes, and when the routes are tried next.
struct LoopCut {
  LoopCut(std::vector<double>& xs, std::vector<double>& ys) : x(xs), y(ys), n(static_cast<int64_t>(xs.size())) {}
  std::vector<double>& x;
  std::vector<double>& y;
  int64_t n = 0, cuts = 0;
  CrossingSearch work;
  // The shoelace terms of the ring, summed once a cut needs them.
  RingArea area;
  bool areaKnown = false;
  int64_t nearbyAt = NEARBY_AFTER_CUTS, retryAfter = NEARBY_RETRY_CUTS, settled = 0;
  bool sweepTried = false;
  int64_t setAt = SET_AFTER_CUTS, minPoints = SWITCH_MIN_POINTS;
};

void KnowArea(LoopCut& c) {
  if (!c.areaKnown) StartRingArea(c.area, c.x.data(), c.y.data(), c.n);
  c.areaKnown = true;
}

// Loops that lie apart from each other go back to the walk; the search
// near the cut tries again later, the later the less it settled.
void RetryLater(LoopCut& c) {
  c.retryAfter = c.settled >= NEARBY_RETRY_CUTS / 4 ? NEARBY_RETRY_CUTS : 2 * c.retryAfter;
  c.nearbyAt = c.cuts + c.retryAfter;
}

// The crossing set cuts what it can; true when the ring is done.
bool CutBySet(LoopCut& c, bool throughSweep) {
  const int64_t before = c.cuts;
  KnowArea(c);
  if (CutWithCrossingSet(c.x, c.y, c.n, c.cuts, WalkLengths(c.work), throughSweep, c.area)) return true;
  // The ring as the set left it.
  if (c.cuts != before) ForgetWalkCaches(c.work);
  return false;
}

// The search near the last cuts; where it settled little and the walk has
// swept much, once the set filled through a sweep.
bool CutNearby(LoopCut& c) {
  KnowArea(c);
  if (CutNearLastCuts(c.x, c.y, c.n, c.cuts, c.work, c.settled, c.area)) return true;
  const int64_t swept = c.work.sweptEntries;
  if (!c.sweepTried && ((c.settled < NEARBY_RETRY_CUTS / 4 && swept * CROWDED_SHARE >= c.n) ||
                        swept >= CROWDED_RINGS * c.n)) {
    c.sweepTried = true;
    if (CutBySet(c, true)) return true;
  }
  RetryLater(c);
  return false;
}

// The set filled by collecting every crossing, then the search near the
// last cuts.
bool CutBySetThenNearby(LoopCut& c) {
  if (CutBySet(c, false) || CutNearLastCuts(c.x, c.y, c.n, c.cuts, c.work, c.settled, c.area)) return true;
  RetryLater(c);
  return false;
}

// One cut by the walk; false when the ring crosses itself nowhere.
bool CutByWalk(LoopCut& c) {
  int64_t i = 0, j = 0;
  OutlinePoint p;
  if (!FindCrossing(c.work, c.x.data(), c.y.data(), c.n, i, j, p)) return false;
  KnowArea(c);
  CutWalkRing(c.work, c.x, c.y, c.n, i, j, p, c.area);
  ++c.cuts;
  return true;
}

// The route the tests ask for; true when it left the ring done.
bool StartForcedRoute(LoopCut& c) {
  switch (gLoopCutRoutes.route) {
    case LoopCutRoute::CHOSEN:
      break;
    case LoopCutRoute::WALK:
      c.setAt = -1;
      c.nearbyAt = std::numeric_limits<int64_t>::max();
      break;
    case LoopCutRoute::COLLECTED_SET:
      c.setAt = 0;
      c.minPoints = 4;
      break;
    case LoopCutRoute::NEARBY:
      c.setAt = -1;
      c.nearbyAt = 0;
      c.minPoints = 4;
      break;
    case LoopCutRoute::SWEPT_SET:
      c.sweepTried = true;
      return CutBySet(c, true);
  }
  return false;
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

LoopCutRoutes gLoopCutRoutes;

int64_t RemoveSelfIntersections(std::vector<double>& x, std::vector<double>& y) {
  if (x.size() < 4) return 0;
  LoopCut c(x, y);
  bool done = StartForcedRoute(c);
  // The walk cuts one loop a turn. Large rings move on to the crossing set
  // after a few cuts, and to the search near the last cuts after more;
  // each cuts until the ring is done or hands it back to the walk.
  while (!done && c.cuts < MAX_LOOP_CUTS && c.n >= 4) {
    if (c.cuts >= c.nearbyAt && c.n >= c.minPoints && !c.work.sideSetCell) done = CutNearby(c);
    else if (c.cuts == c.setAt && c.n >= c.minPoints) done = CutBySetThenNearby(c);
    else done = !CutByWalk(c);
  }
  x.resize(static_cast<size_t>(c.n));
  y.resize(static_cast<size_t>(c.n));
  return c.cuts;
}

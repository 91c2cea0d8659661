#include "engine/loop_cut/nearby_crossing.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/loop_cut/crowded_cells.h"
#include "engine/loop_cut/loop_cut.h"

// Why the answer can be settled near the cut. Every crossing pair is first
// met in the cell of its corner Q (the higher of its two box bottoms, the
// further of its two box left sides), and within a cell pairs come in key
// order. The last search found its pair (A, B) in cell c0 of its grid, so no
// pair of segments that are still there and unchanged crossed with Q in a
// cell before c0, or in c0 with keys below (A, B). After the cut, take the
// best pair C with one of the two new segments. A pair of old segments can
// only come before C in the new grid with Q in a cell up to C's in the new
// grid and from c0 on in the old one. The two grids differ slightly, so that
// region is mostly the cell where both overlap, plus thin slivers. Where the
// cut kept the ring's start, the overlap holds nothing before C: its old
// pairs have keys past B, and no living key lies between A and B but the
// new segment's. Otherwise, or without C, the overlap's pairs are walked in
// key order from A on. The slivers are searched through the segments whose
// box bottom (or left side) falls in them.

namespace {

constexpr double INF = std::numeric_limits<double>::infinity();
// Work allowed near the cut, beyond a share of the ring, before the search
// falls back to the walk over the whole ring.
constexpr int64_t BASE_WORK = 20000;
constexpr int64_t RING_SHARE = 4;

struct PairKey {
  int64_t row, col, k1, k2;
};

bool Less(const PairKey& l, const PairKey& r) {
  if (l.row != r.row) return l.row < r.row;
  if (l.col != r.col) return l.col < r.col;
  if (l.k1 != r.k1) return l.k1 < r.k1;
  return l.k2 < r.k2;
}

struct Best {
  bool found = false;
  PairKey key{};
  int64_t a = 0, b = 0;
  OutlinePoint point{};
};

struct Corner {
  double x, y;
};

Corner CornerOf(const SegmentBounds& s, const SegmentBounds& t) { return Corner{std::max(s.x0, t.x0), std::max(s.y0, t.y0)}; }

PairKey KeyIn(const CrossingGrid& grid, const Corner& q, int64_t k1, int64_t k2) {
  return PairKey{GridCell(grid, q.y, grid.minY), GridCell(grid, q.x, grid.minX), k1, k2};
}

// Takes the pair of segments from slots s and t when it crosses and comes
// before the best so far.
void TryPair(const CrossingSet& set, const CrossingGrid& grid, int64_t s, int64_t t, const Corner& q, Best& best) {
  if (s == t || set.next[s] == t || set.next[t] == s) return;
  if (set.key[t] < set.key[s]) std::swap(s, t);
  int64_t s1 = set.next[s], t1 = set.next[t];
  OutlinePoint p;
  auto crosses = [&] {
    return IntersectSegments(p, set.x[s], set.y[s], set.x[s1], set.y[s1], set.x[t], set.y[t], set.x[t1], set.y[t1]) != 0;
  };
  // Before a best pair, most pairs do not cross: the cell only for those that do.
  if (!best.found) {
    if (crosses()) best = Best{true, KeyIn(grid, q, set.key[s], set.key[t]), s, t, p};
    return;
  }
  PairKey key = KeyIn(grid, q, set.key[s], set.key[t]);
  if (Less(key, best.key) && crosses()) best = Best{true, key, s, t, p};
}

// Windows reach this share of a cell beyond the band asked for.
constexpr double WINDOW_MARGIN = 0x1p-8;
constexpr size_t MOST_WINDOWS = 8;
// A window's entries from the latest cuts are merged into its ordered ones
// once they are this many (an insertion each would move the window).
constexpr size_t MOST_RECENT = 64;

double StartOf(const SegmentBounds& b, StartSide side) { return side == StartSide::LEFT ? b.x0 : b.y0; }

// A cell bound that could not be pinned down is NaN; the cells at the
// grid's edges are open (infinite) on that side, which is no such bound.
bool HasUnknownBound(const SegmentBounds& b) {
  return std::isnan(b.x0) || std::isnan(b.x1) || std::isnan(b.y0) || std::isnan(b.y1);
}

bool EntryBefore(const LastCrossing::Entry& e, double v) { return e.value < v; }
bool EntryOrder(const LastCrossing::Entry& l, const LastCrossing::Entry& r) { return l.value < r.value; }

// The living segments whose box left side or bottom lies in [low, high).
void FindStarts(const CrossingSet& set, LastCrossing& last, StartSide side, double low, double high, double cell,
                std::vector<int64_t>& slots, int64_t& work) {
  constexpr SegmentBounds ALL{-INF, INF, -INF, INF};
  if (!std::isfinite(low) || !std::isfinite(high)) {
    FindSegments(set, SegmentQuery{ALL, side, low, high}, slots, work);
    return;
  }
  LastCrossing::Window* found = nullptr;
  for (LastCrossing::Window& w : last.windows)
    if (w.side == side && w.low <= low && high <= w.high) found = &w;
  if (!found) {
    if (last.windows.size() == MOST_WINDOWS) last.windows.erase(last.windows.begin());
    double margin = std::max(high - low, cell * WINDOW_MARGIN);
    last.windows.push_back(LastCrossing::Window{side, low - margin, high + margin, {}, {}});
    found = &last.windows.back();
    std::vector<int64_t>& near = last.partners;
    near.clear();
    FindSegments(set, SegmentQuery{ALL, side, found->low, found->high}, near, work);
    for (int64_t t : near) found->entries.push_back({StartOf(SlotBounds(set, t), side), t, set.version[t]});
    std::sort(found->entries.begin(), found->entries.end(), EntryOrder);
  }
  auto e = std::lower_bound(found->entries.begin(), found->entries.end(), low, EntryBefore);
  for (; e != found->entries.end() && e->value < high; ++e) {
    ++work;
    if (set.version[e->slot] == e->version) slots.push_back(e->slot);
  }
  for (const LastCrossing::Entry& r : found->recent) {
    ++work;
    if (r.value >= low && r.value < high && set.version[r.slot] == r.version) slots.push_back(r.slot);
  }
}

// A crowded core swept as crowded_cells.h says; only the pairs with a hot
// segment are tested, in key order.
template <typename Crosses>
bool SweepCore(const CrossingSet& set, LastCrossing& last, size_t kept, Crosses crosses, int64_t& work,
               int64_t allowed) {
  // The walk would sweep this cell at least once as well.
  work += static_cast<int64_t>(kept);
  if (work > allowed || !FindHotPositions(set.x.data(), set.y.data(), last.anchors.data(), kept,
                                          [&set](int64_t t) { return set.next[t]; }, kept / CORE_HOT_SHARE,
                                          last.meeting, last.hot))
    return false;
  bool overBudget = false;
  VisitPairsWithHot(kept, last.hot, [&](size_t i, size_t j) {
    overBudget = ++work > allowed;
    return overBudget || crosses(i, j);
  });
  return !overBudget;
}

struct Region {
  double x0, x1, y0, y1;
  StartSide side;
};

// The first crossing pair, in key order, of old segments whose corner lies
// in both the old cell (bounds `oldCell`, half open) and the new cell (row,
// col), among those the last search had not passed: keys past A. False when
// that took more work than allowed.
bool WalkCore(const CrossingSet& set, LastCrossing& last, const CrossingGrid& grid, int64_t row, int64_t col,
              const SegmentBounds& oldCell, Best& best, int64_t& work, int64_t allowed) {
  const SegmentBounds cell = CellBounds(grid, row, col);
  if (HasUnknownBound(cell)) return false;
  SegmentBounds core{std::max(oldCell.x0, cell.x0), std::min(oldCell.x1, cell.x1), std::max(oldCell.y0, cell.y0),
                     std::min(oldCell.y1, cell.y1)};
  if (!(core.x0 < core.x1 && core.y0 < core.y1)) return true;
  std::vector<int64_t>& list = last.anchors;
  list.clear();
  FindSegments(set, SegmentQuery{core, StartSide::NONE, 0, 0}, list, work);
  size_t kept = 0;
  for (int64_t t : list)
    if (set.key[t] > last.keyA && t != last.made[0] && t != last.made[1]) list[kept++] = t;
  list.resize(kept);
  std::vector<SegmentBounds>& boxes = last.boxes;
  boxes.resize(kept);
  for (size_t k = 0; k < kept; ++k) boxes[k] = SlotBounds(set, list[k]);
  // The pair (i, j) of the list, when it crosses with its corner in the core.
  auto crosses = [&](size_t i, size_t j) {
    if (!BoundsMeet(boxes[i], boxes[j])) return false;
    Corner c = CornerOf(boxes[i], boxes[j]);
    if (!(c.x >= core.x0 && c.x < core.x1 && c.y >= core.y0 && c.y < core.y1)) return false;
    Best found;
    TryPair(set, grid, list[i], list[j], c, found);
    if (found.found && (!best.found || Less(found.key, best.key))) best = found;
    return found.found;
  };
  // A tangled core meets a crossing early in key order; a crowded one
  // where it does not is swept, and walked on where the sweep gives up.
  const int64_t walkFirst = static_cast<int64_t>(CORE_WALK_PER_SEGMENT * kept);
  bool swept = kept < CORE_SWEEP_MIN;
  int64_t walked = 0;
  for (size_t i = 0; i < kept; ++i) {
    walked += static_cast<int64_t>(kept - i);
    if (!swept && (walked > walkFirst || work + static_cast<int64_t>(kept - i) > allowed)) {
      swept = true;
      int64_t before = work;
      if (SweepCore(set, last, kept, crosses, work, allowed)) return true;
      work = before;
    }
    work += static_cast<int64_t>(kept - i);
    if (work > allowed) return false;
    for (size_t j = i + 1; j < kept; ++j)
      if (crosses(i, j)) return true;
  }
  return true;
}

}  // namespace

int64_t NearbyCrossing(const CrossingSet& set, LastCrossing& last, const CrossingGrid& grid, int64_t& a, int64_t& b,
                       OutlinePoint& point, int64_t& row, int64_t& col) {
  if (!last.known) return -1;
  int64_t work = 0, allowed = BASE_WORK + set.n / RING_SHARE;
  Best best;
  // Pairs with a new segment, anywhere.
  for (int64_t m : last.made) {
    SegmentBounds box = SlotBounds(set, m);
    last.partners.clear();
    FindSegments(set, SegmentQuery{box, StartSide::NONE, 0, 0}, last.partners, work);
    for (int64_t t : last.partners) TryPair(set, grid, m, t, CornerOf(box, SlotBounds(set, t)), best);
  }
  if (work > allowed) return -1;

  const CrossingGrid& old = last.grid;
  const SegmentBounds oldCell = CellBounds(old, last.row, last.col);
  const double oldX0 = oldCell.x0, oldX1 = oldCell.x1, oldY0 = oldCell.y0, oldY1 = oldCell.y1;
  if (HasUnknownBound(oldCell)) return -1;
  // Pairs of old segments in the new cell that holds the middle of the old
  // one, where that cell comes before the best pair's: the next crossing of
  // a cell often follows the last one in key order.
  auto middle = [&](double oldOrigin, int64_t cell, double origin, int64_t count) {
    double v = oldOrigin + (static_cast<double>(cell) + 0.5) * old.cell;
    return std::clamp<int64_t>(GridCell(grid, std::max(v, origin), origin), 0, count - 1);
  };
  int64_t coreRow = middle(old.minY, last.row, grid.minY, grid.gy);
  int64_t coreCol = middle(old.minX, last.col, grid.minX, grid.gx);
  // Where the cut kept the part without the ring's start, every old pair
  // there had keys past A: the whole overlap needs the walk.
  auto inCore = [&] { return best.key.row == coreRow && best.key.col == coreCol; };
  bool afterCore = best.found && (best.key.row > coreRow || (best.key.row == coreRow && best.key.col > coreCol));
  if (!best.found || afterCore || (!last.keptOuter && inCore())) {
    if (!WalkCore(set, last, grid, coreRow, coreCol, oldCell, best, work, allowed))
      return -1;
  }
  if (!best.found || (!last.keptOuter && !inCore())) return -1;

  const SegmentBounds newCell = CellBounds(grid, best.key.row, best.key.col);
  const double newX0 = newCell.x0, newX1 = newCell.x1, newY0 = newCell.y0, newY1 = newCell.y1;
  if (HasUnknownBound(newCell)) return -1;

  // The corners from the old cell on and up to the new one, as bands between
  // the four row bounds; the overlap of the two cells is left out.
  Region regions[8];
  int count = 0;
  double ys[4] = {oldY0, oldY1, newY0, newY1};
  std::sort(ys, ys + 4);
  for (int k = 0; k + 1 < 4; ++k) {
    double y0 = ys[k], y1 = ys[k + 1];
    if (!(y0 < y1) || y0 < oldY0 || y1 > newY1) continue;
    bool inOldRow = y1 <= oldY1, inNewRow = y0 >= newY0;
    double x0 = inOldRow ? oldX0 : -INF, x1 = inNewRow ? newX1 : INF;
    if (!(x0 < x1)) continue;
    if (!(inOldRow && inNewRow)) {
      regions[count++] = Region{x0, x1, y0, y1, StartSide::BOTTOM};
      continue;
    }
    double coreX0 = std::max(oldX0, newX0), coreX1 = std::min(oldX1, newX1);
    if (!(coreX0 < coreX1)) {
      regions[count++] = Region{x0, x1, y0, y1, StartSide::LEFT};
      continue;
    }
    if (x0 < coreX0) regions[count++] = Region{x0, coreX0, y0, y1, StartSide::LEFT};
    if (coreX1 < x1) regions[count++] = Region{coreX1, x1, y0, y1, StartSide::LEFT};
  }

  const PairKey cleared{last.row, last.col, last.keyA, last.keyB};
  for (int r = 0; r < count; ++r) {
    const Region& z = regions[r];
    bool byBottom = z.side == StartSide::BOTTOM;
    last.anchors.clear();
    if (byBottom)
      FindStarts(set, last, z.side, z.y0, z.y1, grid.cell, last.anchors, work);
    else
      FindStarts(set, last, z.side, z.x0, z.x1, grid.cell, last.anchors, work);
    for (int64_t t : last.anchors) {
      if (work > allowed) return -1;
      if (t == last.made[0] || t == last.made[1]) continue;
      SegmentBounds tb = SlotBounds(set, t);
      if (byBottom ? !(tb.x0 < z.x1) : !(tb.y0 < z.y1)) continue;
      last.partners.clear();
      FindSegments(set, SegmentQuery{tb, StartSide::NONE, 0, 0}, last.partners, work);
      for (int64_t u : last.partners) {
        if (u == last.made[0] || u == last.made[1]) continue;
        SegmentBounds ub = SlotBounds(set, u);
        if (byBottom ? !(ub.y0 <= tb.y0 && ub.x0 < z.x1) : !(ub.x0 <= tb.x0 && ub.y0 < z.y1)) continue;
        Corner c = CornerOf(tb, ub);
        if (c.x < z.x0 || c.y < z.y0) continue;
        // Pairs the last search passed over did not cross.
        int64_t k1 = std::min(set.key[t], set.key[u]), k2 = std::max(set.key[t], set.key[u]);
        if (!Less(cleared, KeyIn(old, c, k1, k2))) continue;
        TryPair(set, grid, t, u, c, best);
      }
    }
  }
  if (work > allowed) return -1;
  a = best.a;
  b = best.b;
  point = best.point;
  row = best.key.row;
  col = best.key.col;
  return 1;
}

void NoteCut(const CrossingSet& set, LastCrossing& last) {
  for (int64_t m : last.made) {
    SegmentBounds b = SlotBounds(set, m);
    for (LastCrossing::Window& w : last.windows) {
      double v = StartOf(b, w.side);
      if (!(w.low <= v && v < w.high)) continue;
      w.recent.push_back(LastCrossing::Entry{v, m, set.version[m]});
      if (w.recent.size() < MOST_RECENT) continue;
      std::sort(w.recent.begin(), w.recent.end(), EntryOrder);
      const size_t middle = w.entries.size();
      w.entries.insert(w.entries.end(), w.recent.begin(), w.recent.end());
      std::inplace_merge(w.entries.begin(), w.entries.begin() + static_cast<std::ptrdiff_t>(middle), w.entries.end(),
                         EntryOrder);
      w.recent.clear();
    }
  }
}

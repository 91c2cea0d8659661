#include "engine/loop_cut/crossing_set.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <limits>

#include "engine/loop_cut/loop_cut.h"
#include "engine/loop_cut/loop_cut_routes.h"
#include "engine/loop_cut/meeting_sweep.h"
#include "engine/segment_frame.h"

// Why the minimum over the set is the plain search's answer: a crossing pair
// is first met in the cell of the higher of its two box bottoms and the
// further of its two box left sides, and within a cell the pairs come in
// index order. So the set is a heap by (that cell, indices) in the grid of
// the last search; while the grid stays, only new pairs need a place, and a
// grid that moves places them all again. Where the mean segment length sets
// the cell, the grid moves with every cut: the pairs are then kept by those
// two box values themselves, which no grid moves. A cut changes two segments
// and removes others; the pairs of all other segments keep their test result
// and their order, since keys never move.

namespace {

constexpr int64_t BLOCK_KEYS = 8;
// The sweep over the whole ring may take out at most this share of it. The
// crossings of the segments it takes out may cost this many tests per
// segment of the ring: long slanted segments in a dense ring have boxes
// full of others, so each of them is tested against thousands.
constexpr int64_t MOST_TAKEN_SHARE = 16;
constexpr int64_t SWEPT_WORK_PER_SEGMENT = 256;
constexpr double INF = std::numeric_limits<double>::infinity();
constexpr SegmentBounds EMPTY_BOUNDS{INF, -INF, INF, -INF};

SegmentBounds Union(const SegmentBounds& a, const SegmentBounds& b) {
  return SegmentBounds{std::min(a.x0, b.x0), std::max(a.x1, b.x1), std::min(a.y0, b.y0), std::max(a.y1, b.y1)};
}


SegmentBounds BoundsOf(const CrossingSet& set, int64_t s) {
  int64_t t = set.next[s];
  return SegmentBounds{std::min(set.x[s], set.x[t]), std::max(set.x[s], set.x[t]), std::min(set.y[s], set.y[t]),
                       std::max(set.y[s], set.y[t])};
}

double LengthOf(const CrossingSet& set, int64_t s) {
  int64_t t = set.next[s];
  double dx = set.x[t] - set.x[s], dy = set.y[t] - set.y[s];
  return std::sqrt(dx * dx + dy * dy);
}

constexpr int64_t WORD_KEYS = 64;

// Adds d to the count of living keys in word w.
void FenwickAdd(CrossingSet& set, int64_t w, int64_t d) {
  const int64_t words = static_cast<int64_t>(set.living.size());
  for (++w; w <= words; w += w & -w) set.fenwick[w] += d;
}

void SetLiving(CrossingSet& set, int64_t k) {
  set.living[k / WORD_KEYS] |= uint64_t{1} << (k % WORD_KEYS);
  FenwickAdd(set, k / WORD_KEYS, 1);
}

// The number of living keys below k: the index of the slot with key k.
int64_t LivingBelow(const CrossingSet& set, int64_t k) {
  int64_t w = k / WORD_KEYS;
  int64_t sum = std::popcount(set.living[w] & ((uint64_t{1} << (k % WORD_KEYS)) - 1));
  for (; w > 0; w -= w & -w) sum += set.fenwick[w];
  return sum;
}

constexpr SegmentStarts NO_STARTS{-INF, -INF};

SegmentStarts Later(const SegmentStarts& a, const SegmentStarts& b) {
  return SegmentStarts{std::max(a.x0, b.x0), std::max(a.y0, b.y0)};
}

// The frame of a block's segments, turned to their main direction.
void RefreshFrame(CrossingSet& set, int64_t block) {
  const int64_t end = std::min(set.keys, (block + 1) * BLOCK_KEYS);
  SegmentFrame f;
  for (int64_t k = block * BLOCK_KEYS; k < end; ++k)
    if (set.keySlot[k] >= 0) {
      const int64_t s = set.keySlot[k], s1 = set.next[s];
      AddDirection(f, set.x[s1] - set.x[s], set.y[s1] - set.y[s]);
    }
  SetFrameAxis(f);
  for (int64_t k = block * BLOCK_KEYS; k < end; ++k)
    if (set.keySlot[k] >= 0) {
      const int64_t s = set.keySlot[k], s1 = set.next[s];
      AddFramePoint(f, set.x[s], set.y[s]);
      AddFramePoint(f, set.x[s1], set.y[s1]);
    }
  set.frames[set.leaves + block] = f;
}

void RefreshBlock(CrossingSet& set, int64_t block) {
  SegmentBounds b = EMPTY_BOUNDS;
  SegmentStarts t = NO_STARTS;
  int64_t end = std::min(set.keys, (block + 1) * BLOCK_KEYS);
  for (int64_t k = block * BLOCK_KEYS; k < end; ++k)
    if (set.keySlot[k] >= 0) {
      SegmentBounds s = BoundsOf(set, set.keySlot[k]);
      b = Union(b, s);
      t = Later(t, SegmentStarts{s.x0, s.y0});
    }
  set.tree[set.leaves + block] = b;
  set.tops[set.leaves + block] = t;
  if (set.framed) RefreshFrame(set, block);
}

void JoinChildren(CrossingSet& set, int64_t node) {
  set.tree[node] = Union(set.tree[2 * node], set.tree[2 * node + 1]);
  set.tops[node] = Later(set.tops[2 * node], set.tops[2 * node + 1]);
  if (set.framed) set.frames[node] = JoinFrames(set.frames[2 * node], set.frames[2 * node + 1]);
}

// The dirty blocks and the unions above them, level by level.
void RefreshTree(CrossingSet& set) {
  std::vector<int64_t>& nodes = set.dirty;
  std::sort(nodes.begin(), nodes.end());
  nodes.erase(std::unique(nodes.begin(), nodes.end()), nodes.end());
  for (int64_t& b : nodes) {
    RefreshBlock(set, b);
    b += set.leaves;
  }
  while (!nodes.empty() && nodes[0] > 1) {
    size_t kept = 0;
    for (size_t q = 0; q < nodes.size(); ++q) {
      int64_t parent = nodes[q] / 2;
      if (kept > 0 && nodes[kept - 1] == parent) continue;
      nodes[kept++] = parent;
      JoinChildren(set, parent);
    }
    nodes.resize(kept);
  }
}

void AddPair(CrossingSet& set, int64_t a, int64_t b) {
  set.fresh.push_back(PairEntry{0, static_cast<int32_t>(a), static_cast<int32_t>(b), set.version[a], set.version[b]});
}

template <typename Entry>
bool Holds(const CrossingSet& set, const Entry& e) {
  return set.version[e.a] == e.versionA && set.version[e.b] == e.versionB;
}

void PointOfPair(const CrossingSet& set, int64_t a, int64_t b, OutlinePoint& point) {
  int64_t a1 = set.next[a], b1 = set.next[b];
  IntersectSegments(point, set.x[a], set.y[a], set.x[a1], set.y[a1], set.x[b], set.y[b], set.x[b1], set.y[b1]);
}

void AddPairBand(CrossingSet& set, const PairEntry& e) {
  SegmentBounds ba = BoundsOf(set, e.a), bb = BoundsOf(set, e.b);
  const uint64_t order = static_cast<uint64_t>(set.key[e.a]) << 32 | static_cast<uint64_t>(set.key[e.b]);
  AddBand(set.bands, BandEntry{std::max(ba.y0, bb.y0), std::max(ba.x0, bb.x0), order, e.a, e.b, e.versionA, e.versionB});
}

// The first crossing where the grid moves with every cut: the pairs are
// kept by box bottom and left side, which no grid moves. False when no
// pair holds.
bool FirstInBands(CrossingSet& set, const CrossingGrid& grid, int64_t& a, int64_t& b) {
  if (!set.byBands) {
    ClearBands(set.bands);
    for (const PairEntry& e : set.heap)
      if (Holds(set, e)) AddPairBand(set, e);
    set.heap.clear();
    set.byBands = true;
  }
  for (const PairEntry& e : set.fresh)
    if (Holds(set, e)) AddPairBand(set, e);
  set.fresh.clear();
  BandEntry first{};
  if (!FirstBand(set.bands, grid, set.version, first, set.placed)) return false;
  a = first.a;
  b = first.b;
  return true;
}

// The cell of the pair's higher box bottom and further box left side.
int64_t FirstSharedCell(const CrossingSet& set, const CrossingGrid& grid, const PairEntry& e) {
  SegmentBounds ba = BoundsOf(set, e.a), bb = BoundsOf(set, e.b);
  return GridCell(grid, std::max(ba.y0, bb.y0), grid.minY) * grid.gx + GridCell(grid, std::max(ba.x0, bb.x0), grid.minX);
}

// Enters the pair of segments from slots s and t when they cross, tested in
// ring order as the plain search tests them.
void TestSlots(CrossingSet& set, int64_t s, int64_t t) {
  if (set.next[s] == t || set.next[t] == s) return;
  if (set.key[t] < set.key[s]) std::swap(s, t);
  int64_t s1 = set.next[s], t1 = set.next[t];
  OutlinePoint p;
  if (IntersectSegments(p, set.x[s], set.y[s], set.x[s1], set.y[s1], set.x[t], set.y[t], set.x[t1], set.y[t1]))
    AddPair(set, s, t);
}

// Pairs whose boxes are apart cannot cross (as in the grid search, they are
// never tested); nor are those with a slot that skip(t) passes over.
template <typename Skip>
void FindCrossingsOf(CrossingSet& set, int64_t s, Skip skip) {
  SegmentBounds q = BoundsOf(set, s);
  const int64_t s1 = set.next[s];
  const double ax = set.x[s], ay = set.y[s], bx = set.x[s1], by = set.y[s1];
  // A box wholly on one side of the segment's line holds no segment that
  // crosses it: long slanted segments have boxes full of others that pass
  // by.
  set.stack.assign(1, 1);
  while (!set.stack.empty()) {
    int64_t node = set.stack.back();
    set.stack.pop_back();
    const SegmentBounds& b = set.tree[node];
    if (!BoundsMeet(b, q) || LineMissesBox(b.x0, b.x1, b.y0, b.y1, ax, ay, bx, by) ||
        (set.framed && SegmentMissesFrame(set.frames[node], ax, ay, bx, by)))
      continue;
    if (node < set.leaves) {
      set.stack.push_back(2 * node);
      set.stack.push_back(2 * node + 1);
      continue;
    }
    int64_t block = node - set.leaves, end = std::min(set.keys, (block + 1) * BLOCK_KEYS);
    for (int64_t k = block * BLOCK_KEYS; k < end; ++k) {
      int64_t t = set.keySlot[k];
      if (t < 0 || t == s || skip(t)) continue;
      ++set.tests;
      if (BoundsMeet(BoundsOf(set, t), q)) TestSlots(set, s, t);
    }
  }
}

}  // namespace

void StartCrossingSet(CrossingSet& set, const double* x, const double* y, int64_t n,
                      const std::vector<CrossingPair>& pairs, RingLengths known, const RingArea* area) {
  size_t count = static_cast<size_t>(n);
  // Each cut adds a slot: room for all of them, so that no cut copies the
  // ring's arrays to grow them.
  const size_t slots = count + static_cast<size_t>(MAX_LOOP_CUTS);
  for (std::vector<double>* v : {&set.x, &set.y, &set.length}) v->reserve(slots);
  set.next.reserve(slots);
  set.key.reserve(slots);
  set.version.reserve(slots);
  set.x.assign(x, x + n);
  set.y.assign(y, y + n);
  set.next.resize(count);
  set.key.resize(count);
  set.keySlot.resize(count);
  set.length.resize(count);
  set.version.assign(count, 0);
  for (int64_t k = 0; k < n; ++k) {
    set.next[k] = k + 1 == n ? 0 : k + 1;
    set.key[k] = set.keySlot[k] = k;
  }
  if (known.length) {
    std::copy(known.length->begin(), known.length->begin() + n, set.length.begin());
    set.perimeter = *known.sum;
  } else {
    MeasureLengths(x, y, n, set.length.data());
    ClearExactSum(set.perimeter);
    AddAllToExactSum(set.perimeter, set.length.data(), count);
  }
  if (area)
    set.area = *area;
  else
    StartRingArea(set.area, x, y, n);
  set.keys = set.n = n;
  set.head = 0;
  const int64_t words = n / WORD_KEYS + 1;
  set.living.assign(static_cast<size_t>(words), ~uint64_t{0});
  set.living.back() = (uint64_t{1} << (n % WORD_KEYS)) - 1;
  set.fenwick.assign(static_cast<size_t>(words) + 1, 0);
  for (int64_t w = 1; w <= words; ++w) {
    set.fenwick[w] += std::popcount(set.living[w - 1]);
    int64_t up = w + (w & -w);
    if (up <= words) set.fenwick[up] += set.fenwick[w];
  }
  int64_t blocks = (n + BLOCK_KEYS - 1) / BLOCK_KEYS;
  set.leaves = 1;
  while (set.leaves < blocks) set.leaves *= 2;
  set.tree.assign(static_cast<size_t>(2 * set.leaves), EMPTY_BOUNDS);
  set.tops.assign(static_cast<size_t>(2 * set.leaves), NO_STARTS);
  for (int64_t b = 0; b < blocks; ++b) RefreshBlock(set, b);
  for (int64_t node = set.leaves - 1; node >= 1; --node) JoinChildren(set, node);
  set.tests = 0;
  set.placed = 0;
  set.workLimit = 64 * n + (int64_t{1} << 22);
  set.heap.clear();
  set.fresh.clear();
  set.ordered = CrossingGrid{};
  ClearBands(set.bands);
  set.byBands = false;
  set.framed = false;
  set.frames.clear();
  for (const CrossingPair& pair : pairs) AddPair(set, pair.s1, pair.s2);
}

bool FindCrossingsThroughSweep(CrossingSet& set) {
  // Long slanted segments in a dense ring have upright boxes full of others
  // that pass by; turned frames keep the search for their crossings short.
  set.framed = true;
  set.frames.assign(set.tree.size(), SegmentFrame{});
  for (int64_t b = 0; b * BLOCK_KEYS < set.keys; ++b) RefreshFrame(set, b);
  for (int64_t node = set.leaves - 1; node >= 1; --node)
    set.frames[node] = JoinFrames(set.frames[2 * node], set.frames[2 * node + 1]);
  set.workLimit = SWEPT_WORK_PER_SEGMENT * set.n + (int64_t{1} << 22);
  std::vector<int64_t> slots(static_cast<size_t>(set.n));
  for (int64_t k = 0, s = set.head; k < set.n; ++k, s = set.next[s]) slots[static_cast<size_t>(k)] = s;
  MeetingSweep sweep;
  std::vector<size_t> hot;
  if (!FindHotPositions(set.x.data(), set.y.data(), slots.data(), slots.size(),
                        [&set](int64_t s) { return set.next[s]; }, slots.size() / MOST_TAKEN_SHARE + 16, sweep, hot))
    return false;
  // A pair of two taken out is tested from the first of them only.
  std::vector<char> done(set.x.size(), 0);
  for (size_t at : hot) {
    const int64_t t = slots[at];
    done[static_cast<size_t>(t)] = 1;
    FindCrossingsOf(set, t, [&done](int64_t u) { return done[static_cast<size_t>(u)] != 0; });
    if (set.tests > set.workLimit) return false;
  }
  return true;
}

bool GridOfSet(const CrossingSet& set, CrossingGrid& grid, bool* sideSetCell) {
  // The box is the tree's root.
  bool side = false;
  const bool made = MakeCrossingGrid(set.tree[1], RoundedExactSum(set.perimeter), set.n, grid, side);
  if (sideSetCell) *sideSetCell = side;
  return made;
}

int64_t FirstCrossing(CrossingSet& set, int64_t& a, int64_t& b, OutlinePoint& point) {
  CrossingGrid grid;
  bool sideSetCell = false;
  if (!GridOfSet(set, grid, &sideSetCell)) return 0;
  if (!sideSetCell || (gLoopCutRoutes.alternateHeapAndBands && ++gLoopCutRoutes.turns % 2 == 1)) {
    if (!FirstInBands(set, grid, a, b)) return 0;
    if (set.placed > set.workLimit) return -1;
    PointOfPair(set, a, b, point);
    return 1;
  }
  if (set.byBands) {
    // Back to the heap by cell: every pair needs its place again.
    std::vector<BandEntry> holding;
    HoldingBands(set.bands, set.version, holding);
    for (const BandEntry& e : holding) set.fresh.push_back(PairEntry{0, e.a, e.b, e.versionA, e.versionB});
    ClearBands(set.bands);
    set.byBands = false;
    set.ordered = CrossingGrid{};
  }

  // In an unchanged grid only the new pairs need a place in the heap.
  std::vector<PairEntry>& heap = set.heap;
  // A slot's key never changes, so this order holds for stale entries too
  // (a dead slot may share its key with the slot that took it over).
  auto later = [&set](const PairEntry& l, const PairEntry& r) {
    if (l.cell != r.cell) return l.cell > r.cell;
    if (set.key[l.a] != set.key[r.a]) return set.key[l.a] > set.key[r.a];
    if (set.key[l.b] != set.key[r.b]) return set.key[l.b] > set.key[r.b];
    return l.a != r.a ? l.a > r.a : l.b > r.b;
  };
  const CrossingGrid& old = set.ordered;
  if (grid.minX == old.minX && grid.minY == old.minY && grid.cell == old.cell && grid.gx == old.gx) {
    for (PairEntry e : set.fresh) {
      if (!Holds(set, e)) continue;
      e.cell = FirstSharedCell(set, grid, e);
      heap.push_back(e);
      std::push_heap(heap.begin(), heap.end(), later);
    }
  } else {
    size_t kept = 0;
    for (const PairEntry& e : heap)
      if (Holds(set, e)) heap[kept++] = e;
    heap.resize(kept);
    for (const PairEntry& e : set.fresh)
      if (Holds(set, e)) heap.push_back(e);
    for (PairEntry& e : heap) e.cell = FirstSharedCell(set, grid, e);
    std::make_heap(heap.begin(), heap.end(), later);
    set.ordered = grid;
    set.placed += static_cast<int64_t>(heap.size());
  }
  set.fresh.clear();
  if (set.placed > set.workLimit) return -1;
  while (!heap.empty() && !Holds(set, heap.front())) {
    std::pop_heap(heap.begin(), heap.end(), later);
    heap.pop_back();
  }
  if (heap.empty()) return 0;
  // The pair itself leaves the set: the cut changes both of its segments.
  a = heap.front().a;
  b = heap.front().b;
  std::pop_heap(heap.begin(), heap.end(), later);
  heap.pop_back();
  PointOfPair(set, a, b, point);
  return 1;
}

bool CutRing(CrossingSet& set, int64_t a, int64_t b, const OutlinePoint& point, int64_t made[2]) {
  int64_t i = LivingBelow(set, set.key[a]), j = LivingBelow(set, set.key[b]);
  int64_t inner = j - i, outer = set.n - inner;
  const int64_t a1 = set.next[a], b1 = set.next[b];
  set.terms.clear();
  for (int64_t s = inner <= outer ? a1 : b1, c = (inner <= outer ? inner : outer) - 1; c > 0; --c, s = set.next[s])
    set.terms.push_back(ShoelaceTerm(set.x[s], set.y[s], set.x[set.next[s]], set.y[set.next[s]]));
  const bool keepOuter = KeepOuterPart(
      set.area, set.terms, inner <= outer,
      CutEnds{{set.x[a], set.y[a]}, {set.x[a1], set.y[a1]}, {set.x[b], set.y[b]}, {set.x[b1], set.y[b1]}, point});
  int64_t p = static_cast<int64_t>(set.x.size());
  set.x.push_back(point.x);
  set.y.push_back(point.y);
  set.next.push_back(0);
  set.key.push_back(0);
  set.length.push_back(0);
  set.version.push_back(0);
  set.dirty.clear();
  // Removes `count` points along the ring from slot s.
  auto drop = [&](int64_t s, int64_t count) {
    set.dropped.clear();
    int64_t word = -1, gone = 0;
    for (int64_t c = 0; c < count; ++c, s = set.next[s]) {
      set.dropped.push_back(set.length[s]);
      ++set.version[s];
      int64_t k = set.key[s];
      set.keySlot[k] = -1;
      // Keys mostly come in order: a word's count changes once per run.
      set.living[k / WORD_KEYS] &= ~(uint64_t{1} << (k % WORD_KEYS));
      if (k / WORD_KEYS != word) {
        if (gone > 0) FenwickAdd(set, word, -gone);
        word = k / WORD_KEYS;
        gone = 0;
      }
      ++gone;
      // Keys run in ring order, so a block mostly repeats the one before.
      if (set.dirty.empty() || set.dirty.back() != k / BLOCK_KEYS) set.dirty.push_back(k / BLOCK_KEYS);
    }
    if (gone > 0) FenwickAdd(set, word, -gone);
    TakeAllFromExactSum(set.perimeter, set.dropped.data(), set.dropped.size());
  };
  // The crossing point takes the key of a point it replaces next to it, so
  // that keys still run in ring order from the start.
  int64_t changed;
  if (keepOuter) {
    int64_t after = set.next[b];
    set.key[p] = set.key[set.next[a]];
    drop(set.next[a], inner);
    set.next[a] = p;
    set.next[p] = after;
    changed = a;
    set.n = set.n - inner + 1;
  } else {
    int64_t first = set.next[a];
    set.key[p] = set.key[a];
    drop(set.next[b], outer);
    set.next[p] = first;
    set.next[b] = p;
    changed = b;
    set.head = p;
    set.n = inner + 1;
  }
  set.keySlot[set.key[p]] = p;
  SetLiving(set, set.key[p]);
  set.dirty.push_back(set.key[p] / BLOCK_KEYS);
  set.dirty.push_back(set.key[changed] / BLOCK_KEYS);
  TakeFromExactSum(set.perimeter, set.length[changed]);
  ++set.version[changed];
  set.length[changed] = LengthOf(set, changed);
  set.length[p] = LengthOf(set, p);
  AddToExactSum(set.perimeter, set.length[changed]);
  AddToExactSum(set.perimeter, set.length[p]);
  RefreshTree(set);
  made[0] = keepOuter ? changed : p;
  made[1] = keepOuter ? p : changed;
  return keepOuter;
}

bool CutAtCrossing(CrossingSet& set, int64_t a, int64_t b, const OutlinePoint& point) {
  int64_t made[2];
  CutRing(set, a, b, point, made);
  auto none = [](int64_t) { return false; };
  FindCrossingsOf(set, made[0], none);
  FindCrossingsOf(set, made[1], none);
  return set.tests <= set.workLimit;
}

SegmentBounds SlotBounds(const CrossingSet& set, int64_t s) { return BoundsOf(set, s); }

int64_t IndexOfSlot(const CrossingSet& set, int64_t s) { return LivingBelow(set, set.key[s]); }

void FindSegments(const CrossingSet& set, const SegmentQuery& q, std::vector<int64_t>& slots, int64_t& work) {
  // Depth first, left child first, so that the slots come in key order.
  int64_t stack[64];
  int depth = 0;
  stack[depth++] = 1;
  auto outside = [&q](const SegmentBounds& b, const SegmentStarts& t) {
    if (!BoundsMeet(b, q.box)) return true;
    if (q.side == StartSide::LEFT) return b.x0 >= q.high || t.x0 < q.low;
    if (q.side == StartSide::BOTTOM) return b.y0 >= q.high || t.y0 < q.low;
    return false;
  };
  while (depth > 0) {
    int64_t node = stack[--depth];
    ++work;
    if (outside(set.tree[node], set.tops[node])) continue;
    if (node < set.leaves) {
      stack[depth++] = 2 * node + 1;
      stack[depth++] = 2 * node;
      continue;
    }
    int64_t block = node - set.leaves, end = std::min(set.keys, (block + 1) * BLOCK_KEYS);
    for (int64_t k = block * BLOCK_KEYS; k < end; ++k) {
      int64_t t = set.keySlot[k];
      if (t < 0) continue;
      ++work;
      SegmentBounds b = BoundsOf(set, t);
      if (!outside(b, SegmentStarts{b.x0, b.y0})) slots.push_back(t);
    }
  }
}

void ReadRing(const CrossingSet& set, std::vector<double>& x, std::vector<double>& y, int64_t& n,
              std::vector<int64_t>* slots) {
  n = set.n;
  x.resize(static_cast<size_t>(n));
  y.resize(static_cast<size_t>(n));
  if (slots) slots->resize(static_cast<size_t>(n));
  int64_t s = set.head;
  for (int64_t k = 0; k < n; ++k, s = set.next[s]) {
    x[k] = set.x[s];
    y[k] = set.y[s];
    if (slots) (*slots)[k] = s;
  }
}

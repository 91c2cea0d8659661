#include "engine/loop_cut/crossing_bands.h"

#include <algorithm>
#include <limits>

namespace {

constexpr double INF = std::numeric_limits<double>::infinity();
constexpr int64_t NONE = std::numeric_limits<int64_t>::max();
constexpr BandSummary EMPTY{INF, -INF, INF, -INF, std::numeric_limits<uint64_t>::max(), -1, -1, -1};
// The tree is made again when the pairs found since are more than this
// share of those in it, and this many.
constexpr size_t FRESH_SHARE = 8;
constexpr size_t FRESH_MIN = 64;

bool Holds(const std::vector<uint32_t>& version, const BandEntry& e) {
  return version[e.a] == e.versionA && version[e.b] == e.versionB;
}

void Merge(BandSummary& s, const BandSummary& t) {
  if (t.minBottom < s.minBottom) {
    s.minBottom = t.minBottom;
    s.atBottom = t.atBottom;
  }
  if (t.minLeft < s.minLeft) {
    s.minLeft = t.minLeft;
    s.atLeft = t.atLeft;
  }
  if (t.minOrder < s.minOrder) {
    s.minOrder = t.minOrder;
    s.atOrder = t.atOrder;
  }
  s.maxBottom = std::max(s.maxBottom, t.maxBottom);
  s.maxLeft = std::max(s.maxLeft, t.maxLeft);
}

size_t Middle(size_t lo, size_t hi) { return lo + (hi - lo) / 2; }

// The summary of [lo, hi) from its middle pair and its two halves'.
void Summarize(CrossingBands& bands, size_t lo, size_t hi) {
  const size_t mid = Middle(lo, hi);
  BandSummary s = EMPTY;
  if (bands.alive[mid]) {
    const BandEntry& e = bands.sorted[mid];
    const int32_t at = static_cast<int32_t>(mid);
    s = BandSummary{e.bottom, e.bottom, e.left, e.left, e.order, at, at, at};
  }
  if (lo < mid) Merge(s, bands.summary[Middle(lo, mid)]);
  if (mid + 1 < hi) Merge(s, bands.summary[Middle(mid + 1, hi)]);
  bands.summary[mid] = s;
}

// Splits [lo, hi) by bottom and by left side in turn.
void Build(CrossingBands& bands, size_t lo, size_t hi, bool byBottom) {
  if (lo >= hi) return;
  const size_t mid = Middle(lo, hi);
  auto first = bands.sorted.begin();
  std::nth_element(first + static_cast<std::ptrdiff_t>(lo), first + static_cast<std::ptrdiff_t>(mid),
                   first + static_cast<std::ptrdiff_t>(hi), [byBottom](const BandEntry& l, const BandEntry& r) {
                     return byBottom ? l.bottom < r.bottom : l.left < r.left;
                   });
  Build(bands, lo, mid, !byBottom);
  Build(bands, mid + 1, hi, !byBottom);
  Summarize(bands, lo, hi);
}

void Rebuild(CrossingBands& bands, const std::vector<uint32_t>& version, int64_t& work) {
  std::vector<BandEntry> all;
  HoldingBands(bands, version, all);
  bands.sorted.swap(all);
  bands.fresh.clear();
  bands.alive.assign(bands.sorted.size(), 1);
  bands.summary.assign(bands.sorted.size(), EMPTY);
  Build(bands, 0, bands.sorted.size(), true);
  work += static_cast<int64_t>(bands.sorted.size());
}

// Takes the pair at position i out of the summaries above it.
void Drop(CrossingBands& bands, size_t i) {
  bands.alive[i] = 0;
  size_t path[2 * 64];
  int depth = 0;
  size_t lo = 0, hi = bands.sorted.size();
  while (lo < hi) {
    path[depth++] = lo;
    path[depth++] = hi;
    const size_t mid = Middle(lo, hi);
    if (i == mid) break;
    if (i < mid)
      hi = mid;
    else
      lo = mid + 1;
  }
  while (depth > 0) {
    hi = path[--depth];
    lo = path[--depth];
    Summarize(bands, lo, hi);
  }
}

// Visits the tree's nodes depth first: enter(summary) says whether to look
// inside a node, take(summary) whether the node's summary settles it
// without looking inside; own(i) is called for the middle pair of every node
// looked inside.
template <typename Enter, typename Take, typename Own>
void Visit(const CrossingBands& bands, int64_t& work, Enter enter, Take take, Own own) {
  struct Span {
    size_t lo, hi;
  };
  Span stack[2 * 64];
  int depth = 0;
  if (!bands.sorted.empty()) stack[depth++] = Span{0, bands.sorted.size()};
  while (depth > 0) {
    const Span sp = stack[--depth];
    const size_t mid = Middle(sp.lo, sp.hi);
    const BandSummary& s = bands.summary[mid];
    ++work;
    if (s.atOrder < 0 || !enter(s) || take(s)) continue;
    if (bands.alive[mid]) own(mid);
    if (mid + 1 < sp.hi) stack[depth++] = Span{mid + 1, sp.hi};
    if (sp.lo < mid) stack[depth++] = Span{sp.lo, mid};
  }
}

}  // namespace

void ClearBands(CrossingBands& bands) {
  bands.sorted.clear();
  bands.summary.clear();
  bands.alive.clear();
  bands.fresh.clear();
}

void AddBand(CrossingBands& bands, const BandEntry& e) { bands.fresh.push_back(e); }

void HoldingBands(const CrossingBands& bands, const std::vector<uint32_t>& version, std::vector<BandEntry>& out) {
  out.clear();
  for (size_t i = 0; i < bands.sorted.size(); ++i)
    if (bands.alive[i] && Holds(version, bands.sorted[i])) out.push_back(bands.sorted[i]);
  for (const BandEntry& e : bands.fresh)
    if (Holds(version, e)) out.push_back(e);
}

bool FirstBand(CrossingBands& bands, const CrossingGrid& grid, const std::vector<uint32_t>& version, BandEntry& first,
               int64_t& work) {
  if (bands.fresh.size() > bands.sorted.size() / FRESH_SHARE + FRESH_MIN) Rebuild(bands, version, work);
  auto rowOf = [&grid](double bottom) { return GridCell(grid, bottom, grid.minY); };
  auto colOf = [&grid](double left) { return GridCell(grid, left, grid.minX); };
  std::vector<BandEntry>& fresh = bands.fresh;
  work += static_cast<int64_t>(fresh.size());
  int64_t row = NONE;
  for (size_t i = 0; i < fresh.size();) {
    if (!Holds(version, fresh[i])) {
      fresh[i] = fresh.back();
      fresh.pop_back();
      continue;
    }
    row = std::min(row, rowOf(fresh[i].bottom));
    ++i;
  }
  // Each search below either settles on a pair that holds or finds its
  // pair gone, takes it out and looks again.
  const std::vector<BandEntry>& sorted = bands.sorted;
  auto gone = [&](int32_t at) {
    if (at < 0 || Holds(version, sorted[static_cast<size_t>(at)])) return false;
    Drop(bands, static_cast<size_t>(at));
    return true;
  };
  // The lowest row.
  while (!sorted.empty()) {
    const int32_t at = bands.summary[Middle(0, sorted.size())].atBottom;
    if (gone(at)) continue;
    if (at >= 0) row = std::min(row, rowOf(sorted[static_cast<size_t>(at)].bottom));
    break;
  }
  if (row == NONE) return false;
  auto inRow = [&](double bottom) { return rowOf(bottom) <= row; };
  // The least column in it.
  int64_t col = NONE;
  for (const BandEntry& e : fresh)
    if (rowOf(e.bottom) == row) col = std::min(col, colOf(e.left));
  while (true) {
    double least = INF;
    int32_t at = -1;
    Visit(
        bands, work, [&](const BandSummary& s) { return s.minLeft < least && inRow(s.minBottom); },
        [&](const BandSummary& s) {
          if (!inRow(s.maxBottom)) return false;
          least = s.minLeft;
          at = s.atLeft;
          return true;
        },
        [&](size_t i) {
          if (inRow(sorted[i].bottom) && sorted[i].left < least) {
            least = sorted[i].left;
            at = static_cast<int32_t>(i);
          }
        });
    if (gone(at)) continue;
    if (at >= 0) col = std::min(col, colOf(least));
    break;
  }
  auto inCell = [&](double bottom, double left) { return inRow(bottom) && colOf(left) <= col; };
  // The least indices in that cell.
  const BandEntry* best = nullptr;
  for (const BandEntry& e : fresh)
    if (rowOf(e.bottom) == row && colOf(e.left) == col && (!best || e.order < best->order)) best = &e;
  while (true) {
    uint64_t least = best ? best->order : std::numeric_limits<uint64_t>::max();
    int32_t at = -1;
    Visit(
        bands, work, [&](const BandSummary& s) { return s.minOrder < least && inCell(s.minBottom, s.minLeft); },
        [&](const BandSummary& s) {
          if (!inCell(s.maxBottom, s.maxLeft)) return false;
          least = s.minOrder;
          at = s.atOrder;
          return true;
        },
        [&](size_t i) {
          if (inCell(sorted[i].bottom, sorted[i].left) && sorted[i].order < least) {
            least = sorted[i].order;
            at = static_cast<int32_t>(i);
          }
        });
    if (gone(at)) continue;
    if (at >= 0) best = &sorted[static_cast<size_t>(at)];
    break;
  }
  if (!best) return false;
  first = *best;
  return true;
}

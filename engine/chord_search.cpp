#include "engine/chord_search.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <iterator>
#include <vector>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace {

constexpr int64_t TREE_LEAF = 64;
constexpr int64_t PARTIAL_BOX_SPAN = 64 * TREE_LEAF;

// Keeps index i when its distance beats the best so far. Squared distances
// are compared first and a root is taken only when one grows; a root that
// does not grow keeps the earlier index, exactly as comparing the plain
// distances would.
struct FarthestScan {
  double best = -1;
  double best2 = -1;
  int64_t index = 0;
  void Consider(int64_t i, double d2) {
    if (d2 > best2) {
      double d = std::sqrt(d2);
      if (d > best) {
        best = d;
        best2 = d2;
        index = i;
      }
    }
  }
};

// The scan of the chord P[a]-P[b] for its farthest point is the hot loop of
// the simplification: on a 400,000-point outline it measures tens of
// millions of distances, so it measures two or four points at once. Every
// lane does the same IEEE operations in the same order as
// PointSegmentDistance2 (max(0, t) and min(1, t) keep a NaN like the scalar
// clamps do), so the chosen points are identical. Each returns the first
// index it did not measure.
#if defined(__x86_64__) && defined(__GNUC__)
#define RIBBELO_SIMD_SCAN 1

int64_t ScanChordSse2(FarthestScan& scan, const double* X, const double* Y, int64_t i, int64_t b, double ax,
                      double ay, double dx, double dy, double l2) {
  const __m128d vax = _mm_set1_pd(ax), vay = _mm_set1_pd(ay);
  const __m128d vdx = _mm_set1_pd(dx), vdy = _mm_set1_pd(dy), vl2 = _mm_set1_pd(l2);
  const __m128d zero = _mm_setzero_pd(), one = _mm_set1_pd(1.0);
  __m128d vbest2 = _mm_set1_pd(scan.best2);
  for (; i + 1 < b; i += 2) {
    __m128d rx = _mm_sub_pd(_mm_loadu_pd(X + i), vax);
    __m128d ry = _mm_sub_pd(_mm_loadu_pd(Y + i), vay);
    __m128d t = _mm_div_pd(_mm_add_pd(_mm_mul_pd(rx, vdx), _mm_mul_pd(ry, vdy)), vl2);
    t = _mm_min_pd(one, _mm_max_pd(zero, t));
    __m128d ex = _mm_sub_pd(rx, _mm_mul_pd(t, vdx));
    __m128d ey = _mm_sub_pd(ry, _mm_mul_pd(t, vdy));
    __m128d d2 = _mm_add_pd(_mm_mul_pd(ex, ex), _mm_mul_pd(ey, ey));
    if (_mm_movemask_pd(_mm_cmpgt_pd(d2, vbest2)) != 0) {
      double lanes[2];
      _mm_storeu_pd(lanes, d2);
      for (int k = 0; k < 2; k++) scan.Consider(i + k, lanes[k]);
      vbest2 = _mm_set1_pd(scan.best2);
    }
  }
  return i;
}

__attribute__((target("avx"))) int64_t ScanChordAvx(FarthestScan& scan, const double* X, const double* Y, int64_t i,
                                                     int64_t b, double ax, double ay, double dx, double dy,
                                                     double l2) {
  const __m256d vax = _mm256_set1_pd(ax), vay = _mm256_set1_pd(ay);
  const __m256d vdx = _mm256_set1_pd(dx), vdy = _mm256_set1_pd(dy), vl2 = _mm256_set1_pd(l2);
  const __m256d zero = _mm256_setzero_pd(), one = _mm256_set1_pd(1.0);
  __m256d vbest2 = _mm256_set1_pd(scan.best2);
  for (; i + 3 < b; i += 4) {
    __m256d rx = _mm256_sub_pd(_mm256_loadu_pd(X + i), vax);
    __m256d ry = _mm256_sub_pd(_mm256_loadu_pd(Y + i), vay);
    __m256d t = _mm256_div_pd(_mm256_add_pd(_mm256_mul_pd(rx, vdx), _mm256_mul_pd(ry, vdy)), vl2);
    t = _mm256_min_pd(one, _mm256_max_pd(zero, t));
    __m256d ex = _mm256_sub_pd(rx, _mm256_mul_pd(t, vdx));
    __m256d ey = _mm256_sub_pd(ry, _mm256_mul_pd(t, vdy));
    __m256d d2 = _mm256_add_pd(_mm256_mul_pd(ex, ex), _mm256_mul_pd(ey, ey));
    if (_mm256_movemask_pd(_mm256_cmp_pd(d2, vbest2, _CMP_GT_OQ)) != 0) {
      double lanes[4];
      _mm256_storeu_pd(lanes, d2);
      for (int k = 0; k < 4; k++) scan.Consider(i + k, lanes[k]);
      vbest2 = _mm256_set1_pd(scan.best2);
    }
  }
  return i;
}

const bool gHaveAvx = __builtin_cpu_supports("avx");
#endif

// The index in first .. last - 1 farthest from the segment P[a]-P[b] (the
// first of equal maxima), and its distance; a and -1 when none has one.
int64_t FarthestInRange(const double* X, const double* Y, int64_t a, int64_t b, int64_t first, int64_t last,
                        double& bestOut) {
  FarthestScan scan;
  scan.index = a;
  double ax = X[a], ay = Y[a], bx = X[b], by = Y[b];
  int64_t i = first;
#ifdef RIBBELO_SIMD_SCAN
  double dx = bx - ax, dy = by - ay;
  double l2 = dx * dx + dy * dy;
  if (l2 > 0) {
    i = gHaveAvx ? ScanChordAvx(scan, X, Y, i, last, ax, ay, dx, dy, l2)
                 : ScanChordSse2(scan, X, Y, i, last, ax, ay, dx, dy, l2);
  }
#endif
  for (; i < last; i++) scan.Consider(i, PointSegmentDistance2(X[i], Y[i], ax, ay, bx, by));
  bestOut = scan.best;
  return scan.index;
}

// Indices first .. last - 1 under a node.
void Span(const ChordTree& tree, int64_t node, int64_t& first, int64_t& last) {
  int64_t depth = 0;
  while ((node << depth) < tree.leaves) depth++;
  first = ((node << depth) - tree.leaves) * TREE_LEAF;
  last = first + (int64_t{1} << depth) * TREE_LEAF;
}

// One chord's numbers, worked out once for all the nodes it meets.
struct ChordFrame {
  double ax, ay, bx, by, dx, dy, l2, inverse, length, scale;
  ChordFrame(double ax_, double ay_, double bx_, double by_)
      : ax(ax_), ay(ay_), bx(bx_), by(by_), dx(bx_ - ax_), dy(by_ - ay_) {
    l2 = dx * dx + dy * dy;
    inverse = l2 > 0 ? 1 / l2 : 0;
    length = std::sqrt(l2);
    scale = std::max({std::fabs(ax), std::fabs(ay), std::fabs(bx), std::fabs(by)});
  }
  // Near the computed squared distance; the margins below cover the rest.
  double Distance2(double px, double py) const {
    double rx = px - ax, ry = py - ay;
    double t = std::min(1.0, std::max(0.0, (rx * dx + ry * dy) * inverse));
    double ex = rx - t * dx, ey = ry - t * dy;
    return ex * ex + ey * ey;
  }
};

// Covers the rounding of the scan's distances and of the bounds themselves,
// with room to spare.
double Margin(const ChordTree& tree, size_t node, const ChordFrame& chord) {
  double scale = std::max({std::fabs(tree.x0[node]), std::fabs(tree.x1[node]), std::fabs(tree.y0[node]),
                           std::fabs(tree.y1[node]), chord.scale});
  return 1e-9 * (scale + 1);
}

// At least the computed distance of any point under the node from the
// chord: a distance from a segment is convex, so its largest value on a box
// is at a corner. A point that is not a number has no distance and is left
// out of the boxes.
double BoxBound(const ChordTree& tree, size_t node, const ChordFrame& chord) {
  double far2 = 0;
  for (double cx : {tree.x0[node], tree.x1[node]})
    for (double cy : {tree.y0[node], tree.y1[node]}) far2 = std::max(far2, chord.Distance2(cx, cy));
  double bound = std::sqrt(far2) + Margin(tree, node, chord);
  return std::isnan(bound) ? INFINITY : bound;
}

// Index on a hull chain (x rising) of the vertex farthest along (nx, ny):
// the upper chain serves directions pointing up, the lower one those
// pointing down, and along a chain the gain per edge only falls.
int32_t Extreme(const ChordTree& tree, const std::vector<int32_t>& chain, int64_t from, int64_t to, double nx,
                double ny) {
  int64_t lo = from, hi = to - 1;
  while (lo < hi) {
    int64_t mid = lo + (hi - lo) / 2;
    int32_t p = chain[static_cast<size_t>(mid)], q = chain[static_cast<size_t>(mid) + 1];
    double gain = nx * (tree.X[q] - tree.X[p]) + ny * (tree.Y[q] - tree.Y[p]);
    if (gain < 0)
      hi = mid;
    else
      lo = mid + 1;
  }
  return chain[static_cast<size_t>(lo)];
}

double Reach(const ChordTree& tree, size_t node, const ChordFrame& chord, double nx, double ny) {
  int32_t i = ny < 0 ? Extreme(tree, tree.lower, tree.lowerFrom[node], tree.lowerTo[node], nx, ny)
                     : Extreme(tree, tree.upper, tree.upperFrom[node], tree.upperTo[node], nx, ny);
  return nx * (tree.X[i] - chord.ax) + ny * (tree.Y[i] - chord.ay);
}

// The largest distance of the node's hull from the chord: its reach across
// the chord's line and beyond either end, each found on the hull. The box's
// corners overshoot by the box's size where a chord runs slantwise past
// crowded points.
double HullBound(const ChordTree& tree, size_t node, const ChordFrame& chord) {
  if (!tree.hulls || !(chord.l2 > 0) || std::isinf(chord.l2) || tree.upperFrom[node] == tree.upperTo[node])
    return INFINITY;
  double dx = chord.dx, dy = chord.dy, length = chord.length;
  double across =
      std::max({0.0, Reach(tree, node, chord, dy, -dx), Reach(tree, node, chord, -dy, dx)}) / length;
  double beyond = std::max(
      {0.0, Reach(tree, node, chord, dx, dy) / length - length, Reach(tree, node, chord, -dx, -dy) / length});
  double bound = std::sqrt(across * across + beyond * beyond) + Margin(tree, node, chord);
  return std::isnan(bound) ? INFINITY : bound;
}

// Exactly the largest distance the scan can compute for a point of the node
// when the chord runs along an axis and the node lies within its span: the
// scan's offset across the axis (rx or ry) is exact there, and the part
// along it is off by at most 4.01 units in the last place of the point's
// offset along the chord (three roundings in t, one in t times the chord,
// one in the difference), so below 2^-50 of the chord's length. Rounding
// is monotone, so the same operations on the largest parts bound every
// point; rows of points on a line along the chord then tie with the best
// found without being measured one by one.
double AxisBound(const ChordTree& tree, size_t node, const ChordFrame& chord) {
  bool alongY = chord.dx == 0;
  if (!alongY && chord.dy != 0) return INFINITY;
  double along = alongY ? chord.dy : chord.dx;
  if (!(std::fabs(along) >= 1e-100 && std::fabs(along) <= 1e100)) return INFINITY;
  double lo = alongY ? tree.y0[node] : tree.x0[node], hi = alongY ? tree.y1[node] : tree.x1[node];
  double from = alongY ? chord.ay : chord.ax, to = alongY ? chord.by : chord.bx;
  if (!(lo >= std::min(from, to) && hi <= std::max(from, to))) return INFINITY;
  double c = alongY ? chord.ax : chord.ay;
  double c0 = alongY ? tree.x0[node] : tree.y0[node], c1 = alongY ? tree.x1[node] : tree.y1[node];
  double across = std::max(std::fabs(c0 - c), std::fabs(c1 - c));
  double slip = std::fabs(along) * 0x1p-50;
  double bound = std::sqrt(across * across + slip * slip);
  return std::isnan(bound) ? INFINITY : bound;
}

// Andrew's chain over points in (x, y) order: keeps the turns of one sense
// (upper: clockwise, lower: counter-clockwise).
void AppendChain(const double* X, const double* Y, const std::vector<int32_t>& sorted, bool upper,
                 std::vector<int32_t>& chain) {
  size_t start = chain.size();
  for (int32_t p : sorted) {
    while (chain.size() >= start + 2) {
      int32_t o = chain[chain.size() - 2], a = chain.back();
      double cross = (X[a] - X[o]) * (Y[p] - Y[o]) - (Y[a] - Y[o]) * (X[p] - X[o]);
      if (upper ? cross >= 0 : cross <= 0)
        chain.pop_back();
      else
        break;
    }
    chain.push_back(p);
  }
}

void BuildHulls(ChordTree& tree, int64_t n) {
  const double* X = tree.X;
  const double* Y = tree.Y;
  tree.hulls = n < INT32_MAX;
  for (int64_t i = 0; i < n && tree.hulls; i++) {
    if (std::isinf(X[i]) || std::isinf(Y[i]) || std::fabs(X[i]) > 1e100 || std::fabs(Y[i]) > 1e100) tree.hulls = false;
  }
  if (!tree.hulls) return;
  size_t size = static_cast<size_t>(2 * tree.leaves);
  tree.upperFrom.assign(size, 0);
  tree.upperTo.assign(size, 0);
  tree.lowerFrom.assign(size, 0);
  tree.lowerTo.assign(size, 0);
  tree.upper.clear();
  tree.lower.clear();
  auto before = [&](int32_t p, int32_t q) { return X[p] < X[q] || (X[p] == X[q] && Y[p] < Y[q]); };
  auto close = [&](size_t node, const std::vector<int32_t>& upperSorted, const std::vector<int32_t>& lowerSorted) {
    tree.upperFrom[node] = static_cast<int64_t>(tree.upper.size());
    AppendChain(X, Y, upperSorted, true, tree.upper);
    tree.upperTo[node] = static_cast<int64_t>(tree.upper.size());
    tree.lowerFrom[node] = static_cast<int64_t>(tree.lower.size());
    AppendChain(X, Y, lowerSorted, false, tree.lower);
    tree.lowerTo[node] = static_cast<int64_t>(tree.lower.size());
  };
  std::vector<int32_t> sorted;
  for (int64_t leaf = 0; leaf < tree.leaves; leaf++) {
    sorted.clear();
    for (int64_t i = leaf * TREE_LEAF; i < std::min(n, (leaf + 1) * TREE_LEAF); i++) {
      if (!std::isnan(X[i]) && !std::isnan(Y[i])) sorted.push_back(static_cast<int32_t>(i));
    }
    std::sort(sorted.begin(), sorted.end(), before);
    close(static_cast<size_t>(tree.leaves + leaf), sorted, sorted);
  }
  // A parent's upper hull is the upper hull of its children's upper chains
  // (and so for the lower one); the chains come x-sorted, so they merge.
  std::vector<int32_t> upperSorted, lowerSorted;
  for (size_t node = static_cast<size_t>(tree.leaves) - 1; node >= 1; node--) {
    size_t l = 2 * node, r = 2 * node + 1;
    auto merged = [&](const std::vector<int32_t>& chain, const std::vector<int64_t>& from,
                      const std::vector<int64_t>& to, std::vector<int32_t>& out) {
      out.clear();
      std::merge(chain.begin() + from[l], chain.begin() + to[l], chain.begin() + from[r], chain.begin() + to[r],
                 std::back_inserter(out), before);
    };
    merged(tree.upper, tree.upperFrom, tree.upperTo, upperSorted);
    merged(tree.lower, tree.lowerFrom, tree.lowerTo, lowerSorted);
    close(node, upperSorted, lowerSorted);
  }
}

}  // namespace

int64_t FarthestFromChord(const double* X, const double* Y, int64_t a, int64_t b, double& bestOut) {
  return FarthestInRange(X, Y, a, b, a + 1, b, bestOut);
}


void BuildChordTree(ChordTree& tree, const double* X, const double* Y, int64_t n) {
  tree.X = X;
  tree.Y = Y;
  int64_t blocks = (n + TREE_LEAF - 1) / TREE_LEAF;
  tree.leaves = 1;
  while (tree.leaves < blocks) tree.leaves *= 2;
  size_t size = static_cast<size_t>(2 * tree.leaves);
  tree.x0.assign(size, INFINITY);
  tree.y0.assign(size, INFINITY);
  tree.x1.assign(size, -INFINITY);
  tree.y1.assign(size, -INFINITY);
  for (int64_t i = 0; i < n; i++) {
    size_t node = static_cast<size_t>(tree.leaves + i / TREE_LEAF);
    tree.x0[node] = std::min(tree.x0[node], X[i]);
    tree.x1[node] = std::max(tree.x1[node], X[i]);
    tree.y0[node] = std::min(tree.y0[node], Y[i]);
    tree.y1[node] = std::max(tree.y1[node], Y[i]);
  }
  for (size_t node = static_cast<size_t>(tree.leaves) - 1; node >= 1; node--) {
    tree.x0[node] = std::min(tree.x0[2 * node], tree.x0[2 * node + 1]);
    tree.x1[node] = std::max(tree.x1[2 * node], tree.x1[2 * node + 1]);
    tree.y0[node] = std::min(tree.y0[2 * node], tree.y0[2 * node + 1]);
    tree.y1[node] = std::max(tree.y1[2 * node], tree.y1[2 * node + 1]);
  }
  BuildHulls(tree, n);
}

// Every node that could hold the largest distance, or an equal one at a
// lower index, bounds it, so it is searched before the search ends; equal
// bounds are taken lowest index first, and equal distances go to the lowest
// index, as in the plain scan. A leaf is scanned rather than bounded by its
// hull, which costs about as much.
int64_t FarthestByTree(const ChordTree& tree, int64_t a, int64_t b, double& bestOut) {
  const ChordFrame chord(tree.X[a], tree.Y[a], tree.X[b], tree.Y[b]);
  double best = -1;
  int64_t index = a;
  struct Entry {
    double bound;
    int64_t first, node, spanFirst, spanLast;
    bool hulled;
    bool operator<(const Entry& other) const {
      return bound < other.bound || (bound == other.bound && first > other.first);
    }
  };
  auto mayWin = [&](const Entry& e) { return e.bound > best || (e.bound == best && e.first < index); };
  auto scan = [&](int64_t first, int64_t last) {
    double found = -1;
    int64_t at = FarthestInRange(tree.X, tree.Y, a, b, first, last, found);
    if (found > best || (found == best && at < index)) {
      best = found;
      index = at;
    }
  };
  // The leaves at the chord's ends first: where chords peel off one point
  // at a time the farthest point lies in one of them, and knowing it sets
  // aside most nodes in between by their boxes alone.
  const int64_t firstLeaf = (a + 1) / TREE_LEAF, lastLeaf = (b - 1) / TREE_LEAF;
  scan(a + 1, std::min(b, (firstLeaf + 1) * TREE_LEAF));
  if (lastLeaf != firstLeaf) scan(lastLeaf * TREE_LEAF, b);
  auto scanLeaf = [&](const Entry& e) {
    if (e.node - tree.leaves != firstLeaf && e.node - tree.leaves != lastLeaf)
      scan(e.first, std::min(e.spanLast, b));
  };
  thread_local std::vector<Entry> heap, partial;
  heap.clear();
  partial.clear();
  // Nodes that reach past an end of the chord hold points beyond it, which
  // can lie farther than any inside: they are walked down to their leaves
  // (only the box of a large one is worth a try, as it can spare a whole
  // path), and the nodes wholly inside go to the heap.
  auto push = [&](const Entry& e) {
    heap.push_back(e);
    std::push_heap(heap.begin(), heap.end());
  };
  auto split = [&](const Entry& e) {
    int64_t mid = e.spanFirst + (e.spanLast - e.spanFirst) / 2;
    for (int64_t side = 0; side < 2; side++) {
      Entry child{INFINITY, 0, 2 * e.node + side, side ? mid : e.spanFirst, side ? e.spanLast : mid, false};
      child.first = std::max(child.spanFirst, a + 1);
      if (child.first >= std::min(child.spanLast, b)) continue;
      size_t node = static_cast<size_t>(child.node);
      if (child.spanFirst > a && child.spanLast <= b) {
        child.bound = std::min(BoxBound(tree, node, chord), AxisBound(tree, node, chord));
        child.hulled = child.node >= tree.leaves;
        if (mayWin(child)) push(child);
        continue;
      }
      if (child.spanLast - child.spanFirst >= PARTIAL_BOX_SPAN) child.bound = BoxBound(tree, node, chord);
      if (mayWin(child)) partial.push_back(child);
    }
  };
  int64_t rootFirst, rootLast;
  Span(tree, 1, rootFirst, rootLast);
  partial.push_back({INFINITY, a + 1, 1, rootFirst, rootLast, true});
  while (!partial.empty()) {
    Entry e = partial.back();
    partial.pop_back();
    if (e.node >= tree.leaves)
      scanLeaf(e);
    else
      split(e);
  }
  // Best first among the nodes wholly inside; a node's hull is looked at
  // only when it comes to the top by its box.
  while (!heap.empty() && mayWin(heap.front())) {
    std::pop_heap(heap.begin(), heap.end());
    Entry e = heap.back();
    heap.pop_back();
    if (!e.hulled) {
      e.hulled = true;
      e.bound = std::min(e.bound, HullBound(tree, static_cast<size_t>(e.node), chord));
      if (mayWin(e)) push(e);
    } else if (e.node >= tree.leaves) {
      scanLeaf(e);
    } else {
      split(e);
    }
  }
  bestOut = best;
  return index;
}

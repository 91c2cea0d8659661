#include "engine/chord_search.h"

#include <algorithm>
#include <cmath>
#include <queue>
#include <vector>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace {

constexpr int64_t TREE_LEAF = 64;

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

// At least the computed distance of any point under the node from the
// chord: a distance from a segment is convex, so its largest value on a box
// is at a corner; the margin covers the rounding of both sides. A point
// that is not a number has no distance and is left out of the boxes.
double Bound(const ChordTree& tree, size_t node, double ax, double ay, double bx, double by) {
  double far2 = 0;
  for (double cx : {tree.x0[node], tree.x1[node]})
    for (double cy : {tree.y0[node], tree.y1[node]})
      far2 = std::max(far2, PointSegmentDistance2(cx, cy, ax, ay, bx, by));
  double scale = std::max({std::fabs(tree.x0[node]), std::fabs(tree.x1[node]), std::fabs(tree.y0[node]),
                           std::fabs(tree.y1[node]), std::fabs(ax), std::fabs(ay), std::fabs(bx), std::fabs(by)});
  double bound = std::sqrt(far2) + 1e-9 * (scale + 1);
  return std::isnan(bound) ? INFINITY : bound;
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
}

// Every box that could hold the largest distance bounds it with a margin to
// spare, so it is searched before the search ends; equal distances go to
// the lowest index, as in the plain scan.
int64_t FarthestByTree(const ChordTree& tree, int64_t a, int64_t b, double& bestOut) {
  const double ax = tree.X[a], ay = tree.Y[a], bx = tree.X[b], by = tree.Y[b];
  double best = -1;
  int64_t index = a;
  using Entry = std::pair<double, int64_t>;
  std::priority_queue<Entry> open;
  open.push({INFINITY, 1});
  while (!open.empty() && open.top().first > best) {
    int64_t node = open.top().second;
    open.pop();
    int64_t first, last;
    Span(tree, node, first, last);
    first = std::max(first, a + 1);
    last = std::min(last, b);
    if (first >= last) continue;
    if (node >= tree.leaves) {
      double found = -1;
      int64_t at = FarthestInRange(tree.X, tree.Y, a, b, first, last, found);
      if (found > best || (found == best && at < index)) {
        best = found;
        index = at;
      }
      continue;
    }
    for (int64_t child : {2 * node, 2 * node + 1}) {
      double bound = Bound(tree, static_cast<size_t>(child), ax, ay, bx, by);
      if (bound > best) open.push({bound, child});
    }
  }
  bestOut = best;
  return index;
}

#include "engine/polyline.h"

#include <cmath>
#include <vector>

#if defined(__x86_64__) && defined(__GNUC__)
#include <immintrin.h>
#endif

namespace {

constexpr int64_t CLEARANCE_SAMPLES = 200;
constexpr double CLEARANCE_FACTOR = 0.9;

// Squared distance from P to the segment A-B, the parameter clamped to it.
double PointSegmentDistance2(double px, double py, double ax, double ay, double bx, double by) {
  double dx = bx - ax;
  double dy = by - ay;
  double l2 = dx * dx + dy * dy;
  double t = 0;
  if (l2 > 0) {
    t = ((px - ax) * dx + (py - ay) * dy) / l2;
    if (t < 0) t = 0;
    if (t > 1) t = 1;
  }
  double ex = px - ax - t * dx;
  double ey = py - ay - t * dy;
  return ex * ex + ey * ey;
}

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

// The index in a+1 .. b-1 farthest from the segment P[a]-P[b] (the first of
// equal maxima), and its distance.
int64_t FarthestFromChord(const double* X, const double* Y, int64_t a, int64_t b, double& bestOut) {
  FarthestScan scan;
  scan.index = a;
  double ax = X[a], ay = Y[a], bx = X[b], by = Y[b];
  int64_t i = a + 1;
#ifdef RIBBELO_SIMD_SCAN
  double dx = bx - ax, dy = by - ay;
  double l2 = dx * dx + dy * dy;
  if (l2 > 0) {
    i = gHaveAvx ? ScanChordAvx(scan, X, Y, i, b, ax, ay, dx, dy, l2) : ScanChordSse2(scan, X, Y, i, b, ax, ay, dx, dy, l2);
  }
#endif
  for (; i < b; i++) scan.Consider(i, PointSegmentDistance2(X[i], Y[i], ax, ay, bx, by));
  bestOut = scan.best;
  return scan.index;
}

}  // namespace

double PointSegmentDistance(double px, double py, double ax, double ay, double bx, double by) {
  return std::sqrt(PointSegmentDistance2(px, py, ax, ay, bx, by));
}

void SimplifyClosedPolyline(const PointList& source, double tolerance, PointList& destination) {
  if (&source == &destination) {
    // Emptying the destination first would lose the ring.
    PointList copy = source;
    SimplifyClosedPolyline(copy, tolerance, destination);
    return;
  }
  destination.clear();
  int64_t n = static_cast<int64_t>(source.size());
  if (n < 4 || !(tolerance > 0)) {
    destination = source;
    return;
  }
  // Index n is a copy of point 0, so the ring is handled as an open chain 0..n.
  std::vector<double> X(static_cast<size_t>(n) + 1), Y(static_cast<size_t>(n) + 1);
  for (int64_t i = 0; i < n; i++) {
    X[i] = source[i].x;
    Y[i] = source[i].y;
  }
  X[n] = X[0];
  Y[n] = Y[0];
  std::vector<unsigned char> keep(static_cast<size_t>(n) + 1, 0);

  int64_t far = 0;
  double farD2 = 0;
  for (int64_t i = 1; i < n; i++) {
    double dx = X[i] - X[0];
    double dy = Y[i] - Y[0];
    double d2 = dx * dx + dy * dy;
    if (d2 > farD2) {
      farD2 = d2;
      far = i;
    }
  }
  keep[0] = keep[far] = keep[n] = 1;

  // Explicit stack: outlines reach hundreds of thousands of points, too deep
  // for recursion on a degenerate (spiral-like) ring.
  std::vector<int64_t> stack;
  stack.reserve(2 * static_cast<size_t>(n) + 5);
  stack.push_back(0);
  stack.push_back(far);
  stack.push_back(far);
  stack.push_back(n);
  while (!stack.empty()) {
    int64_t b = stack.back();
    stack.pop_back();
    int64_t a = stack.back();
    stack.pop_back();
    if (b - a < 2) continue;
    double best = 0;
    int64_t bestIndex = FarthestFromChord(X.data(), Y.data(), a, b, best);
    if (best > tolerance) {
      keep[bestIndex] = 1;
      stack.push_back(a);
      stack.push_back(bestIndex);
      stack.push_back(bestIndex);
      stack.push_back(b);
    }
  }

  // Point 0 was kept only because the chain had to start somewhere; drop it
  // when the stretch across the closing edge is straight enough without it.
  int64_t a = n - 1;
  while (a > 0 && !keep[a]) a--;
  int64_t b = 1;
  while (b < n && !keep[b]) b++;
  if (b < n && a > b) {
    double worst = 0;
    for (int64_t i = a + 1; i < n + b; i++) {
      int64_t k = i % n;
      double d = PointSegmentDistance(X[k], Y[k], X[a], Y[a], X[b], Y[b]);
      if (d > worst) worst = d;
    }
    if (worst <= tolerance) keep[0] = 0;
  }

  for (int64_t i = 0; i < n; i++) {
    if (keep[i]) destination.push_back(source[i]);
  }
}

int64_t CheckOffsetClearance(const PointList& source, const double* x, const double* y, int64_t n, double d) {
  int64_t step = n / CLEARANCE_SAMPLES;
  if (step < 1) step = 1;
  size_t m = source.size();
  for (int64_t k = 0; k < n; k += step) {
    double best = 1e300;
    for (size_t i = 0; i < m; i++) {
      const OutlinePoint& p = source[i];
      const OutlinePoint& q = source[(i + 1) % m];
      double d2 = PointSegmentDistance2(x[k], y[k], p.x, p.y, q.x, q.y);
      if (d2 < best) best = d2;
    }
    if (std::sqrt(best) < CLEARANCE_FACTOR * d - 1e-6) return 0;
  }
  return 1;
}

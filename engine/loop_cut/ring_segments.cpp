#include "engine/loop_cut/ring_segments.h"

#include <cmath>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

double SegmentLength(const double* x, const double* y, int64_t n, int64_t k) {
  int64_t k1 = k + 1 == n ? 0 : k + 1;
  double dx = x[k1] - x[k], dy = y[k1] - y[k];
  return std::sqrt(dx * dx + dy * dy);
}

void MeasureLengths(const double* x, const double* y, int64_t n, double* length) {
  // Two at a time in SSE2 (the compiler keeps std::sqrt scalar for errno),
  // with the same operations in the same order; the wrap comes last.
  int64_t k = 0;
#ifdef __SSE2__
  for (; k + 2 < n; k += 2) {
    const __m128d dx = _mm_sub_pd(_mm_loadu_pd(x + k + 1), _mm_loadu_pd(x + k));
    const __m128d dy = _mm_sub_pd(_mm_loadu_pd(y + k + 1), _mm_loadu_pd(y + k));
    _mm_storeu_pd(length + k, _mm_sqrt_pd(_mm_add_pd(_mm_mul_pd(dx, dx), _mm_mul_pd(dy, dy))));
  }
#endif
  for (; k < n; ++k) length[k] = SegmentLength(x, y, n, k);
}

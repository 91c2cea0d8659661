#include "engine/exact_orient.h"

#include <cmath>

namespace {

void TwoSum(double a, double b, double& sum, double& error) {
  sum = a + b;
  double bv = sum - a;
  double av = sum - bv;
  error = (a - av) + (b - bv);
}

// The sign of the exact sum of the terms, by growing a non-overlapping
// expansion; its largest non-zero component carries the sign.
int ExactSumSign(const double* terms, int count) {
  double h[16];
  int m = 0;
  for (int t = 0; t < count; ++t) {
    double q = terms[t];
    for (int k = 0; k < m; ++k) TwoSum(q, h[k], q, h[k]);
    h[m++] = q;
  }
  for (int k = m - 1; k >= 0; --k)
    if (h[k] != 0) return h[k] > 0 ? 1 : -1;
  return 0;
}
}  // namespace

int OrientExactSlow(double ax, double ay, double bx, double by, double cx, double cy) {
  // Segments that share an end point ask this often; such a turn is
  // straight without the exact sum.
  if ((cx == ax && cy == ay) || (cx == bx && cy == by) || (ax == bx && ay == by)) return 0;
  // (b - a) x (c - a) written out as six products, each split exactly.
  const double factors[6][2] = {{bx, cy}, {-ay, bx}, {-ax, cy}, {-by, cx}, {ax, by}, {ay, cx}};
  double terms[12];
  for (int k = 0; k < 6; ++k) {
    double p = factors[k][0] * factors[k][1];
    terms[2 * k] = std::fma(factors[k][0], factors[k][1], -p);
    terms[2 * k + 1] = p;
  }
  return ExactSumSign(terms, 12);
}

// What the routes of the loop cut hand each other about a ring: crossing
// pairs by segment index, and the segments' lengths, measured once.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/exact_sum.h"

// A ring of n points as two coordinate arrays, as the walk and the outline
// check read it (the crossing set holds its ring as linked slots instead,
// which a cut edits in place); segment k runs from point k to point
// (k + 1) mod n.
struct RingArrays {
  const double* x;
  const double* y;
  int64_t n;
};

// The point after point k, round the ring.
inline int64_t NextPoint(const RingArrays& ring, int64_t k) { return k + 1 == ring.n ? 0 : k + 1; }

// Two crossing segments s1 < s2 (by index).
struct CrossingPair {
  int64_t s1, s2;
};

// Segment lengths and their sum already measured for a ring.
struct RingLengths {
  const std::vector<double>* length;
  const ExactSum* sum;
};

// The length of segment k (from point k to point (k + 1) mod n).
double SegmentLength(const double* x, const double* y, int64_t n, int64_t k);
// The lengths of all n segments.
void MeasureLengths(const double* x, const double* y, int64_t n, double* length);

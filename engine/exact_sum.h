// A sum of doubles kept exactly, so that terms can be added and taken away
// in any order and the rounded total is always the same: the perimeter of a
// ring that loses loops one at a time is updated from the lengths that
// change instead of being summed again.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

struct ExactSum {
  // Base 2^32 digits of the sum in units of 2^-1074; a digit may run over
  // its 32 bits until the next carry pass.
  std::array<int64_t, 66> digit{};
  int64_t sinceCarry = 0;
  // Terms that are NaN, +infinity and -infinity, added less taken away.
  int64_t nans = 0, above = 0, below = 0;
};

void ClearExactSum(ExactSum& sum);
void AddToExactSum(ExactSum& sum, double v);
void TakeFromExactSum(ExactSum& sum, double v);
// The same for n terms at once, faster where there are many.
void AddAllToExactSum(ExactSum& sum, const double* v, size_t n);
void TakeAllFromExactSum(ExactSum& sum, const double* v, size_t n);
// The sum rounded to the nearest double (ties to even), infinite beyond
// the largest double; with infinite or NaN terms in it, what a plain sum of
// the terms would give.
double RoundedExactSum(const ExactSum& sum);

#include "engine/exact_sum.h"

#include <bit>
#include <cmath>
#include <limits>

namespace {

constexpr int64_t DIGIT_BITS = 32;
constexpr int64_t DIGIT_MASK = (int64_t{1} << DIGIT_BITS) - 1;
// Each term adds less than 2^32 to a digit; an int64 digit takes 2^30 of
// them with room to spare.
constexpr int64_t CARRY_EVERY = int64_t{1} << 30;

// Brings every digit but the top one into [0, 2^32).
void Carry(std::array<int64_t, 66>& d) {
  for (size_t k = 0; k + 1 < d.size(); ++k) {
    int64_t carry = d[k] >> DIGIT_BITS;
    d[k] &= DIGIT_MASK;
    d[k + 1] += carry;
  }
}

void Add(ExactSum& sum, double v, int64_t sign) {
  if (!std::isfinite(v)) {
    (std::isnan(v) ? sum.nans : v > 0 ? sum.above : sum.below) += sign;
    return;
  }
  if (v == 0) return;
  uint64_t bits = std::bit_cast<uint64_t>(v);
  if ((bits >> 63) != 0) sign = -sign;
  int64_t exponent = static_cast<int64_t>((bits >> 52) & 0x7ff);
  uint64_t mantissa = bits & ((uint64_t{1} << 52) - 1);
  // v = mantissa * 2^(position - 1074).
  int64_t position = 0;
  if (exponent > 0) {
    mantissa |= uint64_t{1} << 52;
    position = exponent - 1;
  }
  unsigned __int128 shifted = static_cast<unsigned __int128>(mantissa) << (position % DIGIT_BITS);
  size_t at = static_cast<size_t>(position / DIGIT_BITS);
  for (size_t k = 0; k < 3; ++k) {
    sum.digit[at + k] += sign * static_cast<int64_t>(static_cast<uint64_t>(shifted) & DIGIT_MASK);
    shifted >>= DIGIT_BITS;
  }
  if (++sum.sinceCarry >= CARRY_EVERY) {
    Carry(sum.digit);
    sum.sinceCarry = 0;
  }
}

}  // namespace

void ClearExactSum(ExactSum& sum) { sum = ExactSum{}; }

void AddToExactSum(ExactSum& sum, double v) { Add(sum, v, 1); }

void TakeFromExactSum(ExactSum& sum, double v) { Add(sum, v, -1); }

double RoundedExactSum(const ExactSum& sum) {
  constexpr double INF = std::numeric_limits<double>::infinity();
  if (sum.nans != 0 || (sum.above != 0 && sum.below != 0)) return std::numeric_limits<double>::quiet_NaN();
  if (sum.above != 0) return INF;
  if (sum.below != 0) return -INF;
  std::array<int64_t, 66> d = sum.digit;
  Carry(d);
  double sign = 1;
  if (d.back() < 0) {
    for (int64_t& v : d) v = -v;
    Carry(d);
    sign = -1;
  }
  int64_t top = static_cast<int64_t>(d.size()) - 1;
  while (top >= 0 && d[top] == 0) --top;
  if (top < 0) return 0;
  if (d[top] > DIGIT_MASK) return sign * INF;
  // The top four digits, with every digit below folded into a sticky bit:
  // they hold at least 97 bits where the total is not tiny, far more than
  // a double's 53, so the one rounding below is the rounding of the sum.
  unsigned __int128 head = 0;
  for (int64_t k = top; k > top - 4; --k) head = (head << DIGIT_BITS) | static_cast<uint64_t>(k >= 0 ? d[k] : 0);
  bool sticky = false;
  for (int64_t k = top - 4; k >= 0; --k) sticky = sticky || d[k] != 0;
  int bits = 128 - (std::countl_zero(static_cast<uint64_t>(head >> 64)) +
                    ((head >> 64) == 0 ? std::countl_zero(static_cast<uint64_t>(head)) : 0));
  int drop = bits - 53;
  uint64_t kept = static_cast<uint64_t>(head >> drop);
  unsigned __int128 rest = head & ((static_cast<unsigned __int128>(1) << drop) - 1);
  unsigned __int128 half = static_cast<unsigned __int128>(1) << (drop - 1);
  if (rest > half || (rest == half && (sticky || (kept & 1) != 0)) ) ++kept;
  int scale = static_cast<int>(DIGIT_BITS * (top - 3) + drop - 1074);
  return sign * std::ldexp(static_cast<double>(kept), scale);
}

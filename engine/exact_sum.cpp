#include "engine/exact_sum.h"

#include <algorithm>
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

// Adds sign * magnitude * 2^(position - 1074); magnitude < 2^63.
void AddScaled(ExactSum& sum, uint64_t magnitude, int64_t position, int64_t sign) {
  unsigned __int128 shifted = static_cast<unsigned __int128>(magnitude) << (position % DIGIT_BITS);
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
  AddScaled(sum, mantissa, position, sign);
}

// Many terms: mantissas of one exponent are first added up in an int64 (a
// run of MANY_RUN of them stays below 2^63), then each total goes into the
// digits once.
constexpr size_t MANY_RUN = 1024;
constexpr size_t MANY_MIN = 256;

void AddMany(ExactSum& sum, const double* v, size_t n, int64_t sign) {
  if (n < MANY_MIN) {
    for (size_t k = 0; k < n; ++k) Add(sum, v[k], sign);
    return;
  }
  std::array<int64_t, 2047> total{};
  for (size_t from = 0; from < n; from += MANY_RUN) {
    const size_t to = std::min(n, from + MANY_RUN);
    int64_t low = static_cast<int64_t>(total.size()), high = -1;
    for (size_t k = from; k < to; ++k) {
      uint64_t bits = std::bit_cast<uint64_t>(v[k]);
      int64_t exponent = static_cast<int64_t>((bits >> 52) & 0x7ff);
      if (exponent == 0x7ff) {
        Add(sum, v[k], sign);
        continue;
      }
      int64_t mantissa = static_cast<int64_t>(bits & ((uint64_t{1} << 52) - 1));
      int64_t position = 0;
      if (exponent > 0) {
        mantissa |= int64_t{1} << 52;
        position = exponent - 1;
      }
      total[position] += (bits >> 63) != 0 ? -mantissa : mantissa;
      low = std::min(low, position);
      high = std::max(high, position);
    }
    for (int64_t position = low; position <= high; ++position) {
      int64_t t = total[position];
      if (t == 0) continue;
      total[position] = 0;
      AddScaled(sum, t < 0 ? uint64_t{0} - static_cast<uint64_t>(t) : static_cast<uint64_t>(t), position,
                t < 0 ? -sign : sign);
    }
  }
}

}  // namespace

void ClearExactSum(ExactSum& sum) { sum = ExactSum{}; }

void AddToExactSum(ExactSum& sum, double v) { Add(sum, v, 1); }

void TakeFromExactSum(ExactSum& sum, double v) { Add(sum, v, -1); }

void AddAllToExactSum(ExactSum& sum, const double* v, size_t n) { AddMany(sum, v, n, 1); }

void TakeAllFromExactSum(ExactSum& sum, const double* v, size_t n) { AddMany(sum, v, n, -1); }

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

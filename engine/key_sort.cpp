#include "engine/key_sort.h"

#include <algorithm>
#include <bit>
#include <cstddef>

uint64_t OrderKey(double d) {
  uint64_t u = std::bit_cast<uint64_t>(d);
  return (u >> 63) != 0 ? ~u : (u | (uint64_t{1} << 63));
}

double FromOrderKey(uint64_t key) {
  return std::bit_cast<double>((key >> 63) != 0 ? (key & ~(uint64_t{1} << 63)) : ~key);
}

void SortByKey(std::vector<KeyedIndex>& v, std::vector<KeyedIndex>& space) {
  constexpr int DIGIT_BITS = 11;
  constexpr uint64_t DIGIT = (uint64_t{1} << DIGIT_BITS) - 1;
  if (v.size() < 2) return;
  // Digits where every key agrees are passed over: values of one region
  // share their leading bits.
  uint64_t differ = 0;
  for (const KeyedIndex& e : v) differ |= e.key ^ v[0].key;
  space.resize(v.size());
  std::vector<uint32_t> start(DIGIT + 2);
  for (int shift = 0; shift < 64; shift += DIGIT_BITS) {
    if (((differ >> shift) & DIGIT) == 0) continue;
    std::fill(start.begin(), start.end(), 0);
    for (const KeyedIndex& e : v) ++start[((e.key >> shift) & DIGIT) + 1];
    for (size_t d = 0; d <= DIGIT; ++d) start[d + 1] += start[d];
    for (const KeyedIndex& e : v) space[start[(e.key >> shift) & DIGIT]++] = e;
    v.swap(space);
  }
}

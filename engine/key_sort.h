// Sorting by 64-bit integer keys: a radix sort that keeps entries of equal
// key in the order they came, for sweeps over many segments where a
// comparison sort of their events costs more than the sweep.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

struct KeyedIndex {
  uint64_t key;
  uint32_t index;
};

// Doubles as integers in the same order (-0 before +0; NaN has no place).
uint64_t OrderKey(double d);
double FromOrderKey(uint64_t key);

// Sorts v by the integer keyOf(entry), stable; `space` is scratch room.
// Digits (11 bits) on which every key agrees are passed over: values of one
// region share their leading bits.
template <typename T, typename KeyOf>
void RadixSortBy(std::vector<T>& v, std::vector<T>& space, KeyOf keyOf) {
  constexpr int DIGIT_BITS = 11;
  constexpr uint64_t DIGIT = (uint64_t{1} << DIGIT_BITS) - 1;
  if (v.size() < 2) return;
  const uint64_t firstKey = keyOf(v[0]);
  uint64_t differ = 0;
  for (const T& e : v) differ |= keyOf(e) ^ firstKey;
  space.resize(v.size());
  std::vector<size_t> start(DIGIT + 2);
  for (int shift = 0; shift < 64; shift += DIGIT_BITS) {
    if (((differ >> shift) & DIGIT) == 0) continue;
    std::fill(start.begin(), start.end(), 0);
    for (const T& e : v) ++start[((keyOf(e) >> shift) & DIGIT) + 1];
    for (size_t d = 0; d <= DIGIT; ++d) start[d + 1] += start[d];
    for (const T& e : v) space[start[(keyOf(e) >> shift) & DIGIT]++] = e;
    v.swap(space);
  }
}

// Sorts by key, stable; `space` is scratch room.
void SortByKey(std::vector<KeyedIndex>& v, std::vector<KeyedIndex>& space);

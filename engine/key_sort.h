// Sorting by 64-bit integer keys: a radix sort that keeps entries of equal
// key in the order they came, for sweeps over many segments where a
// comparison sort of their events costs more than the sweep.
#pragma once

#include <cstdint>
#include <vector>

struct KeyedIndex {
  uint64_t key;
  uint32_t index;
};

// Doubles as integers in the same order (-0 before +0; NaN has no place).
uint64_t OrderKey(double d);
double FromOrderKey(uint64_t key);

// Sorts by key, stable; `space` is scratch room.
void SortByKey(std::vector<KeyedIndex>& v, std::vector<KeyedIndex>& space);

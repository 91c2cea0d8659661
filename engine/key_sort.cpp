#include "engine/key_sort.h"

#include <bit>

uint64_t OrderKey(double d) {
  uint64_t u = std::bit_cast<uint64_t>(d);
  return (u >> 63) != 0 ? ~u : (u | (uint64_t{1} << 63));
}

double FromOrderKey(uint64_t key) {
  return std::bit_cast<double>((key >> 63) != 0 ? (key & ~(uint64_t{1} << 63)) : ~key);
}

void SortByKey(std::vector<KeyedIndex>& v, std::vector<KeyedIndex>& space) {
  RadixSortBy(v, space, [](const KeyedIndex& e) { return e.key; });
}

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <vector>

#include "engine/key_sort.h"

namespace {

// The radix sort against a stable comparison sort, on keys of doubles that
// differ only in their last bits, in their sign or not at all, and that
// agree on whole digits in between.
TEST(KeySort, SortsAsAStableSortByKey) {
  std::mt19937_64 random(5);
  std::vector<double> values;
  for (int k = 0; k < 3000; ++k) values.push_back(1 + static_cast<double>(random() % 4096) * 0x1p-52);
  for (int k = 0; k < 1000; ++k) values.push_back(-std::ldexp(1.0 + static_cast<double>(random() % 7), k % 40 - 20));
  for (double v : {0.0, -0.0, 1.0, 1e300, -1e-300}) values.push_back(v);
  std::shuffle(values.begin(), values.end(), random);
  std::vector<KeyedIndex> sorted, space;
  for (size_t k = 0; k < values.size(); ++k) sorted.push_back(KeyedIndex{OrderKey(values[k]), static_cast<uint32_t>(k)});
  std::vector<KeyedIndex> expected = sorted;
  std::stable_sort(expected.begin(), expected.end(),
                   [](const KeyedIndex& a, const KeyedIndex& b) { return a.key < b.key; });
  SortByKey(sorted, space);
  ASSERT_EQ(sorted.size(), expected.size());
  for (size_t k = 0; k < sorted.size(); ++k) {
    ASSERT_EQ(sorted[k].index, expected[k].index) << k;
    if (k > 0) {
      EXPECT_LE(values[sorted[k - 1].index], values[sorted[k].index]);
    }
  }
  EXPECT_EQ(FromOrderKey(OrderKey(-1e-300)), -1e-300);
  EXPECT_LT(OrderKey(-0.0), OrderKey(0.0));
}

}  // namespace

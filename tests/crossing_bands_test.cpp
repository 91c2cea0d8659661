#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <tuple>
#include <vector>

#include "engine/loop_cut/crossing_bands.h"

namespace {

// Pairs come and go (their slots' versions move on) and the grid changes
// its cell and origin between searches, as cuts do; the first pair must
// always be the least (row, column, order) of those that hold, whether it
// sits in the tree or among the pairs found since.
TEST(CrossingBands, FirstPairIsTheLeastByRowColumnAndOrderAsTheGridMoves) {
  std::mt19937_64 random(11);
  std::uniform_real_distribution<double> unit(0, 1);
  constexpr int SLOTS = 300;
  std::vector<uint32_t> version(SLOTS, 0);
  std::vector<BandEntry> added;
  CrossingBands bands;
  int64_t work = 0;
  for (int round = 0; round < 400; ++round) {
    const int adds = static_cast<int>(unit(random) * (round < 40 ? 60 : 12));
    for (int k = 0; k < adds; ++k) {
      int32_t a = static_cast<int32_t>(unit(random) * SLOTS), b = static_cast<int32_t>(unit(random) * SLOTS);
      // Coarse values share rows and columns.
      double bottom = std::floor(unit(random) * 400) / 4, left = std::floor(unit(random) * 400) / 4;
      uint64_t order = static_cast<uint64_t>(a) << 32 | static_cast<uint64_t>(b);
      BandEntry e{bottom, left, order, a, b, version[a], version[b]};
      added.push_back(e);
      AddBand(bands, e);
    }
    for (int k = static_cast<int>(unit(random) * 4); k > 0; --k) ++version[static_cast<size_t>(unit(random) * SLOTS)];
    const double cell = 0.5 + unit(random) * 12, minX = -unit(random), minY = -unit(random);
    const CrossingGrid grid{minX, minY, cell, 1 / cell, static_cast<int64_t>((100 - minX) / cell) + 1,
                            static_cast<int64_t>((100 - minY) / cell) + 1};
    auto rank = [&grid](const BandEntry& e) {
      return std::make_tuple(GridCell(grid, e.bottom, grid.minY), GridCell(grid, e.left, grid.minX), e.order);
    };
    const BandEntry* want = nullptr;
    for (const BandEntry& e : added)
      if (version[e.a] == e.versionA && version[e.b] == e.versionB && (!want || rank(e) < rank(*want))) want = &e;
    BandEntry got{};
    ASSERT_EQ(FirstBand(bands, grid, version, got, work), want != nullptr) << "round " << round;
    if (want) {
      ASSERT_EQ(rank(got), rank(*want)) << "round " << round;
    }
  }
  EXPECT_GT(bands.sorted.size(), 100u);
  EXPECT_FALSE(bands.fresh.empty());
}

}  // namespace

// The crossing pairs of a ring whose search grid moves with every cut, kept
// by what no grid moves: the higher of the pair's box bottoms and the
// further of its box left sides. The plain search's first pair in any grid
// is then the least (row, column, indices), found by a k-d tree over those
// two values that knows the least of each and of the indices below every
// node.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/loop_cut/crossing_grid.h"

// A pair of segments from slots a and b (a first on the ring), known to
// cross while both slots' versions hold; `order` is the pair's place in
// index order (a's key above b's).
struct BandEntry {
  double bottom, left;
  uint64_t order;
  int32_t a, b;
  uint32_t versionA, versionB;
};

// The least values of the pairs under a node that are not known to be gone,
// with the positions that hold them, and the greatest bottom and left side.
struct BandSummary {
  double minBottom, maxBottom, minLeft, maxLeft;
  uint64_t minOrder;
  int32_t atBottom, atLeft, atOrder;
};

struct CrossingBands {
  // The tree: the pairs at positions [lo, hi) split at the middle one, whose
  // summary covers them all; `alive` is cleared for a pair found gone.
  std::vector<BandEntry> sorted;
  std::vector<BandSummary> summary;
  std::vector<char> alive;
  // Pairs found since the tree was made, looked at one by one until they
  // are many.
  std::vector<BandEntry> fresh;
};

void ClearBands(CrossingBands& bands);
void AddBand(CrossingBands& bands, const BandEntry& e);
// The pair the plain search in `grid` meets first among those that hold by
// the slots' versions: false when none does. `work` grows by the pairs and
// nodes looked at.
bool FirstBand(CrossingBands& bands, const CrossingGrid& grid, const std::vector<uint32_t>& version, BandEntry& first,
               int64_t& work);
// Every pair that holds, once each.
void HoldingBands(const CrossingBands& bands, const std::vector<uint32_t>& version, std::vector<BandEntry>& out);

#include "engine/chord_search.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <utility>
#include <vector>

namespace {

// The tree must give the plain scan's answer to the bit: the same distance
// and, among equal distances, the same (first) index.
void ExpectSameAsPlainScan(const std::vector<double>& x, const std::vector<double>& y, std::mt19937_64& random,
                           int chords) {
  const int64_t n = static_cast<int64_t>(x.size());
  ChordTree tree;
  BuildChordTree(tree, x.data(), y.data(), n);
  std::uniform_int_distribution<int64_t> pick(0, n - 1);
  for (int c = 0; c < chords; ++c) {
    int64_t a = pick(random), b = pick(random);
    if (a > b) std::swap(a, b);
    double plain = 0, fast = 0;
    int64_t want = FarthestFromChord(x.data(), y.data(), a, b, plain);
    int64_t got = FarthestByTree(tree, a, b, fast);
    ASSERT_EQ(got, want) << a << " " << b;
    if (std::isnan(plain))
      EXPECT_TRUE(std::isnan(fast));
    else
      EXPECT_EQ(fast, plain);
  }
}

TEST(ChordTree, GivesThePlainScansPointOnTiesColumnsFlipsAndHoles) {
  std::mt19937_64 random(7);
  const int n = 5000;
  // Points on a coarse grid: many equal distances from every chord.
  std::vector<double> x(n), y(n);
  std::uniform_int_distribution<int> cell(-6, 6);
  for (int i = 0; i < n; ++i) x[i] = cell(random), y[i] = cell(random);
  ExpectSameAsPlainScan(x, y, random, 400);
  // A zigzag whose swing grows along it, with steps of equal swing.
  for (int i = 0; i < n; ++i) x[i] = i * 0.01, y[i] = (i % 2 ? 1 : -1) * (1 + (i / 50) * 0.5);
  ExpectSameAsPlainScan(x, y, random, 400);
  // Two columns climbing: every chord along a column ties with the whole
  // other column, and every slanting chord nearly ties along both.
  for (int i = 0; i < n; ++i) x[i] = i % 2 ? 20 : -20, y[i] = i * 0.0005;
  ExpectSameAsPlainScan(x, y, random, 400);
  for (int i = 0; i < n; ++i) std::swap(x[i], y[i]);
  ExpectSameAsPlainScan(x, y, random, 400);
  // Scattered points: hulls of every shape.
  std::normal_distribution<double> spread(0, 30);
  for (int i = 0; i < n; ++i) x[i] = spread(random), y[i] = spread(random);
  ExpectSameAsPlainScan(x, y, random, 400);
  // Points that are not numbers are passed over by both, and an infinite
  // one leaves the tree without hulls.
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (int i = 0; i < n; i += 97) x[i] = nan;
  ExpectSameAsPlainScan(x, y, random, 400);
  y[1234] = std::numeric_limits<double>::infinity();
  ExpectSameAsPlainScan(x, y, random, 400);
}

TEST(ChordTree, ARowAlongTheChordTiesToTheBitWithAFartherLookingNodeAfterIt) {
  // A chord up the y axis; points 1 mm off it early and late in the chain.
  // The late block also reaches past the chord's end, so its box promises
  // more and it is searched first: the early block, equally far to the bit,
  // must still be searched and win by its lower index.
  const int n = 4096;
  std::vector<double> x(n, 0), y(n);
  for (int i = 0; i < n; ++i) y[i] = i * 0.01;
  for (int i = 200; i < 260; i += 2) x[i] = 1;
  for (int i = 3000; i < 3060; i += 2) x[i] = 1;
  y[3001] = y[n - 1] + 0.5;
  ChordTree tree;
  BuildChordTree(tree, x.data(), y.data(), n);
  double plain = 0, fast = 0;
  EXPECT_EQ(FarthestByTree(tree, 0, n - 1, fast), FarthestFromChord(x.data(), y.data(), 0, n - 1, plain));
  EXPECT_EQ(fast, plain);
  EXPECT_EQ(FarthestFromChord(x.data(), y.data(), 0, n - 1, plain), 200);
}

}  // namespace

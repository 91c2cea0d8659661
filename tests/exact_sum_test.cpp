#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <vector>

#include "engine/exact_sum.h"

namespace {

double SumOf(const std::vector<double>& terms) {
  ExactSum sum;
  for (double v : terms) AddToExactSum(sum, v);
  return RoundedExactSum(sum);
}

TEST(ExactSum, RoundsTheTrueSumOnce) {
  // A plain sum loses the 1 and gives 0.
  EXPECT_EQ(SumOf({1e16, 1, -1e16}), 1);
  // Ten tenths are 1 + 5.55e-17 exactly, which rounds to 1 (a plain sum
  // gives 0.9999999999999999).
  EXPECT_EQ(SumOf(std::vector<double>(10, 0.1)), 1);
  // Halfway between two doubles: to the even one, unless anything lies
  // beyond the half, however small.
  EXPECT_EQ(SumOf({0x1p53, 1}), 0x1p53);
  EXPECT_EQ(SumOf({0x1p53, 3}), 0x1p53 + 4);
  EXPECT_EQ(SumOf({0x1p53, 1, 0x1p-1000}), 0x1p53 + 2);
  EXPECT_EQ(SumOf({0x1p53, 1, -0x1p-1074}), 0x1p53);
  EXPECT_EQ(SumOf({-2.5, 1}), -1.5);
  EXPECT_EQ(SumOf({0x1p-1074, 0x1p-1074}), 0x1p-1073);
  EXPECT_EQ(SumOf({}), 0);
  EXPECT_EQ(SumOf({std::numeric_limits<double>::max(), std::numeric_limits<double>::max()}),
            std::numeric_limits<double>::infinity());
  EXPECT_EQ(SumOf({1, std::numeric_limits<double>::infinity()}), std::numeric_limits<double>::infinity());
  EXPECT_TRUE(std::isnan(SumOf({std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity()})));
}

// Lengths of a ring that loses loops: whatever was taken away, the total
// is that of the lengths that remain, in any order.
TEST(ExactSum, TakingAwayLeavesTheSumOfWhatRemains) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> scale(-30, 10);
  std::vector<double> terms;
  for (int k = 0; k < 20000; ++k) terms.push_back(std::exp2(scale(random)) * (1 + k % 7));
  ExactSum all;
  for (double v : terms) AddToExactSum(all, v);
  std::vector<double> kept;
  for (size_t k = 0; k < terms.size(); ++k) {
    if (k % 3 == 0)
      TakeFromExactSum(all, terms[k]);
    else
      kept.push_back(terms[k]);
  }
  std::vector<double> reversed(kept.rbegin(), kept.rend());
  EXPECT_EQ(RoundedExactSum(all), SumOf(kept));
  EXPECT_EQ(SumOf(kept), SumOf(reversed));
  // Against a wide sum that cannot lose a bit of these terms (2^-30 .. 2^13).
  long double wide = 0;
  for (double v : kept) wide += v;
  EXPECT_NEAR(SumOf(kept), static_cast<double>(wide), 1e-12 * static_cast<double>(wide));
}

// Many terms at once give what they give one by one, also where a run of
// equal exponents fills its total to the top and where signs, tiny and
// infinite terms mix.
TEST(ExactSum, ManyAtOnceMatchOneByOne) {
  std::mt19937_64 random(11);
  std::uniform_real_distribution<double> scale(-1074, 800);
  std::vector<double> terms(5000, std::nextafter(2.0, 0.0) * 0x1p900);
  for (int k = 0; k < 3000; ++k) terms.push_back((k % 2 ? -1 : 1) * std::exp2(scale(random)));
  terms.push_back(0x1p-1074);
  terms.push_back(-0.0);
  for (size_t count : {size_t{100}, terms.size()}) {
    ExactSum one, many;
    for (size_t k = 0; k < count; ++k) AddToExactSum(one, terms[k]);
    AddAllToExactSum(many, terms.data(), count);
    EXPECT_EQ(RoundedExactSum(many), RoundedExactSum(one));
    TakeAllFromExactSum(many, terms.data() + 1, count - 1);
    EXPECT_EQ(RoundedExactSum(many), terms[0]);
  }
  terms.push_back(std::numeric_limits<double>::infinity());
  ExactSum many;
  AddAllToExactSum(many, terms.data(), terms.size());
  EXPECT_EQ(RoundedExactSum(many), std::numeric_limits<double>::infinity());
  TakeAllFromExactSum(many, terms.data() + terms.size() - 1, 1);
  EXPECT_EQ(RoundedExactSum(many), SumOf(std::vector<double>(terms.begin(), terms.end() - 1)));
}

}  // namespace

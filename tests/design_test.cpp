#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "engine/design.h"
#include "tests/support/comma_locale.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

TEST(MinMax, EqualAndNaNArgumentsGiveTheSecond) {
  double negZero = -0.0;
  EXPECT_TRUE(std::signbit(MinF(0.0, negZero)));
  EXPECT_FALSE(std::signbit(MinF(negZero, 0.0)));
  EXPECT_EQ(MinF(kNaN, 2.0), 2.0);
  EXPECT_TRUE(std::isnan(MinF(2.0, kNaN)));
  EXPECT_TRUE(std::isnan(MaxF(0.0, kNaN)));
  EXPECT_EQ(MaxF(kNaN, 3.0), 3.0);
  EXPECT_EQ(MinF(1.0, 2.0), 1.0);
  EXPECT_EQ(MaxF(1.0, 2.0), 2.0);
}

TEST(ResultReporting, ErrorClearsValidAndWarningsAppendInOrder) {
  DesignResult r;
  r.valid = 1;
  AddResultWarning(r, "first");
  AddResultWarning(r, "second");
  SetResultError(r, "broken");
  EXPECT_EQ(r.valid, 0);
  EXPECT_EQ(r.message, "broken");
  ASSERT_EQ(r.warnings.size(), 2u);
  EXPECT_EQ(r.warnings[0], "first");
  EXPECT_EQ(r.warnings[1], "second");
  AddListPoint(r.outlinePoints, 1.5, -2);
  ASSERT_EQ(r.outlinePoints.size(), 1u);
  EXPECT_EQ(r.outlinePoints[0].y, -2);
}

void ExpectFormats() {
  EXPECT_EQ(FormatDecimals(2, -0.004), "0.00");
  EXPECT_EQ(FormatDecimals(2, -0.006), "-0.01");
  EXPECT_EQ(FormatMm(2, -0.004), "-0.00");
  EXPECT_EQ(FormatMm(2, 0.0), "0.00");
  EXPECT_EQ(FormatMm(2, -0.0), "0.00");
  EXPECT_EQ(FormatDecimals(2, -0.0), "0.00");
  EXPECT_EQ(FormatDecimals(3, 1.8064), "1.806");
  EXPECT_EQ(FormatDecimals(0, 2.5), "2");  // nearest, ties to even in binary
  EXPECT_EQ(FormatDecimals(0, 40), "40");
  EXPECT_EQ(FormatDecimals(2, 144.5132), "144.51");
  EXPECT_EQ(FormatDecimals(2, kInf), "+Infinity");
  EXPECT_EQ(FormatMm(2, -kInf), "-Infinity");
  EXPECT_EQ(FormatDecimals(3, kNaN), "NaN");
  EXPECT_EQ(FormatMm(1, kNaN), "NaN");
}

TEST(NumberTexts, RoundingSignsAndSpecialValues) { ExpectFormats(); }

TEST(NumberTexts, SameUnderACommaLocale) {
  if (!UseCommaLocale()) GTEST_SKIP() << "no locale with a decimal comma";
  ExpectFormats();
  RestoreCLocale();
}

TEST(NumberTexts, LargeDecimalCountsAndHugeValues) {
  std::string t = FormatDecimals(512, 1.0);
  EXPECT_EQ(t.size(), 514u);
  EXPECT_EQ(t.substr(0, 4), "1.00");
  EXPECT_EQ(FormatDecimals(600, 1.0).size(), 514u);  // capped at 512
  EXPECT_EQ(FormatDecimals(-3, 2.4), "2");           // below 0 counts as 0
  std::string big = FormatMm(512, -1.7976931348623157e308);
  EXPECT_EQ(big[0], '-');
  EXPECT_EQ(big.size(), 1u + 309u + 1u + 512u);
  // The tiny-value rule also holds at the largest decimal count.
  EXPECT_EQ(FormatDecimals(512, -1e-320).substr(0, 3), "-0.");
}

}  // namespace

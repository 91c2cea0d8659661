#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "app/form.h"
#include "app/gadgets.h"
#include "app/main_program.h"
#include "app/pending_handlers.h"
#include "import/import_state.h"
#include "engine/design.h"
#include "tests/gui/support/shell_fixture.h"
#include "tests/support/comma_locale.h"

namespace {

const double kInf = std::numeric_limits<double>::infinity();

TEST(FieldNumbers, ReadLikeStrtodWithCommaOrPoint) {
  EXPECT_EQ(ParseFieldNumber("12"), 12);
  EXPECT_EQ(ParseFieldNumber(" 2,5 "), 2.5);
  EXPECT_EQ(ParseFieldNumber("2.5"), 2.5);
  EXPECT_EQ(ParseFieldNumber("1.5.3"), 1.5);
  EXPECT_EQ(ParseFieldNumber("1,5,3"), 1.5);
  EXPECT_EQ(ParseFieldNumber("3 mm"), 3);
  EXPECT_EQ(ParseFieldNumber("mm"), 0);
  EXPECT_EQ(ParseFieldNumber(""), 0);
  EXPECT_EQ(ParseFieldNumber("   "), 0);
  EXPECT_EQ(ParseFieldNumber("1e2"), 100);
  EXPECT_EQ(ParseFieldNumber("1e"), 1);
  EXPECT_EQ(ParseFieldNumber(".5"), 0.5);
  EXPECT_EQ(ParseFieldNumber("-.5"), -0.5);
  EXPECT_EQ(ParseFieldNumber("+4"), 4);
  EXPECT_EQ(ParseFieldNumber("\t4"), 4);  // the tab is skipped by the conversion
  EXPECT_EQ(ParseFieldNumber("4 "), 4);
  EXPECT_EQ(ParseFieldNumber("+-4"), 0);
  EXPECT_EQ(ParseFieldNumber("0x10"), 16);
  EXPECT_EQ(ParseFieldNumber("0x"), 0);
  EXPECT_EQ(ParseFieldNumber("12.5"), 12.5);
}

TEST(FieldNumbers, SpecialAndOutOfRangeValues) {
  EXPECT_TRUE(std::isnan(ParseFieldNumber("nothing")));  // a leading lower-case n
  EXPECT_TRUE(std::isnan(ParseFieldNumber("NaN")));
  EXPECT_TRUE(std::isnan(ParseFieldNumber("nan")));
  EXPECT_EQ(ParseFieldNumber("+Infinity"), kInf);
  EXPECT_EQ(ParseFieldNumber("-Infinity"), -kInf);
  EXPECT_EQ(ParseFieldNumber("inf"), kInf);
  EXPECT_EQ(ParseFieldNumber("-INF"), -kInf);
  EXPECT_EQ(ParseFieldNumber("1e400"), kInf);
  EXPECT_EQ(ParseFieldNumber("-1e400"), -kInf);
  EXPECT_EQ(ParseFieldNumber("1e-400"), 0);
  EXPECT_EQ(ParseFieldNumber("0.0000001e-400"), 0);
  EXPECT_EQ(ParseFieldNumber(std::string(400, '9')), kInf);
  EXPECT_EQ(ParseFieldNumber("0." + std::string(400, '0') + "1"), 0);
  EXPECT_TRUE(std::isnan(ParseFieldNumber("Nan")));  // strtod takes any case
  EXPECT_EQ(ParseFieldNumber("None"), 0);  // but only a lower-case n always gives NaN
}

TEST(FieldNumbers, CountReadsSignAndLeadingDigitsAndSaturates) {
  EXPECT_EQ(ParseFieldInteger("40"), 40);
  EXPECT_EQ(ParseFieldInteger(" 40 "), 40);
  EXPECT_EQ(ParseFieldInteger(""), 0);
  EXPECT_EQ(ParseFieldInteger("abc"), 0);
  EXPECT_EQ(ParseFieldInteger("12abc"), 12);
  EXPECT_EQ(ParseFieldInteger("-5"), -5);
  EXPECT_EQ(ParseFieldInteger("+5"), 5);
  EXPECT_EQ(ParseFieldInteger("9223372036854775807"), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(ParseFieldInteger("9223372036854775808"), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(ParseFieldInteger(std::string(200, '9')), std::numeric_limits<int64_t>::max());
  EXPECT_EQ(ParseFieldInteger("-9223372036854775808"), std::numeric_limits<int64_t>::min());
  EXPECT_EQ(ParseFieldInteger("-" + std::string(200, '9')), std::numeric_limits<int64_t>::min());
}

void ExpectFieldFormats() {
  EXPECT_EQ(FormatFieldNumber(50), "50");
  EXPECT_EQ(FormatFieldNumber(2.5), "2.5");
  EXPECT_EQ(FormatFieldNumber(0.1), "0.1");
  EXPECT_EQ(FormatFieldNumber(1.23456), "1.235");
  EXPECT_EQ(FormatFieldNumber(1234.0004), "1234");
  EXPECT_EQ(FormatFieldNumber(-0.0004), "-0");
  EXPECT_EQ(FormatFieldNumber(0), "0");
  EXPECT_EQ(FormatFieldNumber(-0.0), "0");
  EXPECT_EQ(FormatFieldNumber(100), "100");  // zeros before the point stay
  EXPECT_EQ(FormatFieldNumber(1.8064), "1.806");
  EXPECT_EQ(FormatFieldNumber(kInf), "+Infinity");
  EXPECT_EQ(FormatFieldNumber(-kInf), "-Infinity");
  EXPECT_EQ(FormatFieldNumber(std::nan("")), "NaN");
  EXPECT_EQ(FormatFieldNumber(1e300).size(), 301u);
  // Formatting and reading back gives the value rounded to three decimals.
  for (double v : {0.0005, 1.2345, 12.3456, -7.0009, 123456.7891})
    EXPECT_EQ(ParseFieldNumber(FormatFieldNumber(v)), ParseFieldNumber(FormatDecimals(3, v))) << v;
}

TEST(FieldNumbers, FormatThreeDecimalsWithoutTrailingZeros) { ExpectFieldFormats(); }

TEST(FieldNumbers, SameUnderACommaLocale) {
  if (!UseCommaLocale()) GTEST_SKIP() << "no locale with a decimal comma";
  ExpectFieldFormats();
  EXPECT_EQ(ParseFieldNumber("2.5"), 2.5);
  EXPECT_EQ(ParseFieldNumber("2,5"), 2.5);
  RestoreCLocale();
}

TEST_F(ShellTest, FormIsReadIntoTheRecordWithItsOverrides) {
  SetGadgetText(WINDOW_MAIN, GADGET_WIDTH, "50");
  SetGadgetText(WINDOW_MAIN, GADGET_HEIGHT, "30");
  SetGadgetText(WINDOW_MAIN, GADGET_SHIFT, "12.5");
  SetGadgetText(WINDOW_MAIN, GADGET_GAP, "3");
  SetGadgetText(WINDOW_MAIN, GADGET_COUNT, std::string(30, '9'));
  SetGadgetState(WINDOW_MAIN, GADGET_DIRECTION, 1);
  gDivideByWidth = DIVIDE_BY_WIDTH;
  gParams.importWidth = 7;
  ReadFormIntoParams();
  EXPECT_EQ(gParams.shapeKind, SHAPE_CIRCLE);
  EXPECT_EQ(gParams.height, 50);  // a circle uses its width
  EXPECT_EQ(gParams.shift, 0.125);
  EXPECT_EQ(gParams.gap, 3);
  EXPECT_EQ(gParams.count, std::numeric_limits<int64_t>::max());
  EXPECT_EQ(gParams.direction, DIRECTION_INWARD);
  EXPECT_EQ(gParams.divideByWidth, DIVIDE_BY_WIDTH);
  EXPECT_EQ(gParams.importWidth, 7);  // not a field
  EXPECT_EQ(gParams.smallestSize, 0.4);
  EXPECT_EQ(gParams.pointSpacing, 0.1);
  EXPECT_EQ(gParams.cornerRadius, 5);  // disabled fields are read too

  SetGadgetState(WINDOW_MAIN, GADGET_SHAPE, SHAPE_ELLIPSE);
  SetGadgetState(WINDOW_MAIN, GADGET_FIGURE, FIGURE_SINE);
  ReadFormIntoParams();
  EXPECT_EQ(gParams.height, 30);
  EXPECT_EQ(gParams.gap, 0);  // a sine has no gap
  EXPECT_EQ(Field(GADGET_GAP), "3");
}

std::vector<int64_t> DisabledFields() {
  std::vector<int64_t> off;
  for (int64_t id = 0; id <= GADGET_CANVAS; ++id)
    if (GadgetExists(WINDOW_MAIN, id) && !IsGadgetEnabled(WINDOW_MAIN, id)) off.push_back(id);
  return off;
}

TEST_F(ShellTest, FieldEnablingFollowsShapeFigureAndVaseType) {
  EXPECT_EQ(DisabledFields(), (std::vector<int64_t>{8, 9, 13, 21, 32, 33, 34, 47}));

  SetGadgetState(WINDOW_MAIN, GADGET_SHAPE, SHAPE_RECTANGLE);
  SetGadgetState(WINDOW_MAIN, GADGET_FIGURE, FIGURE_NONE);
  SetGadgetState(WINDOW_MAIN, GADGET_VASE_TYPE, 1);
  UpdateFieldEnabling();
  EXPECT_EQ(DisabledFields(), (std::vector<int64_t>{13, 16, 17, 18, 19, 20, 21, 22, 23, 47}));

  SetGadgetState(WINDOW_MAIN, GADGET_SHAPE, SHAPE_IMPORTED);
  SetGadgetState(WINDOW_MAIN, GADGET_FIGURE, FIGURE_HALF_CIRCLE);
  UpdateFieldEnabling();
  EXPECT_EQ(DisabledFields(), (std::vector<int64_t>{9, 13, 20, 21, 22, 47}));

  SetGadgetState(WINDOW_MAIN, GADGET_FIGURE, FIGURE_SINE);
  gImportFromStl = 1;
  UpdateFieldEnabling();
  gImportFromStl = 0;
  EXPECT_EQ(DisabledFields(), (std::vector<int64_t>{9, 19, 21, 22, 47}));

  SetGadgetState(WINDOW_MAIN, GADGET_FIGURE, FIGURE_TRAPEZOID);
  SetGadgetState(WINDOW_MAIN, GADGET_SHAPE, SHAPE_ELLIPSE);
  UpdateFieldEnabling();
  EXPECT_EQ(DisabledFields(), (std::vector<int64_t>{9, 13, 47}));

  SetGadgetState(WINDOW_MAIN, GADGET_FIGURE, FIGURE_SQUARE);
  UpdateFieldEnabling();
  EXPECT_EQ(DisabledFields(), (std::vector<int64_t>{9, 13, 20, 21, 47}));
}

TEST_F(ShellTest, SetFieldTextIfChangedWritesOnlyADifferentText) {
  SetFieldTextIfChanged(GADGET_WIDTH, "50");
  EXPECT_EQ(Field(GADGET_WIDTH), "50");
  SetFieldTextIfChanged(GADGET_WIDTH, "50.0");
  EXPECT_EQ(Field(GADGET_WIDTH), "50.0");
  SetFieldTextIfChanged(GADGET_IMPORT_INFO, "");
  EXPECT_EQ(Field(GADGET_IMPORT_INFO), "");
  EXPECT_EQ(CountQueuedEdits(), 0);
  EXPECT_EQ(ReadFieldNumber(GADGET_WIDTH), 50);
}

}  // namespace

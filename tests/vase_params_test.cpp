#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>

#include "text/texts.h"
#include "vase/vase_params.h"
#include "vase/vase_slices.h"

namespace {

const double kNaN = std::numeric_limits<double>::quiet_NaN();
const double kInf = std::numeric_limits<double>::infinity();

PointList Square() { return {{0, 10}, {-10, 10}, {-10, -10}, {10, -10}, {10, 10}}; }

TEST(VaseScale, LawAtBottomTopAndMiddle) {
  VaseParams v;
  EXPECT_EQ(VaseScaleAt(v, 0), 1);
  EXPECT_EQ(VaseScaleAt(v, 1), 1);
  EXPECT_EQ(MinVaseScale(v), 1);
  v.topScale = 0.5;
  v.bulge = 0.2;
  EXPECT_DOUBLE_EQ(VaseScaleAt(v, 1), 0.5);
  EXPECT_DOUBLE_EQ(VaseScaleAt(v, 0.5), 0.75 * 1.2);
  v.bulge = 0;
  EXPECT_DOUBLE_EQ(MinVaseScale(v), 0.5);
}

struct ValidationCase {
  const char* name;
  VaseParams vase;
  int64_t steps;          // expected result
  TextKey message;        // when steps is 0
};

VaseParams With(void (*change)(VaseParams&)) {
  VaseParams v;
  change(v);
  return v;
}

TEST(ValidateVaseParams, TableOfLimitsAndMessages) {
  const ValidationCase cases[] = {
      {"defaults", VaseParams{}, 60, TX_VASE_NO_OUTLINE},
      {"top 0 %", With([](VaseParams& v) { v.topScale = 0; }), 0, TX_VASE_SCALE},
      {"top 2 %", With([](VaseParams& v) { v.topScale = 0.02; }), 60, TX_VASE_NO_OUTLINE},
      {"bulge -100 %", With([](VaseParams& v) { v.bulge = -1; }), 0, TX_VASE_SCALE},
      {"bulge -98 %", With([](VaseParams& v) { v.bulge = -0.98; }), 60, TX_VASE_NO_OUTLINE},
      {"height 0", With([](VaseParams& v) { v.height = 0; }), 0, TX_VASE_HEIGHT},
      {"height -1 before scale", With([](VaseParams& v) { v.height = -1; v.topScale = 0; }), 0, TX_VASE_HEIGHT},
      {"steps 0", With([](VaseParams& v) { v.steps = 0; }), 1, TX_VASE_NO_OUTLINE},
      {"steps -3", With([](VaseParams& v) { v.steps = -3; }), 1, TX_VASE_NO_OUTLINE},
      {"steps 1000", With([](VaseParams& v) { v.steps = 1000; }), 400, TX_VASE_NO_OUTLINE},
      {"solid ignores wall and bottom",
       With([](VaseParams& v) { v.wallThickness = 0; v.bottomThickness = 500; }), 60, TX_VASE_NO_OUTLINE},
      {"hollow wall 0 before bottom",
       With([](VaseParams& v) { v.hollow = 1; v.wallThickness = 0; v.bottomThickness = 120; }), 0, TX_VASE_WALL},
      {"hollow bottom = height", With([](VaseParams& v) { v.hollow = 1; v.bottomThickness = 120; }), 0,
       TX_VASE_BOTTOM},
      {"hollow bottom 0", With([](VaseParams& v) { v.hollow = 1; v.bottomThickness = 0; }), 0, TX_VASE_BOTTOM},
      {"hollow fine", With([](VaseParams& v) { v.hollow = 1; }), 60, TX_VASE_NO_OUTLINE},
      {"scale before wall", With([](VaseParams& v) { v.hollow = 1; v.wallThickness = -1; v.bulge = -1; }), 0,
       TX_VASE_SCALE},
      // Non-finite values are refused with the message of their field.
      {"height NaN", With([](VaseParams& v) { v.height = kNaN; }), 0, TX_VASE_HEIGHT},
      {"height inf", With([](VaseParams& v) { v.height = kInf; }), 0, TX_VASE_HEIGHT},
      {"twist NaN", With([](VaseParams& v) { v.twist = kNaN; }), 0, TX_VASE_SCALE},
      {"twist -inf", With([](VaseParams& v) { v.twist = -kInf; }), 0, TX_VASE_SCALE},
      {"top scale NaN", With([](VaseParams& v) { v.topScale = kNaN; }), 0, TX_VASE_SCALE},
      {"top scale inf", With([](VaseParams& v) { v.topScale = kInf; }), 0, TX_VASE_SCALE},
      {"bulge NaN", With([](VaseParams& v) { v.bulge = kNaN; }), 0, TX_VASE_SCALE},
      {"bulge inf", With([](VaseParams& v) { v.bulge = kInf; }), 0, TX_VASE_SCALE},
      {"top scale finite but absurd", With([](VaseParams& v) { v.topScale = 1e38; }), 0, TX_VASE_SCALE},
      {"bulge finite but absurd", With([](VaseParams& v) { v.bulge = 1e300; }), 0, TX_VASE_SCALE},
      {"wall NaN", With([](VaseParams& v) { v.hollow = 1; v.wallThickness = kNaN; }), 0, TX_VASE_WALL},
      {"wall inf", With([](VaseParams& v) { v.hollow = 1; v.wallThickness = kInf; }), 0, TX_VASE_WALL},
      {"bottom NaN", With([](VaseParams& v) { v.hollow = 1; v.bottomThickness = kNaN; }), 0, TX_VASE_BOTTOM},
      {"bottom inf", With([](VaseParams& v) { v.hollow = 1; v.bottomThickness = kInf; }), 0, TX_VASE_BOTTOM},
  };
  for (const ValidationCase& c : cases) {
    gLastError = "left over";
    int64_t steps = ValidateVaseParams(Square(), c.vase);
    EXPECT_EQ(steps, c.steps) << c.name;
    EXPECT_EQ(gLastError, steps == 0 ? std::string(Tx(c.message)) : std::string()) << c.name;
  }
}

TEST(ValidateVaseParams, OutlineComesFirstAndMessagesFollowTheLanguage) {
  VaseParams v;
  v.height = 0;
  PointList two = {{0, 1}, {1, 0}};
  EXPECT_EQ(ValidateVaseParams(two, v), 0);
  EXPECT_EQ(gLastError, "There is no valid outline.");
  gTexts = gTextsNl;
  EXPECT_EQ(ValidateVaseParams(Square(), v), 0);
  std::string dutch = gLastError;
  gTexts = gTextsEn;
  EXPECT_EQ(dutch, "De hoogte moet groter dan 0 zijn.");
}

TEST(ValidateVaseParams, StepsAreClampedOnlyByTheValidation) {
  VaseParams v;
  const int64_t steps[] = {0, -3, 1, 400, 401, 1000, std::numeric_limits<int64_t>::max(),
                           std::numeric_limits<int64_t>::min()};
  const int64_t expected[] = {1, 1, 1, 400, 400, 400, 400, 1};
  for (int k = 0; k < 8; ++k) {
    v.steps = steps[k];
    EXPECT_EQ(ValidateVaseParams(Square(), v), expected[k]) << steps[k];
    EXPECT_EQ(ClampVaseSteps(steps[k]), expected[k]);
  }
}

TEST(SetVaseDepths, OnlyValidPatternsGiveDepths) {
  DesignParams p;
  DesignResult r;
  r.depth = 2.5;
  VaseParams v;
  v.patternDepth = v.inwardDepth = 9;
  p.figureKind = FIGURE_RECTANGLE;
  p.direction = DIRECTION_INWARD;
  SetVaseDepths(v, p, r);  // invalid result
  EXPECT_EQ(v.patternDepth, 0);
  EXPECT_EQ(v.inwardDepth, 0);
  r.valid = 1;
  SetVaseDepths(v, p, r);
  EXPECT_EQ(v.patternDepth, 2.5);
  EXPECT_EQ(v.inwardDepth, 2.5);
  p.direction = DIRECTION_OUTWARD;
  SetVaseDepths(v, p, r);
  EXPECT_EQ(v.patternDepth, 2.5);
  EXPECT_EQ(v.inwardDepth, 0);
  p.figureKind = FIGURE_NONE;
  SetVaseDepths(v, p, r);
  EXPECT_EQ(v.patternDepth, 0);
}

TEST(SliceTransform, TwistScaleAndHeights) {
  VaseParams v;
  v.twist = 90;
  v.topScale = 0.8;
  OutlinePoint p;
  TransformSlicePoint(v, 1, 0, 50, p);
  EXPECT_NEAR(p.x, -40, 1e-12);
  EXPECT_NEAR(p.y, 0, 1e-12);
  TransformSlicePoint(v, 0, 3, 4, p);
  EXPECT_EQ(p.x, 3);
  EXPECT_EQ(p.y, 4);
  // 60 steps of a 90 degree twist turn 1.5 degrees each.
  EXPECT_NEAR(SliceAngle(v, 1.0 / 60) * 180 / M_PI, 1.5, 1e-12);
  v.twist = -90;
  v.topScale = 1;
  TransformSlicePoint(v, 1, 0, 50, p);
  EXPECT_NEAR(p.x, 50, 1e-12);

  v.height = 120;
  v.bottomThickness = 2;
  const double inner[] = {2, 31.5, 61, 90.5, 120};
  const double outer[] = {0, 30, 60, 90, 120};
  for (int64_t i = 0; i <= 4; ++i) {
    EXPECT_DOUBLE_EQ(InnerSliceZ(v, i, 4), inner[i]);
    EXPECT_DOUBLE_EQ(OuterSliceZ(v, i, 4), outer[i]);
  }
}

}  // namespace

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <string>

#include "engine/base_line.h"
#include "engine/recompute.h"
#include "tests/support/default_design.h"

namespace {

constexpr double PI = std::numbers::pi;

DesignResult Recompute(const DesignParams& params) {
  DesignResult result;
  RecomputeOutline(params, result);
  return result;
}

void ExpectError(const DesignParams& params, const std::string& english, const std::string& dutch) {
  DesignResult r = Recompute(params);
  EXPECT_EQ(r.valid, 0);
  EXPECT_EQ(r.message, english);
  DutchTexts nl;
  EXPECT_EQ(Recompute(params).message, dutch);
}

TEST(FitByCount, DefaultDesign) {
  DesignResult r = Recompute(DefaultDesign());
  ASSERT_EQ(r.valid, 1) << r.message;
  EXPECT_TRUE(r.message.empty());
  EXPECT_TRUE(r.warnings.empty());
  EXPECT_EQ(r.count, 40);
  EXPECT_NEAR(r.baseLength, 46 * PI, 1e-5);  // outward on the outer size: the base line is 4 mm smaller
  EXPECT_EQ(FormatDecimals(3, r.baseLength), "144.513");
  EXPECT_EQ(FormatDecimals(3, r.pitch), "3.613");
  EXPECT_EQ(FormatDecimals(3, r.figureWidth), "1.806");
  EXPECT_EQ(FormatDecimals(3, r.gap), "1.806");
  EXPECT_EQ(r.pitch, r.baseLength / 40);
  EXPECT_EQ(r.depth, 2.0);
  EXPECT_EQ(r.fillet, 0.0);
  EXPECT_EQ(r.loopsRemoved, 0);
  EXPECT_EQ(r.outlinePoints.size(), 1600u);
  for (const OutlinePoint& p : r.outlinePoints) {
    double radius = std::hypot(p.x, p.y);
    ASSERT_GE(radius, 23 - 1e-6);  // on the base line's chords
    ASSERT_LE(radius, 25 + 1e-6);
  }
  EXPECT_NEAR(r.maxX - r.minX, 50, 0.05);
  // The base line list leaves out the closing copy.
  BaseLine circle;
  BuildEllipseBaseLine(circle, 23, 23);
  EXPECT_EQ(static_cast<int64_t>(r.baseLinePoints.size()), circle.count - 1);
}

TEST(FitByCount, RatioOfWidthToGap) {
  DesignParams p = DefaultDesign();
  p.figureWidth = 0;
  p.gap = 0;
  DesignResult r = Recompute(p);
  EXPECT_EQ(r.figureWidth, r.pitch * 0.5);
  EXPECT_EQ(r.gap, r.pitch - r.figureWidth);
  p.gap = 3;
  r = Recompute(p);
  EXPECT_EQ(r.figureWidth, 0.0);
  EXPECT_EQ(r.topWidth, 0.0);
  // A sine fills the whole pitch whatever the gap holds.
  p = DefaultDesign();
  p.figureKind = FIGURE_SINE;
  p.gap = 5;
  r = Recompute(p);
  ASSERT_EQ(r.valid, 1) << r.message;
  EXPECT_EQ(r.figureWidth, r.pitch);
  EXPECT_EQ(r.gap, 0.0);
  EXPECT_EQ(r.fillet, 0.0);
}

TEST(FitByWidth, CountIsTheRoundedQuotient) {
  // Sharp rectangles of 50 x 28.5 (length 157) and 50 x 29 (158), inward
  // figures on the outer size, so the base line is the given size.
  DesignParams p = DefaultDesign();
  p.shapeKind = SHAPE_RECTANGLE;
  p.cornerRadius = 0;
  p.width = 50;
  p.height = 28.5;
  p.direction = DIRECTION_INWARD;
  p.divideByWidth = DIVIDE_BY_WIDTH;
  DesignResult r = Recompute(p);
  ASSERT_EQ(r.valid, 1) << r.message;
  EXPECT_EQ(r.baseLength, 157.0);
  EXPECT_EQ(r.count, 39);
  EXPECT_EQ(r.pitch, 157.0 / 39);
  EXPECT_DOUBLE_EQ(r.figureWidth, 2 * 157.0 / 156);
  EXPECT_DOUBLE_EQ(r.topWidth, 157.0 / 156);
  p.height = 29;  // 158 / 4 = 39.5 rounds away from zero
  EXPECT_EQ(Recompute(p).count, 40);
  p.divideByWidth = 5;  // any value other than 0 divides by width
  EXPECT_EQ(Recompute(p).count, 40);
}

TEST(FitByWidth, TrapezoidTopIsLimitedToTheWidth) {
  DesignParams p = DefaultDesign();
  p.figureKind = FIGURE_TRAPEZOID;
  p.divideByWidth = DIVIDE_BY_WIDTH;
  p.topWidth = p.figureWidth;  // equal counts as too wide
  DesignResult r = Recompute(p);
  ASSERT_EQ(r.valid, 1) << r.message;
  EXPECT_EQ(r.topWidth, r.figureWidth);
  ASSERT_EQ(r.warnings.size(), 1u);
  EXPECT_EQ(r.warnings[0], "The top width was limited to the base width.");
  DutchTexts nl;
  EXPECT_EQ(Recompute(p).warnings[0], "De topbreedte is begrensd op de voetbreedte.");
}

TEST(FitOffset, BaseLineFollowsSizeReferenceAndDirection) {
  DesignParams p = DefaultDesign();
  struct Case {
    int64_t inner, dir;
    double diameter;
  } cases[] = {{0, 1, 46}, {0, -1, 50}, {1, 1, 50}, {1, -1, 54}, {2, 1, 46}, {0, 0, 46}};
  for (const Case& c : cases) {
    p.sizeIsInner = c.inner;
    p.direction = c.dir;
    DesignResult r = Recompute(p);
    ASSERT_EQ(r.valid, 1) << r.message;
    EXPECT_NEAR(r.baseLength, c.diameter * PI, 1e-5) << c.inner << " " << c.dir;
  }
}

TEST(FitDerivedDepth, SquareAndHalfCircleSettleOnTheirWidth) {
  DesignParams p = DefaultDesign();
  for (int64_t kind : {FIGURE_SQUARE, FIGURE_HALF_CIRCLE}) {
    p.figureKind = kind;
    DesignResult r = Recompute(p);
    ASSERT_EQ(r.valid, 1) << r.message;
    double expected = kind == FIGURE_SQUARE ? r.figureWidth : r.figureWidth / 2;
    EXPECT_EQ(r.depth, expected);
    // Settled: the base line sits one depth inside the outer size.
    EXPECT_NEAR(r.baseLength, (50 - 2 * r.depth) * PI, 1e-5);
    EXPECT_EQ(r.fillet, 0.0);
  }
}

// The depth field of a square holds whatever the previous figure used; a
// stale value must not stop a design that fits.
TEST(FitDerivedDepth, StaleDepthFieldIsOnlyAWarmStart) {
  DesignParams p = DefaultDesign();
  p.depth = 30;
  ExpectError(p, "The depth is too large for this outer size.", "De diepte is te groot voor deze buitenmaat.");
  p.figureKind = FIGURE_SQUARE;
  DesignResult r = Recompute(p);
  ASSERT_EQ(r.valid, 1) << r.message;
  EXPECT_NEAR(r.depth, 1.821, 5e-4);
  EXPECT_TRUE(r.warnings.empty());
  const double nan = std::numeric_limits<double>::quiet_NaN();
  for (double stale : {30.0, 0.0, -4.0, nan, std::numeric_limits<double>::infinity(), 1.8, 2.0}) {
    p.depth = stale;
    for (int64_t kind : {FIGURE_SQUARE, FIGURE_HALF_CIRCLE}) {
      p.figureKind = kind;
      DesignResult s = Recompute(p);
      ASSERT_EQ(s.valid, 1) << stale << ": " << s.message;
      // The fixed point d = w (square) or w / 2 of a circle of 50 - 2d
      // (the base line, a fine polygon, is a hair shorter than the circle).
      double settled = kind == FIGURE_SQUARE ? 50 * PI / (80 + 2 * PI) : 50 * PI / (160 + 2 * PI);
      EXPECT_NEAR(s.depth, settled, 1e-7) << stale;
      EXPECT_EQ(s.count, 40);
    }
  }
  // A square whose own width cannot fit still gets the error.
  p = DefaultDesign();
  p.figureKind = FIGURE_SQUARE;
  p.width = 3;
  p.count = 1;
  EXPECT_EQ(Recompute(p).message, "The depth is too large for this outer size.");
}

TEST(FitDerivedDepth, CountThatKeepsFlippingIsReported) {
  // Inward squares on an inner size: one more figure narrows the squares,
  // which shrinks the base line, which asks for one figure fewer.
  DesignParams p = DefaultDesign();
  p.width = 20.73;
  p.figureKind = FIGURE_SQUARE;
  p.direction = DIRECTION_INWARD;
  p.sizeIsInner = SIZE_INNER;
  p.divideByWidth = DIVIDE_BY_WIDTH;
  DesignResult r = Recompute(p);
  ASSERT_EQ(r.valid, 1) << r.message;
  ASSERT_EQ(r.warnings.size(), 1u);
  EXPECT_EQ(r.warnings[0], "The sizes could not be fitted exactly (count too small?).");
  EXPECT_EQ(r.depth, r.figureWidth);
  DutchTexts nl;
  EXPECT_EQ(Recompute(p).warnings[0], "De maten konden niet exact passend gemaakt worden (aantal te klein?).");
}

TEST(Validation, ErrorsInOrderInBothLanguages) {
  DesignParams p = DefaultDesign();
  p.width = 0;
  ExpectError(p, "Width and height must be greater than 0.", "Breedte en hoogte moeten groter dan 0 zijn.");
  p = DefaultDesign();
  p.height = 0;  // a circle has no height of its own
  EXPECT_EQ(Recompute(p).valid, 1);
  p.shapeKind = SHAPE_ELLIPSE;
  EXPECT_EQ(Recompute(p).message, "Width and height must be greater than 0.");
  p.shapeKind = 7;  // built as an ellipse
  EXPECT_EQ(Recompute(p).message, "Width and height must be greater than 0.");

  p = DefaultDesign();
  p.shapeKind = SHAPE_IMPORTED;
  ExpectError(p, "No outline has been imported yet.", "Er is nog geen omtrek ingelezen.");

  p = DefaultDesign();
  p.count = 0;
  ExpectError(p, "The count must be between 1 and 100000.", "Het aantal moet tussen 1 en 100000 liggen.");
  p.count = 100001;
  EXPECT_EQ(Recompute(p).message, "The count must be between 1 and 100000.");
  p.divideByWidth = DIVIDE_BY_WIDTH;  // the count no longer matters
  EXPECT_EQ(Recompute(p).valid, 1);
  p.figureWidth = 0;
  ExpectError(p, "The figure width must be greater than 0.", "De breedte van de figuur moet groter dan 0 zijn.");

  p = DefaultDesign();
  p.depth = 0;
  ExpectError(p, "The depth must be greater than 0.", "De diepte moet groter dan 0 zijn.");
  p.figureKind = FIGURE_HALF_CIRCLE;  // derives its depth
  EXPECT_EQ(Recompute(p).valid, 1);
}

TEST(Validation, NegativeSizes) {
  const std::string en = "Sizes must not be negative.", nl = "Maten mogen niet negatief zijn.";
  DesignParams p = DefaultDesign();
  p.gap = -1;
  ExpectError(p, en, nl);
  p = DefaultDesign();
  p.fillet = -0.1;
  EXPECT_EQ(Recompute(p).message, en);
  p = DefaultDesign();
  p.topWidth = -1;
  EXPECT_EQ(Recompute(p).message, en);
  // Dividing by count only uses the width's ratio to the gap, but a
  // negative width would make that ratio negative.
  p = DefaultDesign();
  p.figureWidth = -1;
  EXPECT_EQ(Recompute(p).message, en);
  // The figure tests are skipped without a figure.
  p.figureKind = FIGURE_NONE;
  p.gap = -1;
  DesignResult r = Recompute(p);
  EXPECT_EQ(r.valid, 1);
}

TEST(Validation, FailedResultHoldsNoPointsOrWarnings) {
  DesignResult r;
  RecomputeOutline(DefaultDesign(), r);
  ASSERT_EQ(r.valid, 1);
  DesignParams p = DefaultDesign();
  p.count = 0;
  RecomputeOutline(p, r);
  EXPECT_EQ(r.valid, 0);
  EXPECT_TRUE(r.warnings.empty());
  EXPECT_TRUE(r.outlinePoints.empty());
  EXPECT_TRUE(r.baseLinePoints.empty());
  EXPECT_EQ(r.count, 0);
  EXPECT_EQ(r.pitch, 0.0);
}

TEST(FigureNone, OutlineIsTheBaseLine) {
  DesignParams p = DefaultDesign();
  p.figureKind = FIGURE_NONE;
  DesignResult r = Recompute(p);
  ASSERT_EQ(r.valid, 1);
  EXPECT_NEAR(r.baseLength, 50 * PI, 1e-5);  // no depth offset
  EXPECT_EQ(r.count, 0);
  EXPECT_EQ(r.pitch, 0.0);
  ASSERT_EQ(r.outlinePoints.size(), r.baseLinePoints.size());
  EXPECT_EQ(r.outlinePoints[5].x, r.baseLinePoints[5].x);
  EXPECT_NEAR(r.patternLength, r.baseLength, 1e-9);
}

TEST(FilletWarning, ReducedFilletIsReported) {
  DesignParams p = DefaultDesign();
  p.count = 39;  // pitch about 3.7: edges of about 1.85, so a fillet of 5 is cut to about 0.93
  p.fillet = 5;
  DesignResult r = Recompute(p);
  ASSERT_EQ(r.valid, 1);
  EXPECT_LT(r.fillet, 1.0);
  ASSERT_EQ(r.warnings.size(), 1u);
  EXPECT_EQ(r.warnings[0], "Fillet reduced to " + FormatMm(3, r.fillet) + " mm (does not fit).");
  {
    DutchTexts nl;
    EXPECT_EQ(Recompute(p).warnings[0], "Afronding verkleind tot " + FormatMm(3, r.fillet) + " mm (past niet).");
  }
  p.fillet = 0.3;  // fits
  r = Recompute(p);
  EXPECT_EQ(r.fillet, 0.3);
  EXPECT_TRUE(r.warnings.empty());
}

// Input that the form can produce from odd text: never a crash, a hang or
// NaN points, and a clear error where nothing sensible can be built.
TEST(BadInput, TinyHugeAndNonFiniteSizes) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  const double inf = std::numeric_limits<double>::infinity();
  DesignParams p = DefaultDesign();
  p.divideByWidth = DIVIDE_BY_WIDTH;
  for (double tiny : {1e-300, 1e-9, 4.9e-324}) {
    p.figureWidth = tiny;
    p.gap = 0;
    EXPECT_EQ(Recompute(p).message, "Too many points; choose fewer figures.") << tiny;
    p.figureKind = FIGURE_SQUARE;
    EXPECT_EQ(Recompute(p).message, "Too many points; choose fewer figures.") << tiny;
    p.figureKind = FIGURE_SINE;
    EXPECT_EQ(Recompute(p).message, "Too many points; choose fewer figures.") << tiny;
    p.figureKind = FIGURE_RECTANGLE;
  }
  for (double size : {1e300, nan, inf, 1e-200}) {
    p = DefaultDesign();
    p.width = size;
    DesignResult r = Recompute(p);
    EXPECT_EQ(r.valid, 0) << size;
    EXPECT_TRUE(r.outlinePoints.empty()) << size;
  }
  // Sizes outside [1e-100, 1e100] (NaN included) are refused as sizes.
  for (double size : {1e300, 1.01e100, 0.99e-100, nan, inf}) {
    p = DefaultDesign();
    p.width = size;
    EXPECT_EQ(Recompute(p).message, "Width and height must be greater than 0.") << size;
    p.figureKind = FIGURE_NONE;
    EXPECT_EQ(Recompute(p).message, "Width and height must be greater than 0.") << size;
    p.width = 50;
    p.shapeKind = SHAPE_RECTANGLE;
    p.height = size;
    EXPECT_EQ(Recompute(p).message, "Width and height must be greater than 0.") << size;
  }
  for (double value : {nan, inf, -inf}) {
    DesignParams q = DefaultDesign();
    q.shift = value;
    EXPECT_EQ(Recompute(q).message, "No valid outline.");
    for (int field = 0; field < 6; field++) {
      q = DefaultDesign();
      q.figureKind = FIGURE_TRAPEZOID;
      double* target[] = {&q.figureWidth, &q.gap, &q.depth, &q.topWidth, &q.fillet, &q.cornerRadius};
      *target[field] = value;
      DesignResult r = Recompute(q);
      if (r.valid) {
        for (const OutlinePoint& pt : r.outlinePoints) ASSERT_TRUE(std::isfinite(pt.x) && std::isfinite(pt.y));
      } else {
        EXPECT_FALSE(r.message.empty());
      }
    }
  }
}

}  // namespace

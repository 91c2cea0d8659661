#include <gtest/gtest.h>

#include <cairo.h>

#include <algorithm>
#include <cmath>
#include <numbers>
#include <cstdint>
#include <string>

#include "app/draw2d.h"
#include "app/gadgets.h"
#include "app/view.h"
#include "engine/design.h"
#include "tests/gui/support/shell_fixture.h"

namespace {

struct Rgb {
  int r, g, b;
};

PointList Square(double half) {
  // Counter-clockwise from the top centre, as the engine's lists run.
  return PointList{{0, half}, {-half, half}, {-half, -half}, {half, -half}, {half, half}};
}

// A 400 x 300 canvas at 2 px/mm on the origin, drawn into an image surface.
// The outline is a square of +-49.75 mm and the base line one of +-44.75 mm,
// so that their edges fall on pixel centres (rows 50 and 60).
class Draw2DTest : public ::testing::Test {
 protected:
  void SetUp() override {
    gResult = DesignResult();
    gParams = DesignParams();
    gResult.valid = 1;
    gResult.count = 4;
    gResult.outlinePoints = Square(49.75);
    gResult.baseLinePoints = Square(44.75);
    gParams.figureKind = FIGURE_RECTANGLE;
    gScale2D = 2;
    gPanX = gPanY = 0;
    gPixelScale = 1;
  }
  void TearDown() override {
    if (surface_ != nullptr) cairo_surface_destroy(surface_);
    gResult = DesignResult();
    gParams = DesignParams();
    gScale2D = 1;
    gPixelScale = 1;
  }
  void Paint(int64_t deviceScale = 1, int64_t grid = 1, int64_t baseLine = 1, int64_t fill = 1) {
    if (surface_ != nullptr) cairo_surface_destroy(surface_);
    surface_ = cairo_image_surface_create(CAIRO_FORMAT_RGB24, static_cast<int>(400 * deviceScale),
                                          static_cast<int>(300 * deviceScale));
    cairo_t* cr = cairo_create(surface_);
    PaintCanvas2D(cr, 400, 300, static_cast<double>(400 * deviceScale), grid, baseLine, fill);
    cairo_destroy(cr);
    cairo_surface_flush(surface_);
  }
  Rgb Pixel(int x, int y) {
    const unsigned char* data = cairo_image_surface_get_data(surface_);
    int stride = cairo_image_surface_get_stride(surface_);
    uint32_t v = *reinterpret_cast<const uint32_t*>(data + y * stride + x * 4);
    return Rgb{static_cast<int>((v >> 16) & 255), static_cast<int>((v >> 8) & 255), static_cast<int>(v & 255)};
  }
  void ExpectPixel(int x, int y, Rgb want, int tolerance = 0) {
    Rgb got = Pixel(x, y);
    EXPECT_NEAR(got.r, want.r, tolerance) << "at " << x << ", " << y;
    EXPECT_NEAR(got.g, want.g, tolerance) << "at " << x << ", " << y;
    EXPECT_NEAR(got.b, want.b, tolerance) << "at " << x << ", " << y;
  }
  // Pixels in a rectangle that look like the given text colour.
  int CountLike(int x0, int y0, int x1, int y1, Rgb want) {
    int n = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) {
        Rgb p = Pixel(x, y);
        if (std::abs(p.r - want.r) < 40 && std::abs(p.g - want.g) < 40 && std::abs(p.b - want.b) < 40) ++n;
      }
    return n;
  }
  cairo_surface_t* surface_ = nullptr;
};

const Rgb kBackground{250, 250, 252};
const Rgb kFineGrid{222, 224, 230};
const Rgb kMajorGrid{190, 194, 204};
const Rgb kXAxis{230, 60, 60};
const Rgb kYAxis{40, 190, 60};
const Rgb kBaseLine{120, 120, 135};
const Rgb kOutline{20, 20, 30};
// Fill colour at alpha 110 over the background.
const Rgb kFillOverBackground{207, 220, 238};

TEST(GridSteps, FineAndMajorStepsFollowTheScale) {
  struct Case {
    double scale, fine, major;
  };
  // The search stops at a million mm however small the scale.
  const Case cases[] = {{1, 10, 50},       {3, 5, 10},       {10, 1, 5},
                        {0.01, 1000, 5000}, {100000, 0.001, 0.005}, {1e-12, 1000000, 5000000}};
  for (const Case& c : cases) {
    double fine, major;
    GridSteps(c.scale, fine, major);
    EXPECT_EQ(fine, c.fine) << c.scale;
    EXPECT_DOUBLE_EQ(major, c.major) << c.scale;
  }
}

// Every point left out lies within the tolerance of the segment drawn in
// its place, on fine curves, sharp corners, turns straight back and
// zigzags finer than the tolerance; smooth curves lose most points.
TEST(KeepBends, PointsLeftOutLieOnTheSegmentDrawnInstead) {
  PointList in;
  for (int k = 0; k < 4000; ++k) {  // circles of 300 px both ways, a point every 0.94 px
    const double t = 2 * std::numbers::pi * k / 2000;
    in.push_back({400 + 300 * std::cos(t), 400 + (k < 2000 ? 300 : -300) * std::sin(t)});
  }
  const size_t circle = in.size();
  for (int k = 0; k < 40; ++k) in.push_back({100.0 + k, 100});  // a side, then straight back over it
  for (int k = 40; k >= 0; --k) in.push_back({100.0 + k, 100.1});
  for (int k = 0; k < 200; ++k) in.push_back({50 + 0.5 * k, 200 + (k % 2 ? 0.2 : -0.2) + (k % 7 == 0 ? 3 : 0)});
  in.push_back({NAN, 5});
  for (int k = 0; k < 30; ++k) in.push_back({10.0 + 2 * (k % 3), 10.0 + k});
  PointList out = in;
  KeepBends(out);
  ASSERT_GE(out.size(), 2u);
  EXPECT_EQ(out.front().x, in.front().x);
  EXPECT_EQ(out.back().y, in.back().y);
  size_t o = 0, keptOfCircle = 0;
  for (size_t k = 0; k < in.size(); ++k) {
    const bool same = o < out.size() && (in[k].x == out[o].x || (std::isnan(in[k].x) && std::isnan(out[o].x))) &&
                      in[k].y == out[o].y;
    if (same) {
      keptOfCircle += k < circle;
      ++o;
      continue;
    }
    ASSERT_TRUE(std::isfinite(in[k].x)) << k;
    ASSERT_GT(o, 0u);
    ASSERT_LT(o, out.size());
    const OutlinePoint a = out[o - 1], b = out[o];
    const double dx = b.x - a.x, dy = b.y - a.y, len2 = dx * dx + dy * dy;
    const double t = std::clamp(((in[k].x - a.x) * dx + (in[k].y - a.y) * dy) / len2, 0.0, 1.0);
    EXPECT_LE(std::hypot(a.x + t * dx - in[k].x, a.y + t * dy - in[k].y), STRAIGHT_TOLERANCE_PX + 1e-9) << k;
  }
  EXPECT_EQ(o, out.size());  // the points kept are the input's, in order
  EXPECT_LT(keptOfCircle, circle / 8);
}

TEST(ZoomHint, ShowsTheScaleWithTwoDecimals) {
  gScale2D = 6.1917364224;  // ten wheel notches from 1
  std::string hint = ZoomHintText();
  EXPECT_EQ(hint.substr(hint.size() - 12), "(6.19 px/mm)");
  EXPECT_EQ(hint.substr(0, 13), "Wheel = zoom ");
  gScale2D = 12.5;
  hint = ZoomHintText();
  EXPECT_EQ(hint.substr(hint.size() - 12), "12.50 px/mm)");
  gScale2D = 1;
}

TEST_F(Draw2DTest, ElementsHaveTheirColours) {
  Paint();
  EXPECT_EQ(gPixelScale, 1);
  // At 2 px/mm the fine grid is 5 mm (10 px) and the major grid 10 mm.
  ExpectPixel(385, 15, kBackground);
  ExpectPixel(210, 5, kFineGrid);
  ExpectPixel(220, 5, kMajorGrid);
  ExpectPixel(385, 150, kXAxis);
  ExpectPixel(200, 15, kYAxis);
  ExpectPixel(255, 155, kFillOverBackground, 2);
  ExpectPixel(255, 50, kOutline, 2);
  // The dash of the base line starts at its first point (200, 60) going left.
  ExpectPixel(197, 60, kBaseLine, 2);
  Rgb gap = Pixel(192, 60);
  EXPECT_GT(std::abs(gap.r - kBaseLine.r) + std::abs(gap.b - kBaseLine.b), 40);
}

TEST_F(Draw2DTest, DisplayBoxesAndFigureNoneLeaveTheirElementsOut) {
  Paint(1, 0, 0, 0);
  ExpectPixel(210, 5, kBackground);
  ExpectPixel(255, 155, kBackground);
  ExpectPixel(197, 60, kBackground);
  ExpectPixel(255, 50, kOutline, 2);  // the outline is always drawn
  gParams.figureKind = FIGURE_NONE;
  Paint(1, 0, 1, 0);
  ExpectPixel(197, 60, kBackground);
}

TEST_F(Draw2DTest, DeviceScaleTwoDrawsTheSamePictureInFinerPixels) {
  Paint(2);
  EXPECT_EQ(gPixelScale, 2);
  ExpectPixel(2 * 385, 2 * 15, kBackground);
  ExpectPixel(2 * 385, 2 * 150 + 1, kXAxis);
  ExpectPixel(2 * 255, 2 * 155, kFillOverBackground, 2);
  ExpectPixel(2 * 255, 2 * 50 + 1, kOutline, 2);
}

TEST_F(Draw2DTest, ErrorAndWarningsStackFromTheTop) {
  const Rgb error{200, 30, 30}, warning{200, 90, 0}, hint{90, 90, 100};
  gResult.valid = 0;
  gResult.message = "Broken design";
  gResult.warnings = {"First warning", "Second warning"};
  Paint(1, 0, 0, 0);
  EXPECT_GT(CountLike(12, 10, 150, 30, error), 10);
  EXPECT_EQ(CountLike(12, 30, 150, 70, error), 0);
  EXPECT_GT(CountLike(12, 30, 150, 50, warning), 10);
  EXPECT_GT(CountLike(12, 50, 150, 70, warning), 10);
  EXPECT_GT(CountLike(10, 276, 150, 298, hint), 10);
  ExpectPixel(255, 50, kBackground);  // no outline when invalid
  gResult.valid = 1;
  gResult.message.clear();
  Paint(1, 0, 0, 0);
  EXPECT_EQ(CountLike(12, 10, 150, 30, error), 0);
  EXPECT_GT(CountLike(12, 10, 150, 30, warning), 10);
}

TEST_F(Draw2DTest, FarZoomStillFillsAndOutlinesCorrectly) {
  // Zoomed in on the top edge of the outline: its corners lie ten million
  // pixels away, far past cairo's fixed-point range.
  gScale2D = 100000;
  gPanX = 0;
  gPanY = 49.75;
  Paint(1, 0, 0, 1);
  ExpectPixel(10, 290, kFillOverBackground, 2);
  ExpectPixel(390, 200, kFillOverBackground, 2);
  ExpectPixel(390, 100, kBackground);
  ExpectPixel(10, 100, kBackground);
  EXPECT_LT(Pixel(200, 150).r, 120);  // the outline runs along the middle row
}

TEST_F(Draw2DTest, FarAxesAreNotDrawn) {
  // The origin 2^24 + 150 pixels below the top would wrap onto row 150.
  gScale2D = 1;
  gPanX = 0;
  gPanY = 16777216;
  gResult.valid = 0;
  Paint(1, 0, 0, 0);
  ExpectPixel(385, 150, kBackground);
  gPanX = -16777216;
  Paint(1, 0, 0, 0);
  ExpectPixel(200, 15, kBackground);
}

TEST_F(Draw2DTest, HugeRangesSkipTheGridInsteadOfHanging) {
  gResult.valid = 0;
  gScale2D = 740.0 / 1e15;  // the fit of a width of 1e15 mm
  Paint();
  ExpectPixel(385, 15, kBackground);
  gScale2D = 1;
  gPanX = 1e300;  // the first grid index would not fit an integer
  Paint();
  gPanX = 0;
  gScale2D = 1;
  Paint();
  ExpectPixel(160, 5, kFineGrid);  // a normal drawing keeps its grid
  ExpectPixel(150, 5, kMajorGrid);
}

// 20,000 teeth 10 mm (20 px) high along 80 mm of the square's top edge fold
// back and forth a hundred times per pixel; they must still show as one
// solid band of their full height and length, with a lone tooth beside
// them drawn on its own.
TEST_F(Draw2DTest, DenseTeethDrawAsOneBandOfTheirFullSize) {
  const double half = 49.75, high = half + 10;
  PointList ring{{half, half}, {45.252, half}, {45.252, high}, {45.25, high}, {45.25, half}};
  const int teeth = 20000;
  const double pitch = 80.0 / teeth;
  for (int k = 0; k < teeth; ++k) {
    double x = 40 - k * pitch;
    PointList tooth{{x, half}, {x, high}, {x - pitch / 2, high}, {x - pitch / 2, half}};
    ring.insert(ring.end(), tooth.begin(), tooth.end());
  }
  PointList rest{{-half, half}, {-half, -half}, {half, -half}};
  ring.insert(ring.end(), rest.begin(), rest.end());
  gResult.outlinePoints = ring;
  Paint(1, 0, 0, 1);
  // Screen x = 200 + 2 x, y = 150 - 2 y: the band spans columns 120..280
  // and rows 31..50, the lone tooth column 290.
  for (int x : {122, 160, 240, 278})
    for (int y : {32, 40, 49}) ExpectPixel(x, y, kOutline, 2);
  ExpectPixel(240, 27, kBackground);
  ExpectPixel(116, 40, kBackground);
  ExpectPixel(284, 40, kBackground);
  ExpectPixel(290, 40, kOutline, 2);
  ExpectPixel(240, 60, kFillOverBackground, 2);
}

// The program's default design (a circle of 144.51 mm circumference) on a
// 600 x 400 canvas at 2 px/mm about the origin, read back from the canvas.
TEST_F(ShellTest, DefaultDesignOnTheCanvasHasThePartColours) {
  ASSERT_EQ(gResult.valid, 1) << gResult.message;
  ResizeGadget(WINDOW_MAIN, GADGET_CANVAS, GADGET_KEEP, GADGET_KEEP, 600, 400);
  gScale2D = 2;
  gPanX = gPanY = 0;
  DrawCanvas();
  auto pixel = [](int x, int y) {
    uint32_t p = CanvasPixel(WINDOW_MAIN, GADGET_CANVAS, x, y);
    return Rgb{static_cast<int>((p >> 16) & 255), static_cast<int>((p >> 8) & 255), static_cast<int>(p & 255)};
  };
  auto expect = [&](int x, int y, Rgb want, int tolerance) {
    Rgb got = pixel(x, y);
    EXPECT_NEAR(got.r, want.r, tolerance) << x << ", " << y;
    EXPECT_NEAR(got.g, want.g, tolerance) << x << ", " << y;
    EXPECT_NEAR(got.b, want.b, tolerance) << x << ", " << y;
  };
  expect(595, 5, kBackground, 0);
  expect(310, 5, kFineGrid, 0);
  expect(320, 5, kMajorGrid, 0);
  expect(595, 200, kXAxis, 0);
  expect(300, 5, kYAxis, 0);
  expect(315, 205, kFillOverBackground, 2);  // 23 mm radius: well inside
  gScale2D = 1;
}

}  // namespace

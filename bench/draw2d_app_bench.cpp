// Full 2D redraws of the canvas at 1920 x 1080: a typical 20,000-point
// outline and the 400,000-point worst case, with grid, fill and base line.
#include <benchmark/benchmark.h>
#include <cairo.h>

#include <cmath>

#include "app/draw2d.h"
#include "app/view.h"
#include "engine/design.h"

namespace {

// A ribbed ring of 50 mm radius: 40 figures of 3 mm depth.
void MakeDesign(int64_t outlinePoints) {
  gResult = DesignResult();
  gResult.valid = 1;
  gResult.count = 40;
  gParams.figureKind = FIGURE_SINE;
  const double pi = 3.14159265358979323846;
  for (int64_t i = 0; i < outlinePoints; ++i) {
    double a = 2 * pi * static_cast<double>(i) / static_cast<double>(outlinePoints);
    double r = 50 + 3 * std::sin(40 * a);
    AddListPoint(gResult.outlinePoints, -r * std::sin(a), r * std::cos(a));
  }
  for (int64_t i = 0; i < 2000; ++i) {
    double a = 2 * pi * static_cast<double>(i) / 2000;
    AddListPoint(gResult.baseLinePoints, -50 * std::sin(a), 50 * std::cos(a));
  }
  gResult.minX = gResult.minY = -53;
  gResult.maxX = gResult.maxY = 53;
}

void BM_Redraw2D(benchmark::State& state) {
  MakeDesign(state.range(0));
  gCanvasWidth = 1920;
  gCanvasHeight = 1080;
  FitView2D();
  cairo_surface_t* surface = cairo_image_surface_create(CAIRO_FORMAT_RGB24, 1920, 1080);
  for (auto _ : state) {
    cairo_t* cr = cairo_create(surface);
    PaintCanvas2D(cr, 1920, 1080, 1920, 1, 1, 1);
    cairo_destroy(cr);
    cairo_surface_flush(surface);
  }
  cairo_surface_destroy(surface);
}
BENCHMARK(BM_Redraw2D)->Arg(20000)->Arg(400000)->Unit(benchmark::kMillisecond);

}  // namespace

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>

#include "engine/base_line.h"
#include "engine/polyline.h"

namespace {

// A circle of 800 mm: the ellipse builder's 100,000-segment cap.
void BM_EllipseBaseLineAtCap(benchmark::State& state) {
  BaseLine line;
  for (auto _ : state) {
    BuildEllipseBaseLine(line, 400, 400);
    benchmark::DoNotOptimize(line.length);
  }
  state.counters["points"] = static_cast<double>(line.count);
}
BENCHMARK(BM_EllipseBaseLineAtCap)->Unit(benchmark::kMillisecond);

// A patterned outline of the largest size the engine produces.
void BM_SimplifyOutline400k(benchmark::State& state) {
  PointList ring;
  const int n = 400000;
  for (int i = 0; i < n; i++) {
    double t = 2 * std::numbers::pi * i / n;
    double r = 200 + 3 * std::sin(2000 * t);
    ring.push_back({-r * std::sin(t), r * std::cos(t)});
  }
  PointList out;
  for (auto _ : state) {
    SimplifyClosedPolyline(ring, 0.001, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.counters["kept"] = static_cast<double>(out.size());
}
BENCHMARK(BM_SimplifyOutline400k)->Unit(benchmark::kMillisecond);

}  // namespace

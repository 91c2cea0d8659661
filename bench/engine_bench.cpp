#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <numbers>
#include <random>

#include "engine/base_line.h"
#include "engine/polyline.h"
#include "engine/recompute.h"
#include "tests/support/default_design.h"
#include "tests/support/dense_rings.h"
#include "tests/support/imported_design.h"

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

// Rings as other programs export them, each beside a clean circle of the
// same point count, at the import's tolerance: a zigzag of 200,000 vertices
// (x -20 / +20, y up 0.0005 a vertex), a comb of 100,000 teeth (x 20 / 21,
// y up 0.001 a vertex, a straight back), a zigzag whose swing grows along
// it, a circle of radius 50 +- 0.01 (uniform noise), and the zigzag turned
// by 30 degrees, where the rows tie only to within rounding.
const char* const SIMPLIFY_RINGS[] = {"circle", "zigzag", "comb", "growing zigzag", "noisy circle",
                                      "turned zigzag"};

PointList SimplifyBenchRing(int64_t kind) {
  const int n = 200000;
  switch (kind) {
    case 0: return CleanCircle(n, 50, RING_FROM_TOP);
    case 1: return WideZigzag(n, 0.0005);
    case 2: return Comb(n / 2, 0.001, 1, true);
    case 3: return GrowingZigzag(n, -1000);
    case 4: return NoisyCircle(n, 50, 0.01, std::mt19937_64(5), RING_FROM_TOP);
  }
  PointList ring;
  for (int i = 0; i < n; i++) {
    double side = i % 2 ? 1 : -1;
    ring.push_back({20 * side * std::cos(0.5236) - i * 0.0005 * std::sin(0.5236),
                    20 * side * std::sin(0.5236) + i * 0.0005 * std::cos(0.5236)});
  }
  return ring;
}

void BM_SimplifyExported200k(benchmark::State& state) {
  PointList ring = SimplifyBenchRing(state.range(0));
  PointList out;
  for (auto _ : state) {
    SimplifyClosedPolyline(ring, 0.0005, out);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetLabel(SIMPLIFY_RINGS[state.range(0)]);
  state.counters["kept"] = static_cast<double>(out.size());
}
BENCHMARK(BM_SimplifyExported200k)->DenseRange(0, 5)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

void RunRecompute(benchmark::State& state, const DesignParams& params) {
  DesignResult result;
  for (auto _ : state) {
    RecomputeOutline(params, result);
    benchmark::DoNotOptimize(result.outlinePoints.data());
  }
  if (!result.valid) state.SkipWithError(result.message.c_str());
  state.counters["points"] = static_cast<double>(result.outlinePoints.size());
  state.counters["loops"] = static_cast<double>(result.loopsRemoved);
}

// The design a fresh form holds.
void BM_RecomputeDefault(benchmark::State& state) { RunRecompute(state, DefaultDesign()); }
BENCHMARK(BM_RecomputeDefault)->Unit(benchmark::kMillisecond);

// A typical larger design: an ellipse of 200 x 120 with 100 filleted
// rectangles, sampled every 0.05 mm (about 19,000 outline points).
void BM_RecomputeTypical(benchmark::State& state) {
  DesignParams p = DefaultDesign();
  p.shapeKind = SHAPE_ELLIPSE;
  p.width = 200;
  p.height = 120;
  p.count = 100;
  p.fillet = 0.3;
  p.pointSpacing = 0.05;
  RunRecompute(state, p);
}
BENCHMARK(BM_RecomputeTypical)->Unit(benchmark::kMillisecond);

// Near the point budget (about 380,000 points), with loops cut at the ends
// of a slim ellipse whose bends are tighter than the inward sines are deep:
// depth 1.5 mm gives 4 loops, 3 mm about 30.
DesignParams SlimEllipseWithDeepSines(double depth) {
  DesignParams p = DefaultDesign();
  p.shapeKind = SHAPE_ELLIPSE;
  p.width = 200;
  p.height = 20;
  p.figureKind = FIGURE_SINE;
  p.direction = DIRECTION_INWARD;
  p.depth = depth;
  p.count = 2000;
  p.pointSpacing = 0.001;
  return p;
}

void BM_RecomputeWorstCase(benchmark::State& state) { RunRecompute(state, SlimEllipseWithDeepSines(1.5)); }
BENCHMARK(BM_RecomputeWorstCase)->Unit(benchmark::kMillisecond);

void BM_RecomputeManyLoops(benchmark::State& state) { RunRecompute(state, SlimEllipseWithDeepSines(3)); }
BENCHMARK(BM_RecomputeManyLoops)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// Many tiny inward rectangles round a slim ellipse: every figure at the ends
// makes a loop, and the mean segment is long next to the figures, so the
// loop search meets few, crowded cells. 100,000 figures give about 380,000
// points.
void BM_RecomputeDenseLoops(benchmark::State& state) {
  DesignParams p = DefaultDesign();
  p.shapeKind = SHAPE_ELLIPSE;
  p.width = 200;
  p.height = 20;
  p.direction = DIRECTION_INWARD;
  p.depth = 3;
  p.count = state.range(0);
  RunRecompute(state, p);
}
BENCHMARK(BM_RecomputeDenseLoops)->Arg(10000)->Arg(30000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// The designs a count typed into the form reaches near the point budget,
// measured beside the reference design above (BM_RecomputeWorstCase).
// 99,999 outward rectangles 2 mm deep and 0.8 um apart round a circle: no
// loop, but long, dense, near-parallel flanks.
void BM_RecomputeDenseSpikes(benchmark::State& state) {
  DesignParams p = DefaultDesign();
  p.count = 99999;
  RunRecompute(state, p);
}
BENCHMARK(BM_RecomputeDenseSpikes)->Unit(benchmark::kMillisecond);

void BM_RecomputeDenseTrapezoids(benchmark::State& state) {
  DesignParams p = DefaultDesign();
  p.shapeKind = SHAPE_RECTANGLE;
  p.width = 50;
  p.height = 30;
  p.figureKind = FIGURE_TRAPEZOID;
  p.direction = DIRECTION_INWARD;
  p.count = 99999;
  RunRecompute(state, p);
}
BENCHMARK(BM_RecomputeDenseTrapezoids)->Unit(benchmark::kMillisecond);

// An imported wavy circle of 2,000,000 points with the default pattern: the
// imported base line is built from every point.
void BM_RecomputeImported2M(benchmark::State& state) {
  PointList ring;
  const int n = 2000000;
  for (int i = 0; i < n; i++) {
    double t = 2 * std::numbers::pi * i / n;
    double r = 25 + 0.3 * std::sin(200 * t);
    ring.push_back({-r * std::sin(t), r * std::cos(t)});
  }
  RunRecompute(state, ImportedDesign(ring, 50.6, 50.6));
}
BENCHMARK(BM_RecomputeImported2M)->Unit(benchmark::kMillisecond);

}  // namespace

namespace {

// Inward triangles on a sharp-cornered rectangle: at every corner the
// figures cross by the thousand and thousands of loops are cut.
void BM_RecomputeCornerTriangles(benchmark::State& state) {
  DesignParams p = DefaultDesign();
  p.shapeKind = SHAPE_RECTANGLE;
  p.width = 50;
  p.height = 30;
  p.cornerRadius = 0;
  p.figureKind = FIGURE_TRIANGLE;
  p.direction = DIRECTION_INWARD;
  p.count = state.range(0);
  RunRecompute(state, p);
}
BENCHMARK(BM_RecomputeCornerTriangles)->Arg(60000)->Arg(99999)->Unit(benchmark::kMillisecond);

// A wavy circle of 2,000,000 points, 100 mm across, as a project file gives
// it back (nine decimals): the offset of the rounded ring has thousands of
// micro-loops for the imported base line to cut.
void BM_RecomputeImportedProjectRing(benchmark::State& state) {
  PointList ring;
  const int n = 2000000;
  auto nineDecimals = [](double v) {
    char text[64];
    std::snprintf(text, sizeof text, "%.9f", v);
    return std::strtod(text, nullptr);
  };
  for (int i = 0; i < n; i++) {
    double a = std::numbers::pi / 2 + 2 * std::numbers::pi * i / n;
    double r = 50 + 0.5 * std::sin(60 * a);
    ring.push_back({nineDecimals(r * std::cos(a)), nineDecimals(r * std::sin(a))});
  }
  RunRecompute(state, ImportedDesign(ring, 101, 101));
}
BENCHMARK(BM_RecomputeImportedProjectRing)->Unit(benchmark::kMillisecond);

}  // namespace

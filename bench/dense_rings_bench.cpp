#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <random>

#include "engine/recompute.h"
#include "import/import_pieces.h"
#include "tests/support/default_design.h"

// Imported outlines that come from real work rather than from the pattern:
// very fine tessellations, combs, zigzags and noisy scans. Each is recomputed
// with the default pattern (its base line 2 mm inside the outline, so the
// loop cut of the imported base line has the crossings to cut) beside a
// clean circle of the same point count. The outlines are put in place as the
// import leaves them (centred, counter-clockwise); the import's own
// simplification keeps every point of these and is timed elsewhere.

namespace {

PointList CleanCircle(int64_t n) {
  PointList ring;
  for (int64_t k = 0; k < n; ++k) {
    double t = 2 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(n);
    ring.push_back({50 * std::cos(t), 50 * std::sin(t)});
  }
  return ring;
}

// Teeth 1 mm deep (x alternating 20 / 21, y step 0.001) on one side, a
// straight side 40 mm away on the other.
PointList Comb(int64_t teeth) {
  PointList ring;
  for (int64_t k = 0; k < 2 * teeth; ++k) ring.push_back({k % 2 ? 21.0 : 20.0, 0.001 * static_cast<double>(k)});
  ring.push_back({-20, 0.001 * static_cast<double>(2 * teeth - 1)});
  ring.push_back({-20, 0});
  return ring;
}

// A zigzag whose swing grows along it, closed far below.
PointList GrowingZigzag(int64_t n) {
  PointList ring;
  for (int64_t k = 0; k < n; ++k)
    ring.push_back({0.01 * static_cast<double>(k), (k % 2 ? 1 : -1) * (0.001 + 0.0005 * static_cast<double>(k))});
  ring.push_back({0.01 * static_cast<double>(n), -1000});
  ring.push_back({0, -1000});
  return ring;
}

// A zigzag of even swing 2 mm, closed by a flat base 10 mm below.
PointList FlatZigzag(int64_t n) {
  PointList ring;
  for (int64_t k = 0; k < n; ++k) ring.push_back({0.0005 * static_cast<double>(k), k % 2 ? 2.0 : 0.0});
  ring.push_back({0.0005 * static_cast<double>(n - 1), -10});
  ring.push_back({0, -10});
  return ring;
}

// A circle of radius 50 with uniform noise of 0.01 mm on the radius.
PointList NoisyCircle(int64_t n) {
  std::mt19937_64 random(28);
  std::uniform_real_distribution<double> noise(-0.01, 0.01);
  PointList ring;
  for (int64_t k = 0; k < n; ++k) {
    double t = 2 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(n);
    double r = 50 + noise(random);
    ring.push_back({r * std::cos(t), r * std::sin(t)});
  }
  return ring;
}

// x alternating -20 / +20, y climbing 0.0005 a vertex; the closing segment
// runs back across every tooth.
PointList WideZigzag(int64_t n) {
  PointList ring;
  for (int64_t k = 0; k < n; ++k) ring.push_back({k % 2 ? 20.0 : -20.0, 0.0005 * static_cast<double>(k)});
  return ring;
}

void RunImported(benchmark::State& state, PointList outline) {
  DesignParams p = DefaultDesign();
  double w = 0, h = 0;
  NormalizeImportedOutline(outline, w, h);
  p.shapeKind = SHAPE_IMPORTED;
  p.importPoints = outline;
  p.importWidth = p.width = w;
  p.importHeight = p.height = h;
  DesignResult result;
  for (auto _ : state) {
    RecomputeOutline(p, result);
    benchmark::DoNotOptimize(result.outlinePoints.data());
  }
  state.counters["valid"] = result.valid ? 1 : 0;
  state.counters["points"] = static_cast<double>(result.outlinePoints.size());
  state.counters["loops"] = static_cast<double>(result.loopsRemoved);
}

void BM_DenseCircle(benchmark::State& state) { RunImported(state, CleanCircle(state.range(0))); }
BENCHMARK(BM_DenseCircle)->Arg(25000)->Arg(100000)->Arg(200000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_DenseComb(benchmark::State& state) { RunImported(state, Comb(state.range(0))); }
BENCHMARK(BM_DenseComb)->Arg(12500)->Arg(25000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_DenseGrowingZigzag(benchmark::State& state) { RunImported(state, GrowingZigzag(state.range(0))); }
BENCHMARK(BM_DenseGrowingZigzag)->Arg(200000)->Unit(benchmark::kMillisecond);

void BM_DenseFlatZigzag(benchmark::State& state) { RunImported(state, FlatZigzag(state.range(0))); }
BENCHMARK(BM_DenseFlatZigzag)->Arg(200000)->Unit(benchmark::kMillisecond);

void BM_DenseNoisyCircle(benchmark::State& state) { RunImported(state, NoisyCircle(state.range(0))); }
BENCHMARK(BM_DenseNoisyCircle)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_DenseWideZigzag(benchmark::State& state) { RunImported(state, WideZigzag(state.range(0))); }
BENCHMARK(BM_DenseWideZigzag)->Arg(200000)->Unit(benchmark::kMillisecond);

}  // namespace

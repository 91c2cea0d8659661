#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <random>
#include <utility>

#include "engine/recompute.h"
#include "import/import_pieces.h"
#include "tests/support/default_design.h"
#include "tests/support/dense_rings.h"
#include "tests/support/imported_design.h"

// Imported outlines that come from real work rather than from the pattern:
// very fine tessellations, combs, zigzags and noisy scans. Each is recomputed
// with the default pattern (its base line 2 mm inside the outline, so the
// loop cut of the imported base line has the crossings to cut) beside a
// clean circle of the same point count. The outlines are put in place as the
// import leaves them (centred, counter-clockwise); the import's own
// simplification keeps every point of these and is timed elsewhere.

namespace {

void RunImported(benchmark::State& state, PointList outline) {
  const DesignParams p = NormalizedImportedDesign(std::move(outline));
  DesignResult result;
  for (auto _ : state) {
    RecomputeOutline(p, result);
    benchmark::DoNotOptimize(result.outlinePoints.data());
  }
  state.counters["valid"] = result.valid ? 1 : 0;
  state.counters["points"] = static_cast<double>(result.outlinePoints.size());
  state.counters["loops"] = static_cast<double>(result.loopsRemoved);
}

void BM_DenseCircle(benchmark::State& state) { RunImported(state, CleanCircle(state.range(0), 50, RING_FROM_RIGHT)); }
BENCHMARK(BM_DenseCircle)->Arg(25000)->Arg(100000)->Arg(200000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_DenseComb(benchmark::State& state) { RunImported(state, Comb(state.range(0), 0.001, 1, false)); }
BENCHMARK(BM_DenseComb)->Arg(12500)->Arg(25000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_DenseGrowingZigzag(benchmark::State& state) { RunImported(state, GrowingZigzag(state.range(0), -1000)); }
BENCHMARK(BM_DenseGrowingZigzag)->Arg(200000)->Unit(benchmark::kMillisecond);

void BM_DenseFlatZigzag(benchmark::State& state) { RunImported(state, FlatZigzag(state.range(0), 0.0005, 0.0005 * static_cast<double>(state.range(0) - 1))); }
BENCHMARK(BM_DenseFlatZigzag)->Arg(200000)->Unit(benchmark::kMillisecond);

void BM_DenseNoisyCircle(benchmark::State& state) { RunImported(state, NoisyCircle(state.range(0), 50, 0.01, std::mt19937_64(28), RING_FROM_RIGHT)); }
BENCHMARK(BM_DenseNoisyCircle)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void BM_DenseWideZigzag(benchmark::State& state) { RunImported(state, WideZigzag(state.range(0), 0.0005)); }
BENCHMARK(BM_DenseWideZigzag)->Arg(200000)->Unit(benchmark::kMillisecond);

}  // namespace

#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>

#include "engine/loop_cut/loop_cut.h"

namespace {

constexpr int64_t RING_POINTS = 400000;

// A circle of radius 100 with small circles rolled along it, each of which
// makes a loop.
PointList LoopedRing(int64_t loops) {
  PointList ring;
  double b = loops > 0 ? 150.0 / static_cast<double>(loops) : 0;
  for (int64_t k = 0; k < RING_POINTS; ++k) {
    double t = 2 * std::numbers::pi * static_cast<double>(k) / static_cast<double>(RING_POINTS);
    double u = t * static_cast<double>(loops);
    AddListPoint(ring, 100 * std::cos(t) + b * std::cos(u), 100 * std::sin(t) + b * std::sin(u));
  }
  return ring;
}

void BM_RemoveSelfIntersections(benchmark::State& state) {
  PointList source = LoopedRing(state.range(0));
  int64_t cuts = 0;
  for (auto _ : state) {
    PointList ring = source;
    cuts = RemoveSelfIntersections(ring);
    benchmark::DoNotOptimize(ring.data());
  }
  state.counters["cuts"] = static_cast<double>(cuts);
}
BENCHMARK(BM_RemoveSelfIntersections)->Arg(0)->Arg(40)->Arg(400)->Arg(2000)->Unit(benchmark::kMillisecond);

}  // namespace

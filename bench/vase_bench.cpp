#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

#include "engine/recompute.h"
#include "tests/support/default_design.h"
#include "vase/cap_triangulation.h"
#include "vase/preview_mesh.h"
#include "vase/preview_renderer.h"
#include "vase/quad_diagonals.h"

namespace {

// A zigzag ring of `n` points that the preview's thinning keeps whole.
PointList Zigzag(int n, double r, double amplitude) {
  PointList ring;
  for (int i = 0; i < n; ++i) {
    double a = M_PI / 2 + 2 * M_PI * i / n;
    double radius = r + (i % 2 ? amplitude : 0);
    ring.push_back({radius * std::cos(a), radius * std::sin(a)});
  }
  return ring;
}

PointList Circle(int n, double r) { return Zigzag(n, r, 0); }

// 20,000 points: a 50 mm circle with 40 rounded outward teeth.
PointList DenseOutline() {
  PointList ring;
  const int n = 20000;
  for (int i = 0; i < n; ++i) {
    double t = 2 * M_PI * i / n;
    double r = 25 + 2 * std::fmax(0.0, std::tanh(6 * std::sin(40 * t)));
    ring.push_back({-r * std::sin(t), r * std::cos(t)});
  }
  return ring;
}

DesignResult Result(const PointList& outline, const PointList& baseLine) {
  DesignResult r;
  r.valid = 1;
  r.outlinePoints = outline;
  r.baseLinePoints = baseLine;
  return r;
}

// A full fine mesh: 120 mm, 60 steps, 1500 points a slice (~180,000 triangles).
DesignResult FineZigzagResult() { return Result(Zigzag(1500, 25, 0.5), Circle(1570, 25)); }

// As a 120 mm, 60-step solid vase: its outline thins to a few hundred points.
void BM_RenderDefaultDesign800x750(benchmark::State& state) {
  DesignResult r;
  RecomputeOutline(DefaultDesign(), r);
  VaseParams v;
  RebuildPreviewMeshFor(r, v, 0);
  for (auto _ : state) RenderPreviewMesh(800, 750, 35, 28, 1);
  state.counters["triangles"] = static_cast<double>(gTriangleCount);
}
BENCHMARK(BM_RenderDefaultDesign800x750)->Unit(benchmark::kMillisecond);

void BM_RenderFine800x750(benchmark::State& state) {
  VaseParams v;
  RebuildPreviewMeshFor(FineZigzagResult(), v, 0);
  for (auto _ : state) RenderPreviewMesh(800, 750, 35, 28, 1);
  state.counters["triangles"] = static_cast<double>(gTriangleCount);
}
BENCHMARK(BM_RenderFine800x750)->Unit(benchmark::kMillisecond);

void BM_RebuildFineWithoutThinning(benchmark::State& state) {
  VaseParams v;
  DesignResult r = FineZigzagResult();
  RebuildPreviewMeshFor(r, v, 0);
  for (auto _ : state) {
    RebuildPreviewMeshFor(r, v, 0);
    benchmark::DoNotOptimize(gVertX.data());
  }
  state.counters["triangles"] = static_cast<double>(gTriangleCount);
}
BENCHMARK(BM_RebuildFineWithoutThinning)->Unit(benchmark::kMillisecond);

// The split of every quad of a twisted wall, 1 and 24 degrees a step, on
// the 1500-point zigzag and on the 20,000-point toothed outline.
void BM_ChooseQuadDiagonals(benchmark::State& state) {
  const PointList ring = state.range(0) ? DenseOutline() : Zigzag(1500, 25, 0.5);
  const double turn = static_cast<double>(state.range(1)) * M_PI / 180;
  std::vector<uint8_t> flips;
  for (auto _ : state) benchmark::DoNotOptimize(ChooseQuadDiagonals(ring, turn, true, flips));
}
BENCHMARK(BM_ChooseQuadDiagonals)
    ->Args({0, 1})
    ->Args({0, 24})
    ->Args({1, 1})
    ->Args({1, 24})
    ->ArgNames({"dense", "degrees"})
    ->Unit(benchmark::kMillisecond);

void BM_RenderCoarse(benchmark::State& state) {
  VaseParams v;
  RebuildPreviewMeshFor(Result(DenseOutline(), Circle(1570, 25)), v, 1);
  for (auto _ : state) RenderPreviewMesh(state.range(0), state.range(1), 35, 28, 1);
  state.counters["triangles"] = static_cast<double>(gTriangleCount);
}
BENCHMARK(BM_RenderCoarse)->Args({800, 750})->Args({1920, 1080})->Unit(benchmark::kMillisecond);

// The heaviest preview: hollow, 1500 points, 400 steps (~2.4 million triangles).
void BM_HollowHeavy(benchmark::State& state) {
  VaseParams v;
  v.hollow = 1;
  v.steps = 400;
  DesignResult r = FineZigzagResult();
  RebuildPreviewMeshFor(r, v, 0);
  for (auto _ : state) {
    if (state.range(0)) RebuildPreviewMeshFor(r, v, 0);
    RenderPreviewMesh(800, 750, 35, 28, 1);
  }
  state.counters["triangles"] = static_cast<double>(gTriangleCount);
}
BENCHMARK(BM_HollowHeavy)->Arg(0)->Arg(1)->ArgNames({"rebuild"})->Unit(benchmark::kMillisecond);

// First build of a dense outline, thinning included.
void BM_ThinDenseOutline(benchmark::State& state) {
  VaseParams v;
  PointList dense = DenseOutline();
  int64_t flip = 0;
  for (auto _ : state) {
    // A changed point defeats the ring cache.
    dense[0].x = 1e-9 * static_cast<double>(++flip % 2);
    BuildPreviewMesh(dense, Circle(1570, 25), v, FINE_POINT_BUDGET);
  }
  state.counters["ring"] = static_cast<double>(gRingSize);
}
BENCHMARK(BM_ThinDenseOutline)->Unit(benchmark::kMillisecond);

// The default design at the largest count, both preview builds, beside a
// clean circle of as many points: the thinning runs anew for each.
void BM_PreviewAtLargestCount(benchmark::State& state) {
  DesignResult r;
  DesignParams p = DefaultDesign();
  p.count = 100000;
  RecomputeOutline(p, r);
  if (state.range(0) == 0) {
    size_t n = r.outlinePoints.size();
    r.outlinePoints = Circle(static_cast<int>(n), 25);
  }
  VaseParams v;
  int64_t flip = 0;
  for (auto _ : state) {
    // A changed point defeats the ring cache.
    r.outlinePoints[0].x += 1e-12 * static_cast<double>(++flip % 2 ? 1 : -1);
    RebuildPreviewMeshFor(r, v, 1);
    RebuildPreviewMeshFor(r, v, 0);
  }
  state.counters["points"] = static_cast<double>(r.outlinePoints.size());
  state.counters["ring"] = static_cast<double>(gRingSize);
}
BENCHMARK(BM_PreviewAtLargestCount)->Arg(0)->Arg(1)->ArgNames({"design"})->Unit(benchmark::kMillisecond);

// A 20,000-point outline that is not star-shaped about the origin.
void BM_TriangulateNonStar20k(benchmark::State& state) {
  PointList ring = DenseOutline();
  std::vector<double> x, y;
  for (const OutlinePoint& p : ring) {
    x.push_back(p.x + 40);
    y.push_back(p.y);
  }
  std::vector<int64_t> triangles;
  for (auto _ : state) TriangulatePolygon(x.data(), y.data(), static_cast<int64_t>(x.size()), triangles);
  state.counters["triangles"] = static_cast<double>(triangles.size() / 3);
}
BENCHMARK(BM_TriangulateNonStar20k)->Unit(benchmark::kMillisecond);

}  // namespace

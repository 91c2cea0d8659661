#include <benchmark/benchmark.h>

#include <cmath>
#include <string>
#include <unistd.h>

#include "engine/polyline.h"
#include "export/dxf_writer.h"
#include "export/outline_step.h"
#include "export/step_writer.h"
#include "export/vase_rings.h"
#include "export/vase_step.h"
#include "export/vase_stl.h"
#include "text/texts.h"

namespace {

// A large patterned outline of 400,000 points: a circle of radius 1000 mm
// with 1000 sine bumps 2 mm deep; thinning at 0.001 mm keeps a third of them.
DesignResult MakeResult(int bumps, double depth) {
  // Naming the table here also makes the linker keep the language selector.
  gTexts = gTextsEn;
  DesignResult result;
  const int count = 400000;
  result.valid = 1;
  result.count = bumps;
  for (int i = 0; i < count; ++i) {
    double a = 2 * M_PI * i / count;
    double r = 1000 + depth * std::sin(bumps * a);
    result.outlinePoints.push_back({r * std::cos(a + M_PI / 2), r * std::sin(a + M_PI / 2)});
  }
  result.minX = result.minY = -1000 - depth;
  result.maxX = result.maxY = 1000 + depth;
  return result;
}

const DesignResult& LargeResult() {
  static DesignResult result = MakeResult(1000, 2);
  return result;
}

// The worst case: 4000 bumps 3 mm deep, steep enough that most points stay
// and many turns become corners (one plane face each): about 100 MB of STEP.
const DesignResult& SteepResult() {
  static DesignResult result = MakeResult(4000, 3);
  return result;
}

std::string BenchPath(const char* name) { return "/tmp/ribbelo_bench_" + std::to_string(getpid()) + name; }

void RunStepSolid(benchmark::State& state, const DesignResult& result) {
  std::string path = BenchPath(".stp");
  int64_t points = 0;
  for (auto _ : state) points = ExportOutlineStep(path, result, STEP_AS_SOLID, 10, OUTLINE_EXPORT_TOLERANCE);
  state.counters["points"] = static_cast<double>(points);
  state.counters["entities"] = static_cast<double>(gStepNextId);
  unlink(path.c_str());
}
void BM_OutlineStepSolid400k(benchmark::State& state) { RunStepSolid(state, LargeResult()); }
BENCHMARK(BM_OutlineStepSolid400k)->Unit(benchmark::kMillisecond);
void BM_OutlineStepSolid400kSteep(benchmark::State& state) { RunStepSolid(state, SteepResult()); }
BENCHMARK(BM_OutlineStepSolid400kSteep)->Unit(benchmark::kMillisecond);

void BM_OutlineDxf400k(benchmark::State& state) {
  const DesignResult& result = LargeResult();
  std::string path = BenchPath(".dxf");
  int64_t points = 0;
  for (auto _ : state) points = ExportOutlineDxf(path, result, 0, OUTLINE_EXPORT_TOLERANCE);
  state.counters["points"] = static_cast<double>(points);
  unlink(path.c_str());
}
BENCHMARK(BM_OutlineDxf400k)->Unit(benchmark::kMillisecond);

void BM_FormatStepReal(benchmark::State& state) {
  std::string out;
  double x = 0.123456789;
  for (auto _ : state) {
    out.clear();
    for (int i = 0; i < 1000; ++i) AppendStepReal(out, x * i - 300.0);
    benchmark::DoNotOptimize(out.data());
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_FormatStepReal);

}  // namespace

namespace {

// A patterned vase: radius 50 mm, 24 bumps 3 mm deep, 3000 outline points,
// twisted, scaled and bulged so that every slice row counts.
VaseParams BenchVase(int64_t steps, int64_t hollow) {
  VaseParams vase;
  vase.height = 120;
  vase.steps = steps;
  vase.twist = 45;
  vase.topScale = 0.8;
  vase.bulge = 0.15;
  vase.hollow = hollow;
  vase.wallThickness = 2;
  vase.bottomThickness = 3;
  vase.innerWallMode = INNER_WALL_FOLLOW_PATTERN;
  return vase;
}

const PointList& VaseOutline() {
  static PointList ring = [] {
    PointList points;
    for (int i = 0; i < 3000; ++i) {
      double a = 2 * M_PI * i / 3000;
      double r = 50 + 3 * std::sin(24 * a);
      points.push_back({r * std::cos(a + M_PI / 2), r * std::sin(a + M_PI / 2)});
    }
    return points;
  }();
  return ring;
}

void BM_VaseStlHollow60(benchmark::State& state) {
  std::string path = BenchPath(".stl");
  int64_t triangles = 0;
  for (auto _ : state) triangles = ExportVaseStl(path, VaseOutline(), {}, BenchVase(60, 1), VASE_STL_TOLERANCE);
  state.counters["triangles"] = static_cast<double>(triangles);
  unlink(path.c_str());
}
BENCHMARK(BM_VaseStlHollow60)->Unit(benchmark::kMillisecond);

void BM_VaseStepHollow(benchmark::State& state) {
  std::string path = BenchPath(".stp");
  int64_t faces = 0;
  for (auto _ : state)
    faces = ExportVaseStep(path, VaseOutline(), {}, BenchVase(state.range(0), 1), VASE_STEP_TOLERANCE);
  state.counters["faces"] = static_cast<double>(faces);
  state.counters["entities"] = static_cast<double>(gStepNextId);
  unlink(path.c_str());
}
BENCHMARK(BM_VaseStepHollow)->Arg(60)->Arg(400)->Unit(benchmark::kMillisecond);

// The vase writers' checks alone, which a fine preview rebuild also runs
// whenever the outline or a vase value changed: the bench vase, and the
// large outline made a hollow vase.
void BM_PrepareVaseRingsHollow(benchmark::State& state) {
  const PointList& outline = state.range(0) ? LargeResult().outlinePoints : VaseOutline();
  PointList outer, inner;
  int64_t steps = 0;
  for (auto _ : state) steps = PrepareVaseRings(outline, {}, BenchVase(60, 1), VASE_STL_TOLERANCE, outer, inner);
  state.counters["steps"] = static_cast<double>(steps);
  state.counters["outer"] = static_cast<double>(outer.size());
}
BENCHMARK(BM_PrepareVaseRingsHollow)->Arg(0)->Arg(1)->ArgNames({"large"})->Unit(benchmark::kMillisecond);

}  // namespace

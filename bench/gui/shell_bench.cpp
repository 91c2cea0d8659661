// The shell's share of a keystroke and of a window resize. Needs an X
// display: xvfb-run -a build/release/bench/ribbelo_gui_bench
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "app/change_handling.h"
#include "app/gadgets.h"
#include "app/main_program.h"
#include "app/main_window.h"
#include "app/platform/window_system.h"
#include "app/platform/window_system_test_input.h"
#include "app/project_commands.h"
#include "engine/design.h"
#include "engine/recompute.h"
#include "import/import_state.h"

namespace {

bool StartShell() {
  static int started = -1;
  if (started < 0) {
    static char name[] = "ribbelo_gui_bench";
    static char* args[] = {name, nullptr};
    int argc = 1;
    char** argv = args;
    started = static_cast<int>(InitWindowSystem(argc, argv));
    if (started == 1) {
      UseCannedDialogs(1);
      StartMainProgram();
      ProcessPendingToolkitEvents();
    }
  }
  return started == 1;
}

// The last digit of the default count typed into the count field: the
// toolkit's change, the queue, and the road up to the written-back fields
// and the information and status texts. Drawing is not included.
void BM_KeystrokeToWriteBack(benchmark::State& state) {
  if (!StartShell()) {
    state.SkipWithError("no X display");
    return;
  }
  for (auto _ : state) {
    SetGadgetText(WINDOW_MAIN, GADGET_COUNT, "4");  // raises no event
    ClearEventQueue();
    UserTypeText(WINDOW_MAIN, GADGET_COUNT, "0");
    while (TakeQueuedEvent() != EVENT_NONE) {
      if (EventGadget() == GADGET_COUNT && EventType() == EVENT_CHANGE) {
        gDivideByWidth = DIVIDE_BY_COUNT;
        UpdateDesignFromForm(GADGET_COUNT);
      }
    }
  }
  if (gResult.count != 40) state.SkipWithError("the default design was not recomputed");
}
BENCHMARK(BM_KeystrokeToWriteBack)->Unit(benchmark::kMicrosecond);

// The same keystroke through the loop's dispatch with the drawing of the
// canvas, and the toolkit's repaint of the window after it.
void BM_KeystrokeDispatched(benchmark::State& state) {
  if (!StartShell()) {
    state.SkipWithError("no X display");
    return;
  }
  for (auto _ : state) {
    SetGadgetText(WINDOW_MAIN, GADGET_COUNT, "4");
    ClearEventQueue();
    UserTypeText(WINDOW_MAIN, GADGET_COUNT, "0");
    while (TakeQueuedEvent() != EVENT_NONE) DispatchCurrentEvent();
    ProcessPendingToolkitEvents();  // the toolkit repaints the changed fields
  }
}
BENCHMARK(BM_KeystrokeDispatched)->Unit(benchmark::kMicrosecond);

// Each iteration types the last character into a field holding `before`,
// from the toolkit's change to the repainted window; the recompute alone is
// timed beside it (its median in the counter recompute_ms).
void TypeAndRedraw(benchmark::State& state, int64_t field, const std::string& before, const std::string& typed) {
  auto keystroke = [&] {
    SetGadgetText(WINDOW_MAIN, field, before.c_str());
    ClearEventQueue();
    UserTypeText(WINDOW_MAIN, field, typed);
    while (TakeQueuedEvent() != EVENT_NONE) DispatchCurrentEvent();
    ProcessPendingToolkitEvents();
  };
  // Once untimed, so that the few timed runs all find the design's memory
  // in use, as the recompute beside them does.
  keystroke();
  std::vector<double> recompute;
  for (auto _ : state) {
    keystroke();
    state.PauseTiming();
    DesignResult result;
    auto start = std::chrono::steady_clock::now();
    RecomputeOutline(gParams, result);
    recompute.push_back(std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
    state.ResumeTiming();
  }
  std::sort(recompute.begin(), recompute.end());
  if (!recompute.empty()) state.counters["recompute_ms"] = 1000 * recompute[recompute.size() / 2];
}

// A wavy circle of n points, 100 mm across, made the base outline as an
// import would.
void ImportWavyRing(int64_t n) {
  PointList ring;
  ring.reserve(static_cast<size_t>(n));
  for (int64_t i = 0; i < n; ++i) {
    double a = std::numbers::pi / 2 + 2 * std::numbers::pi * static_cast<double>(i) / static_cast<double>(n);
    double r = 50 + 0.5 * std::sin(60 * a);
    ring.push_back(OutlinePoint{r * std::cos(a), r * std::sin(a)});
  }
  gImportFileName = "wavy.dxf";
  gImportMessage = "1 closed loop(s); the largest is used.";
  ApplyImportedOutline(ring, 101, 101);
}

// A keystroke with a large imported ring, from the toolkit's change to the
// repainted window, beside the recompute alone: in the count field of the
// default pattern (arg 1 = 1), or in the width field without a pattern
// (arg 1 = 0), where the outline is the whole ring and the view is fitted;
// arg 2 = 1 shows the 3D preview; arg 3 = 1 saves the ring in a project and
// opens that, whose nine decimals give the engine a rougher ring.
void BM_KeystrokeToRedrawImportedRing(benchmark::State& state) {
  if (!StartShell()) {
    state.SkipWithError("no X display");
    return;
  }
  const bool pattern = state.range(1) != 0;
  SetGadgetState(WINDOW_MAIN, GADGET_FIGURE, pattern ? FIGURE_RECTANGLE : FIGURE_NONE);
  SetGadgetState(WINDOW_MAIN, GADGET_SHOW_3D, state.range(2));
  ImportWavyRing(state.range(0));
  if (state.range(3) != 0) {
    const std::string path = "/tmp/ribbelo_bench_" + std::to_string(getpid()) + "_ring.omt";
    AddCannedFileAnswer(path);
    SaveProject(1);
    OpenProjectFile(path);
    std::remove(path.c_str());
  }
  const int64_t field = pattern ? GADGET_COUNT : GADGET_WIDTH;
  TypeAndRedraw(state, field, pattern ? "4" : "10", "0");
  if (gResult.valid != 1) state.SkipWithError("the imported design was not recomputed");
  state.counters["points"] = static_cast<double>(gResult.outlinePoints.size());
  SetGadgetState(WINDOW_MAIN, GADGET_FIGURE, FIGURE_RECTANGLE);
  SetGadgetState(WINDOW_MAIN, GADGET_SHOW_3D, 0);
  SetGadgetState(WINDOW_MAIN, GADGET_SHAPE, SHAPE_CIRCLE);
  SetGadgetText(WINDOW_MAIN, GADGET_WIDTH, "50");
  OnParametersChanged(-1, 1);
}
BENCHMARK(BM_KeystrokeToRedrawImportedRing)
    ->Args({2'000'000, 1, 0, 0})
    ->Args({2'000'000, 0, 0, 0})
    ->Args({2'000'000, 1, 1, 0})
    ->Args({2'000'000, 0, 1, 0})
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3);
// The ring as a user meets it, from a project file; each keystroke takes
// seconds, so it runs once.
BENCHMARK(BM_KeystrokeToRedrawImportedRing)->Args({2'000'000, 1, 0, 1})->Unit(benchmark::kMillisecond)->Iterations(1);

// The last digit of a figure count typed near the point budget, from the
// toolkit's change to the repainted window, beside the recompute alone:
// 0 the dense ellipse (200 x 20, 100,000 inward rectangles 3 deep), 1 the
// default circle with 99,999 rectangles, 2 a rounded rectangle 50 x 30 with
// 99,999 inward trapezoids, 3 a sharp rectangle 50 x 30 with 60,000 inward
// triangles.
void BM_KeystrokeToRedrawTypedCount(benchmark::State& state) {
  if (!StartShell()) {
    state.SkipWithError("no X display");
    return;
  }
  struct Design {
    int64_t shape, figure, inward;
    const char *width, *height, *radius, *depth, *count;
  };
  const Design designs[] = {{SHAPE_ELLIPSE, FIGURE_RECTANGLE, 1, "200", "20", "5", "3", "100000"},
                            {SHAPE_CIRCLE, FIGURE_RECTANGLE, 0, "50", "50", "5", "2", "99999"},
                            {SHAPE_RECTANGLE, FIGURE_TRAPEZOID, 1, "50", "30", "5", "2", "99999"},
                            {SHAPE_RECTANGLE, FIGURE_TRIANGLE, 1, "50", "30", "0", "2", "60000"}};
  const Design& d = designs[state.range(0)];
  SetGadgetState(WINDOW_MAIN, GADGET_SHAPE, d.shape);
  SetGadgetState(WINDOW_MAIN, GADGET_FIGURE, d.figure);
  SetGadgetState(WINDOW_MAIN, GADGET_DIRECTION, d.inward);
  SetGadgetText(WINDOW_MAIN, GADGET_WIDTH, d.width);
  SetGadgetText(WINDOW_MAIN, GADGET_HEIGHT, d.height);
  SetGadgetText(WINDOW_MAIN, GADGET_CORNER_RADIUS, d.radius);
  SetGadgetText(WINDOW_MAIN, GADGET_DEPTH, d.depth);
  const std::string count = d.count;
  TypeAndRedraw(state, GADGET_COUNT, count.substr(0, count.size() - 1), count.substr(count.size() - 1));
  if (gResult.valid != 1 || gResult.count != std::stoll(count)) state.SkipWithError("the design was not recomputed");
  state.counters["points"] = static_cast<double>(gResult.outlinePoints.size());
  state.counters["loops"] = static_cast<double>(gResult.loopsRemoved);
  SetGadgetState(WINDOW_MAIN, GADGET_SHAPE, SHAPE_CIRCLE);
  SetGadgetState(WINDOW_MAIN, GADGET_FIGURE, FIGURE_RECTANGLE);
  SetGadgetState(WINDOW_MAIN, GADGET_DIRECTION, 0);
  SetGadgetText(WINDOW_MAIN, GADGET_WIDTH, "50");
  SetGadgetText(WINDOW_MAIN, GADGET_CORNER_RADIUS, "5");
  SetGadgetText(WINDOW_MAIN, GADGET_DEPTH, "2");
  SetGadgetText(WINDOW_MAIN, GADGET_COUNT, "40");
  OnParametersChanged(-1, 1);
}
BENCHMARK(BM_KeystrokeToRedrawTypedCount)->DenseRange(0, 3)->Unit(benchmark::kMillisecond)->Iterations(3);

// A resize re-lays out and redraws; the result must stay untouched.
void BM_WindowResizeLayout(benchmark::State& state) {
  if (!StartShell()) {
    state.SkipWithError("no X display");
    return;
  }
  gResult.warnings.push_back("sentinel");
  for (auto _ : state) OnMainWindowResize();
  if (gResult.warnings.empty() || gResult.warnings.back() != "sentinel")
    state.SkipWithError("a resize recomputed the design");
  else
    gResult.warnings.pop_back();
}
BENCHMARK(BM_WindowResizeLayout)->Unit(benchmark::kMicrosecond);

}  // namespace

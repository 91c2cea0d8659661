// The shell's share of a keystroke and of a window resize. Needs an X
// display: xvfb-run -a build/release/bench/ribbelo_gui_bench
#include <benchmark/benchmark.h>

#include "app/change_handling.h"
#include "app/gadgets.h"
#include "app/main_program.h"
#include "app/main_window.h"
#include "app/window_system.h"
#include "engine/design.h"

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

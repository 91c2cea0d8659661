// Saving and opening a project with a 100,000-point imported outline: the
// file writer and reader alone, and the whole commands through the form
// (these need an X display: xvfb-run -a build/release/bench/ribbelo_app_bench).
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <numbers>
#include <string>
#include <vector>

#include "app/change_handling.h"
#include "app/document_state.h"
#include "app/gadgets.h"
#include "app/main_program.h"
#include "app/platform/window_system.h"
#include "app/project_commands.h"
#include "app/project_file.h"
#include "import/import_state.h"

namespace {

std::string BenchPath(const char* name) { return "/tmp/ribbelo_bench_" + std::to_string(getpid()) + "_" + name; }

// A 50 mm circle with 200 shallow waves, counter-clockwise from the top.
PointList WavyOutline(int n) {
  PointList points;
  for (int i = 0; i < n; ++i) {
    double t = 2 * std::numbers::pi * i / n;
    double r = 25 + 0.3 * std::sin(200 * t);
    AddListPoint(points, -r * std::sin(t), r * std::cos(t));
  }
  return points;
}

void FileRecords(DesignParams& p, VaseParams& v, ProjectExtras& e) {
  p = DesignParams();
  p.shapeKind = SHAPE_IMPORTED;
  p.width = p.height = p.importWidth = p.importHeight = 50.6;
  p.figureKind = FIGURE_RECTANGLE;
  p.direction = DIRECTION_OUTWARD;
  p.count = 40;
  p.importPoints = WavyOutline(100000);
  v = VaseParams();
  e = ProjectExtras();
  e.importFile = "/home/a/wavy.dxf";
}

void BM_WriteProjectFile100k(benchmark::State& state) {
  DesignParams p;
  VaseParams v;
  ProjectExtras e;
  FileRecords(p, v, e);
  std::string path = BenchPath("write.omt");
  for (auto _ : state)
    if (!WriteProjectFile(path, p, v, e)) state.SkipWithError("write failed");
  unlink(path.c_str());
}
BENCHMARK(BM_WriteProjectFile100k)->Unit(benchmark::kMillisecond);

void BM_ReadProjectFile100k(benchmark::State& state) {
  DesignParams p;
  VaseParams v;
  ProjectExtras e;
  FileRecords(p, v, e);
  std::string path = BenchPath("read.omt");
  if (!WriteProjectFile(path, p, v, e)) state.SkipWithError("write failed");
  for (auto _ : state) {
    DesignParams rp;
    VaseParams rv;
    ProjectExtras re;
    if (!ReadProjectFile(path, rp, rv, re) || rp.importPoints.size() != 100000) state.SkipWithError("read failed");
  }
  unlink(path.c_str());
}
BENCHMARK(BM_ReadProjectFile100k)->Unit(benchmark::kMillisecond);

// The main window with the imported outline, saved once, and saved again
// with one figure more as a second project; "" without a display.
std::string gOtherPath;

std::string ShellWithProject() {
  static std::string path;
  static int started = -1;
  if (started < 0) {
    static char name[] = "ribbelo_app_bench";
    static char* args[] = {name, nullptr};
    int argc = 1;
    char** argv = args;
    started = static_cast<int>(InitWindowSystem(argc, argv));
    if (started != 1) return "";
    UseCannedDialogs(1);
    StartMainProgram();
    gImportFileName = "/home/a/wavy.dxf";
    ApplyImportedOutline(WavyOutline(100000), 50.6, 50.6);
    path = BenchPath("command.omt");
    AddCannedFileAnswer(path);
    if (!SaveProject(1)) path.clear();
    SetGadgetText(WINDOW_MAIN, GADGET_COUNT, "41");
    OnParametersChanged(GADGET_COUNT, 0);
    gOtherPath = BenchPath("other.omt");
    AddCannedFileAnswer(gOtherPath);
    if (!SaveProject(1)) path.clear();
    std::atexit([] {
      unlink(path.c_str());
      unlink(gOtherPath.c_str());
    });
  }
  return path;
}

// Runs body once per iteration on the main window with the project.
template <typename Body>
void WithProject(benchmark::State& state, Body body) {
  std::string path = ShellWithProject();
  if (path.empty()) {
    state.SkipWithError("no X display");
    return;
  }
  for (auto _ : state) body(path);
}

void BM_SaveProjectCommand100k(benchmark::State& state) {
  WithProject(state, [&](const std::string&) {
    MarkProjectModified();
    if (!SaveProject(0)) state.SkipWithError("save failed");
  });
}
BENCHMARK(BM_SaveProjectCommand100k)->Unit(benchmark::kMillisecond);

// Includes the recompute with fit and the drawing that every open does.
void BM_OpenProjectCommand100k(benchmark::State& state) {
  WithProject(state, [&](const std::string& path) {
    if (!OpenProjectFile(path) || gParams.importPoints.size() != 100000) state.SkipWithError("open failed");
  });
}
BENCHMARK(BM_OpenProjectCommand100k)->Unit(benchmark::kMillisecond);

// The open command beside a read of the same file, alternating so that both
// see the same load; the ratio of their medians is the figure to watch. The
// same project again, or (other) the two projects in turn, so that every
// field and text of the form changes.
void OpenBesideRead(benchmark::State& state, bool other) {
  std::vector<double> reads, opens;
  bool second = false;
  WithProject(state, [&](const std::string& first) {
    const std::string& path = other && second ? gOtherPath : first;
    second = !second;
    for (int k = 0; k < 2; ++k) {
      auto start = std::chrono::steady_clock::now();
      if (k == 0) {
        DesignParams p;
        VaseParams v;
        ProjectExtras e;
        if (!ReadProjectFile(path, p, v, e)) state.SkipWithError("read failed");
      } else if (!OpenProjectFile(path)) {
        state.SkipWithError("open failed");
      }
      std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
      (k == 0 ? reads : opens).push_back(took.count());
    }
  });
  if (reads.empty()) return;
  std::sort(reads.begin(), reads.end());
  std::sort(opens.begin(), opens.end());
  const double read = reads[reads.size() / 2], open = opens[opens.size() / 2];
  state.counters["read_ms"] = 1000 * read;
  state.counters["open_ms"] = 1000 * open;
  state.counters["ratio"] = open / read;
}
void BM_OpenBesideRead100k(benchmark::State& state) { OpenBesideRead(state, false); }
BENCHMARK(BM_OpenBesideRead100k)->Unit(benchmark::kMillisecond);
void BM_OpenOtherBesideRead100k(benchmark::State& state) { OpenBesideRead(state, true); }
BENCHMARK(BM_OpenOtherBesideRead100k)->Unit(benchmark::kMillisecond);

// The recompute with fit and drawing alone, to set the open command against.
void BM_RecomputeOpenedDesign100k(benchmark::State& state) {
  WithProject(state, [](const std::string&) { OnParametersChanged(-1, 1); });
}
BENCHMARK(BM_RecomputeOpenedDesign100k)->Unit(benchmark::kMillisecond);

}  // namespace

#include <benchmark/benchmark.h>

#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "import/dxf_reader.h"
#include "import/import_state.h"
#include "import/stl_model.h"
#include "import/stl_section.h"

namespace {

std::string BenchPath(const char* name) { return "/tmp/ribbelo_bench_" + std::to_string(getpid()) + "_" + name; }

void Append(std::string& s, double v) {
  char text[64];
  s.append(text, std::to_chars(text, text + sizeof text, v).ptr);
}

// A 100,000-gon as single LINE entities in shuffled order and mixed directions.
const std::string& PolygonDxf() {
  static std::string path;
  if (!path.empty()) return path;
  path = BenchPath("polygon.dxf");
  const int n = 100000;
  std::vector<int> order(n);
  for (int i = 0; i < n; ++i) order[i] = i;
  std::shuffle(order.begin(), order.end(), std::mt19937(42));
  std::string s = "0\nSECTION\n2\nENTITIES\n";
  for (int i : order) {
    double a0 = 2 * std::numbers::pi * i / n, a1 = 2 * std::numbers::pi * (i + 1) / n;
    double x0 = 500 * std::cos(a0), y0 = 500 * std::sin(a0), x1 = 500 * std::cos(a1), y1 = 500 * std::sin(a1);
    if (i % 2) std::swap(x0, x1), std::swap(y0, y1);
    s += "0\nLINE\n8\n0\n10\n";
    Append(s, x0);
    s += "\n20\n";
    Append(s, y0);
    s += "\n30\n0\n11\n";
    Append(s, x1);
    s += "\n21\n";
    Append(s, y1);
    s += "\n31\n0\n";
  }
  s += "0\nENDSEC\n0\nEOF\n";
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fwrite(s.data(), 1, s.size(), f);
  std::fclose(f);
  return path;
}

// A tube of `sides` facets and `stacks` bands: 2 * sides * stacks triangles.
template <typename Emit>
void EmitTube(int sides, int stacks, Emit emit) {
  for (int k = 0; k < stacks; ++k) {
    float z0 = 0.04f * k, z1 = 0.04f * (k + 1);
    for (int i = 0; i < sides; ++i) {
      double a0 = 2 * std::numbers::pi * i / sides, a1 = 2 * std::numbers::pi * ((i + 1) % sides) / sides;
      float x0 = static_cast<float>(40 * std::cos(a0)), y0 = static_cast<float>(40 * std::sin(a0));
      float x1 = static_cast<float>(40 * std::cos(a1)), y1 = static_cast<float>(40 * std::sin(a1));
      emit(x0, y0, z0, x1, y1, z0, x1, y1, z1);
      emit(x0, y0, z0, x1, y1, z1, x0, y0, z1);
    }
  }
}

const std::string& BinaryTube() {
  static std::string path;
  if (!path.empty()) return path;
  path = BenchPath("tube.stl");
  std::FILE* f = std::fopen(path.c_str(), "wb");
  char header[84] = "binary tube";
  uint32_t n = 5'000'000;
  std::memcpy(header + 80, &n, 4);
  std::fwrite(header, 1, 84, f);
  EmitTube(1000, 2500, [&](float a, float b, float c, float d, float e, float g, float h, float i, float j) {
    float record[13] = {0, 0, 0, a, b, c, d, e, g, h, i, j, 0};
    std::fwrite(record, 1, 50, f);
  });
  std::fclose(f);
  return path;
}

const std::string& AsciiTube() {
  static std::string path;
  if (!path.empty()) return path;
  path = BenchPath("tube_ascii.stl");
  std::FILE* f = std::fopen(path.c_str(), "wb");
  std::fputs("solid tube\n", f);
  EmitTube(500, 1000, [&](float a, float b, float c, float d, float e, float g, float h, float i, float j) {
    std::fprintf(f, "facet normal 0 0 0\n outer loop\n  vertex %.6e %.6e %.6e\n  vertex %.6e %.6e %.6e\n"
                    "  vertex %.6e %.6e %.6e\n endloop\nendfacet\n", a, b, c, d, e, g, h, i, j);
  });
  std::fputs("endsolid tube\n", f);
  std::fclose(f);
  return path;
}

void BM_DxfPolygon100kLines(benchmark::State& state) {
  const std::string& path = PolygonDxf();
  PointList points;
  double w = 0, h = 0;
  for (auto _ : state) {
    if (!ImportDxfOutline(path, points, w, h)) state.SkipWithError(gImportMessage.c_str());
  }
  state.counters["points"] = static_cast<double>(points.size());
}
BENCHMARK(BM_DxfPolygon100kLines)->Unit(benchmark::kMillisecond)->Iterations(3);

// Runs a program to its end; true when it exited with 0.
bool RunProcess(std::vector<std::string> args) {
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) return false;
  int status = 0;
  if (waitpid(pid, &status, 0) != pid) return false;
  return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

// The same file imported by a whole process of our own and read by ezdxf's
// bare readfile in another; run the pair in one go to compare them. Each
// iteration alternates between the two so that both see the same load.
void BM_DxfImportProcessBesideEzdxf(benchmark::State& state) {
  const std::string& path = PolygonDxf();
  const std::vector<std::string> ours = {RIBBELO_DXF_IMPORT_PROGRAM, path};
  const std::vector<std::string> ezdxf = {"/usr/bin/python3", "-c", "import ezdxf,sys; ezdxf.readfile(sys.argv[1])",
                                          path};
  std::vector<double> ourTimes, ezdxfTimes;
  for (auto _ : state) {
    for (int k = 0; k < 2; ++k) {
      const bool own = k == 0;
      auto start = std::chrono::steady_clock::now();
      if (!RunProcess(own ? ours : ezdxf)) state.SkipWithError(own ? "import failed" : "ezdxf failed");
      std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
      (own ? ourTimes : ezdxfTimes).push_back(took.count());
    }
  }
  std::sort(ourTimes.begin(), ourTimes.end());
  std::sort(ezdxfTimes.begin(), ezdxfTimes.end());
  if (ourTimes.empty()) return;
  const double ourMedian = ourTimes[ourTimes.size() / 2], ezdxfMedian = ezdxfTimes[ezdxfTimes.size() / 2];
  state.counters["ours_ms"] = 1000 * ourMedian;
  state.counters["ezdxf_ms"] = 1000 * ezdxfMedian;
  state.counters["ratio"] = ezdxfMedian / ourMedian;
}
BENCHMARK(BM_DxfImportProcessBesideEzdxf)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_StlBinaryLoad5M(benchmark::State& state) {
  const std::string& path = BinaryTube();
  for (auto _ : state) {
    if (!LoadStlModel(path)) state.SkipWithError("load failed");
  }
  state.counters["triangles"] = static_cast<double>(gStlTriangleCount);
}
BENCHMARK(BM_StlBinaryLoad5M)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_StlRecut5M(benchmark::State& state) {
  if (!LoadStlModel(BinaryTube())) state.SkipWithError("load failed");
  PointList points;
  double w = 0, h = 0, z = 37.01;
  for (auto _ : state) {
    if (!CutStlSection(z, points, w, h)) state.SkipWithError(gImportMessage.c_str());
    z += 1.3;
  }
  state.counters["points"] = static_cast<double>(points.size());
}
BENCHMARK(BM_StlRecut5M)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_StlAsciiLoad1M(benchmark::State& state) {
  const std::string& path = AsciiTube();
  for (auto _ : state) {
    if (!LoadStlModel(path)) state.SkipWithError("load failed");
  }
  state.counters["triangles"] = static_cast<double>(gStlTriangleCount);
}
BENCHMARK(BM_StlAsciiLoad1M)->Unit(benchmark::kMillisecond)->Iterations(2);

// The generated files are large; they go when the program ends.
struct RemoveFiles {
  ~RemoveFiles() {
    for (const char* name : {"polygon.dxf", "tube.stl", "tube_ascii.stl"}) std::remove(BenchPath(name).c_str());
  }
} gRemoveFiles;

}  // namespace

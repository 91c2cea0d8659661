#include "tests/support/export_files.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "tests/support/temp_folder.h"

std::string ExportTestPath(const std::string& name) {
  static int serial = 0;
  std::string folder = ProcessTempFolder().Path(std::to_string(++serial));
  mkdir(folder.c_str(), 0700);
  return folder + "/" + name;
}

std::string ReadFileBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

bool FileExists(const std::string& path) {
  struct stat info;
  return stat(path.c_str(), &info) == 0;
}

size_t CountOf(const std::string& text, const std::string& part) {
  size_t count = 0;
  for (size_t at = text.find(part); at != std::string::npos; at = text.find(part, at + 1)) ++count;
  return count;
}

int RunCommand(const std::string& command, std::string& output) {
  output.clear();
  FILE* pipe = popen(command.c_str(), "r");
  if (pipe == nullptr) return -1;
  char buffer[4096];
  size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, n);
  int status = pclose(pipe);
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

PointList SquareOutline(double side) {
  double h = side / 2;
  // Starts at the top centre as the engine's outlines do.
  return {{0, h}, {-h, h}, {-h, -h}, {h, -h}, {h, h}};
}

PointList CircleOutline(double radius, int count) {
  PointList ring;
  for (int i = 0; i < count; ++i) {
    double a = M_PI / 2 + 2 * M_PI * i / count;
    ring.push_back({radius * std::cos(a), radius * std::sin(a)});
  }
  return ring;
}

PointList WavyOutline(double radius, double depth, int bumps, int count) {
  PointList ring;
  for (int i = 0; i < count; ++i) {
    double a = 2 * M_PI * i / count;
    double r = radius + depth * std::sin(bumps * a);
    ring.push_back({r * std::cos(a + M_PI / 2), r * std::sin(a + M_PI / 2)});
  }
  return ring;
}

double RingPerimeter(const PointList& ring) {
  double sum = 0;
  for (size_t i = 0; i < ring.size(); ++i) {
    const OutlinePoint& a = ring[i];
    const OutlinePoint& b = ring[(i + 1) % ring.size()];
    sum += std::hypot(b.x - a.x, b.y - a.y);
  }
  return sum;
}

namespace {

// A checker built next to the test binary, in tools/; empty when not built.
std::string ToolPath(const std::string& name) {
  char self[4096];
  ssize_t n = readlink("/proc/self/exe", self, sizeof self - 1);
  if (n <= 0) return "";
  std::string path(self, static_cast<size_t>(n));
  path = path.substr(0, path.rfind('/')) + "/tools/" + name;
  return FileExists(path) ? path : "";
}

bool RunChecker(const std::string& command, std::map<std::string, double>& values) {
  values.clear();
  std::string output;
  if (RunCommand(command, output) != 0) return false;
  std::istringstream lines(output);
  std::string key;
  double value;
  while (lines >> key >> value) values[key] = value;
  return values.count("read") == 1 && values["read"] == 1;
}

}  // namespace

std::string StepCheckerPath() { return ToolPath("step_check"); }

std::string StlCheckerPath() { return ToolPath("stl_check"); }

bool CheckStlFile(const std::string& path, std::map<std::string, double>& values) {
  return RunChecker(StlCheckerPath() + " '" + path + "' 2>/dev/null", values);
}

bool CheckStepFile(const std::string& path, std::map<std::string, double>& values, double deflection) {
  char number[32];
  std::snprintf(number, sizeof number, "%g", deflection);
  return RunChecker(StepCheckerPath() + " '" + path + "' " + number + " 2>/dev/null", values);
}

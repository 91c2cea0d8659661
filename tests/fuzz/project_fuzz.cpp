// libFuzzer target: any bytes as a project file. A file that is read must
// give clamped records, and what they write must read back into the same
// file: one save/open round trip settles every value.
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/project_file.h"
#include "text/texts.h"

namespace {

bool Clamped(const DesignParams& p, const VaseParams& v, const ProjectExtras& e) {
  return p.shapeKind >= 0 && p.shapeKind <= 3 && p.figureKind >= 0 && p.figureKind <= 6 &&
         (p.direction == 1 || p.direction == -1) && (p.sizeIsInner == 0 || p.sizeIsInner == 1) &&
         (p.divideByWidth == 0 || p.divideByWidth == 1) && (v.hollow == 0 || v.hollow == 1) &&
         v.innerWallMode >= 0 && v.innerWallMode <= 2 && (e.stepAs == 0 || e.stepAs == 1) &&
         static_cast<int64_t>(p.importPoints.size()) <= MAX_PROJECT_POINTS;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  DesignParams p;
  VaseParams v;
  ProjectExtras e;
  if (!ReadProjectText(bytes, p, v, e)) {
    if (gFileErrorText != Tx(TX_PROJECT_NOT_A_PROJECT)) __builtin_trap();
    return 0;
  }
  if (!Clamped(p, v, e)) __builtin_trap();
  if (!gFileErrorText.empty() && (!p.importPoints.empty() || p.shapeKind == SHAPE_IMPORTED)) __builtin_trap();

  const std::string first = ComposeProjectText(p, v, e);
  DesignParams p2;
  VaseParams v2;
  ProjectExtras e2;
  if (!ReadProjectText(first, p2, v2, e2) || !gFileErrorText.empty()) __builtin_trap();
  if (p2.importPoints.size() != p.importPoints.size()) __builtin_trap();
  if (ComposeProjectText(p2, v2, e2) != first) __builtin_trap();
  return 0;
}

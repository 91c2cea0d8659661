// libFuzzer target: any bytes as a project that is opened, recomputed and
// shown as a vase. The reader only clamps, so the engine and the preview
// mesh get whatever sizes the file holds.
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <string>

#include "app/project_file.h"
#include "engine/recompute.h"
#include "vase/preview_mesh.h"
#include "vase/vase_params.h"

namespace {

bool FiniteRing(const PointList& points) {
  for (const OutlinePoint& p : points)
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return false;
  return points.size() >= 3;
}

// Every triangle names vertices of the mesh. (An infinite vase height gives
// infinite vertices: the preview draws whatever the fields hold.)
bool SoundMesh() {
  if (gVertexCount < 0 || gTriangleCount < 0) return false;
  for (int64_t k = 0; k < 3 * gTriangleCount; ++k) {
    int64_t index = gTriIndex[static_cast<size_t>(k)];
    if (index < 0 || index >= gVertexCount) return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  DesignParams params;
  VaseParams vase;
  ProjectExtras extras;
  if (!ReadProjectText(bytes, params, vase, extras)) return 0;
  DesignResult result;
  RecomputeOutline(params, result);
  if (result.valid) {
    if (!FiniteRing(result.outlinePoints) || !result.message.empty()) __builtin_trap();
  } else if (result.message.empty()) {
    __builtin_trap();
  }
  SetVaseDepths(vase, params, result);
  for (int64_t coarse : {0, 1}) {
    RebuildPreviewMeshFor(result, vase, coarse);
    if (!SoundMesh() || (!result.valid && gTriangleCount != 0)) __builtin_trap();
  }
  return 0;
}

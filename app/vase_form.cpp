#include "app/vase_form.h"

#include <functional>
#include <new>
#include <stdexcept>
#include <string_view>

#include "app/form.h"
#include "app/gadgets.h"
#include "app/platform/window_system.h"
#include "export/vase_rings.h"
#include "export/vase_stl.h"
#include "vase/preview_mesh.h"
#include "vase/vase_params.h"

std::string gPreviewRefusal;

namespace {

// What the last check was run on: the check offsets the whole outline, so
// it runs again only when the outline or a vase value changed. The point
// lists are kept as fingerprints, which cost no memory of their size.
struct RefusalCheck {
  bool filled = false;
  size_t outline = 0, baseLine = 0;
  VaseParams vase;
};
RefusalCheck gRefusalCheck;

size_t Fingerprint(const PointList& points) {
  const std::string_view bytes(reinterpret_cast<const char*>(points.data()), points.size() * sizeof(OutlinePoint));
  return std::hash<std::string_view>{}(bytes) ^ points.size();
}

// The writers' own preparation, so the preview says what an export would
// say; the mesh writer's tolerance, as the preview is a mesh too. The
// export's last reason stays for the export.
void CheckPreviewExportable() {
  if (!gResult.valid) {
    gRefusalCheck.filled = false;
    gPreviewRefusal.clear();
    return;
  }
  RefusalCheck& c = gRefusalCheck;
  const size_t outline = Fingerprint(gResult.outlinePoints), baseLine = Fingerprint(gResult.baseLinePoints);
  if (c.filled && c.vase == gVase && c.outline == outline && c.baseLine == baseLine) return;
  c.filled = false;
  const std::string lastError = gLastError;
  PointList outer, inner;
  const int64_t steps =
      PrepareVaseRings(gResult.outlinePoints, gResult.baseLinePoints, gVase, VASE_STL_TOLERANCE, outer, inner);
  gPreviewRefusal = steps > 0 ? "" : gLastError;
  gLastError = lastError;
  c.outline = outline;
  c.baseLine = baseLine;
  c.vase = gVase;
  c.filled = true;
}

void ReleasePreviewMesh() {
  gVertexCount = 0;
  gTriangleCount = 0;
  std::vector<double>(1).swap(gVertX);
  std::vector<double>(1).swap(gVertY);
  std::vector<double>(1).swap(gVertZ);
  std::vector<int64_t>(1).swap(gTriIndex);
  std::vector<uint8_t>(1).swap(gTriKind);
}

}  // namespace

void ReadVaseParams() {
  VaseParams& v = gVase;
  v.height = ReadFieldNumber(GADGET_VASE_HEIGHT);
  v.twist = ReadFieldNumber(GADGET_TWIST);
  v.topScale = ReadFieldNumber(GADGET_TOP_SCALE) / 100.0;
  v.bulge = ReadFieldNumber(GADGET_BULGE) / 100.0;
  // Saturates on a long digit string; validation clamps to 1..400.
  v.steps = ParseFieldInteger(GetGadgetText(WINDOW_MAIN, GADGET_STEPS));
  v.hollow = GetGadgetState(WINDOW_MAIN, GADGET_VASE_TYPE) == 1 ? VASE_HOLLOW : VASE_SOLID;
  v.wallThickness = ReadFieldNumber(GADGET_WALL_THICKNESS);
  v.bottomThickness = ReadFieldNumber(GADGET_BOTTOM_THICKNESS);
  v.innerWallMode = GetGadgetState(WINDOW_MAIN, GADGET_INNER_WALL);
  SetVaseDepths(v, gParams, gResult);
}

void RebuildPreviewMesh(int64_t coarse) {
  ReadVaseParams();
  bool built = false;
  try {
    RebuildPreviewMeshFor(gResult, gVase, coarse);
    built = true;
    if (!coarse) CheckPreviewExportable();
    return;
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  // No room for the check: nothing is said, the export will say it. No
  // room for the mesh: an empty picture, as for an invalid design.
  gRefusalCheck.filled = false;
  gPreviewRefusal.clear();
  if (!built) ReleasePreviewMesh();
}

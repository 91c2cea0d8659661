#include "app/vase_form.h"

#include <new>
#include <stdexcept>

#include "app/form.h"
#include "app/gadgets.h"
#include "app/platform/window_system.h"
#include "vase/preview_mesh.h"
#include "vase/vase_params.h"

namespace {

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
  try {
    RebuildPreviewMeshFor(gResult, gVase, coarse);
    return;
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  // No room for the mesh: an empty picture, as for an invalid design.
  ReleasePreviewMesh();
}

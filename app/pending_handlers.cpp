// Stand-ins until the owners deliver; see pending_handlers.h.
#include "app/pending_handlers.h"

// ---- RebuildPreviewMesh (vase)
void RebuildPreviewMesh(int64_t) {}

// ---- mesh figures (vase)
int64_t gRingSize = 0;
int64_t gMeshSteps = 0;
int64_t gMeshCoarse = 0;

// ---- DrawPreview3D (vase)
void DrawPreview3D() {}

// ---- ExportVaseStep (writers)
#include "text/texts.h"
int64_t ExportVaseStep(const std::string&, const PointList&, const PointList&, const VaseParams&, double) {
  gLastError = Tx(TX_EXPORT_CANNOT_WRITE);
  return 0;
}


// The vase fields of the form into gVase, and the preview rebuild that
// starts from them; the vase library itself knows no form.
#pragma once

#include <cstdint>

// Fills gVase from the vase fields of the form.
void ReadVaseParams();
// Reads the vase fields and rebuilds the preview mesh (ReadVaseParams, then
// RebuildPreviewMeshFor with gResult and gVase).
void RebuildPreviewMesh(int64_t coarse);

// The vase fields of the form into gVase, and the preview rebuild that
// starts from them; the vase library itself knows no form.
#pragma once

#include <cstdint>
#include <string>

// Why a vase export would refuse the vase of the last fine preview build
// (the writers' own reason), or "" when it would be written.
extern std::string gPreviewRefusal;

// Fills gVase from the vase fields of the form.
void ReadVaseParams();
// Reads the vase fields and rebuilds the preview mesh (ReadVaseParams, then
// RebuildPreviewMeshFor with gResult and gVase); a fine build also runs the
// vase writers' checks into gPreviewRefusal.
void RebuildPreviewMesh(int64_t coarse);

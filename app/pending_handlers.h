// Handlers and state that other parts of the program own and the shell
// calls. Until an owner delivers, a stub stands in pending_handlers.cpp;
// the owner deletes its stub there (one block each) and its declaration
// here, and declares the function in its own header with the same
// signature.
#pragma once

#include <cstdint>
#include <string>

#include "engine/design.h"

// ---- 3D preview mesh (vase); coarse 0 builds the fine mesh
void RebuildPreviewMesh(int64_t coarse);
// The figures of the current mesh that the 3D drag reads (vase).
extern int64_t gRingSize;
extern int64_t gMeshSteps;
extern int64_t gMeshCoarse;
// Above this many ring points times steps a 3D drag rotates the coarse mesh.
constexpr int64_t COARSE_MESH_THRESHOLD = 30000;
// Draws the 3D preview into the canvas; DrawCanvas calls it in 3D mode (vase).
void DrawPreview3D();

// ---- vase STEP writer (writers): the faces written, or 0 with gLastError set
#include "vase/vase_params.h"
constexpr double VASE_STEP_TOLERANCE = 0.001;
int64_t ExportVaseStep(const std::string& path, const PointList& outline, const PointList& baseLine,
                       const VaseParams& vase, double tolerance);

// ---- About box and user guide (help): delivered
#include "app/about_box.h"
#include "app/user_guide.h"
#include "resources/resources.h"

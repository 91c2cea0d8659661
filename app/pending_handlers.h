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
// Draws the 3D preview into the canvas; DrawCanvas calls it in 3D mode (vase).
void DrawPreview3D();

// ---- export commands (writers); formats in app/gadgets.h
void ExportOutline(int64_t format);
void ExportVase(int64_t format);

// ---- About box and user guide (help): delivered
#include "app/about_box.h"
#include "app/user_guide.h"
#include "resources/resources.h"

// Handlers and state that other parts of the program own and the shell
// calls. Until an owner delivers, a stub stands in pending_handlers.cpp;
// the owner deletes its stub there (one block each) and its declaration
// here, and declares the function in its own header with the same
// signature.
#pragma once

#include <cstdint>
#include <string>

#include "engine/design.h"

// ---- 3D preview (vase): delivered
#include "app/preview_draw.h"
#include "vase/preview_mesh.h"

// ---- export commands (writers); formats in app/gadgets.h
void ExportOutline(int64_t format);
void ExportVase(int64_t format);

// ---- project commands: delivered
#include "app/project_commands.h"

// ---- About box and user guide (help): delivered
#include "app/about_box.h"
#include "app/user_guide.h"
#include "resources/resources.h"

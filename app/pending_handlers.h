// Handlers and state that other parts of the program own and the shell
// calls. Until an owner delivers, a stub stands in pending_handlers.cpp;
// the owner deletes its stub there (one block each) and its declaration
// here, and declares the function in its own header with the same
// signature.
#pragma once

#include <cstdint>
#include <string>

#include "engine/design.h"

// ---- 2D view and drawing (view)
int64_t DrawCanvas();
void OnCanvasEvent2D();
int64_t FitView2D();

// ---- 3D view interaction (view or vase)
void OnCanvasEvent3D();
int64_t ResetView3D();

// ---- 3D preview mesh (vase); coarse 0 builds the fine mesh
void RebuildPreviewMesh(int64_t coarse);

// ---- export commands (writers); formats in app/gadgets.h
void ExportOutline(int64_t format);
void ExportVase(int64_t format);

// ---- import (import)
void ImportBaseOutline();
// Cuts the loaded STL model at z mm above its bottom; 1 on success, else 0
// with the reason in gImportMessage.
int64_t CutStlSection(double z, PointList& points, double& width, double& height);
extern int64_t gImportFromStl;
extern int64_t gStlTriangleCount;
extern std::string gImportFileName;
extern std::string gImportMessage;

// ---- project commands (projects)
void OpenProjectDialog();
int64_t SaveProject(int64_t saveAs);
int64_t OpenProjectFile(const std::string& path);
int64_t AskSaveChanges();

// ---- About box and user guide (help): delivered
#include "app/about_box.h"
#include "app/user_guide.h"
#include "resources/resources.h"

// Stand-ins until the owners deliver; see pending_handlers.h.
#include "app/pending_handlers.h"

// ---- DrawCanvas (view)
int64_t DrawCanvas() { return 0; }

// ---- OnCanvasEvent2D (view)
void OnCanvasEvent2D() {}

// ---- FitView2D (view)
int64_t FitView2D() { return 0; }

// ---- OnCanvasEvent3D (view or vase)
void OnCanvasEvent3D() {}

// ---- ResetView3D (view)
int64_t ResetView3D() { return 0; }

// ---- RebuildPreviewMesh (vase)
void RebuildPreviewMesh(int64_t) {}

// ---- ExportOutline (writers)
void ExportOutline(int64_t) {}

// ---- ExportVase (writers)
void ExportVase(int64_t) {}

// ---- ImportBaseOutline (import)
void ImportBaseOutline() {}

// ---- CutStlSection (import)
int64_t CutStlSection(double, PointList&, double&, double&) { return 0; }

// ---- import state (import)
int64_t gImportFromStl = 0;
int64_t gStlTriangleCount = 0;
std::string gImportFileName;
std::string gImportMessage;

// ---- OpenProjectDialog (projects)
void OpenProjectDialog() {}

// ---- SaveProject (projects)
int64_t SaveProject(int64_t) { return 0; }

// ---- OpenProjectFile (projects)
int64_t OpenProjectFile(const std::string&) { return 0; }

// ---- AskSaveChanges (projects); nothing to ask until projects can be saved
int64_t AskSaveChanges() { return 1; }

// Stand-ins until the owners deliver; see pending_handlers.h.
#include "app/pending_handlers.h"

// ---- ExportOutline (writers)
void ExportOutline(int64_t) {}

// ---- ExportVase (writers)
void ExportVase(int64_t) {}

// ---- OpenProjectDialog (projects)
void OpenProjectDialog() {}

// ---- SaveProject (projects)
int64_t SaveProject(int64_t) { return 0; }

// ---- OpenProjectFile (projects)
int64_t OpenProjectFile(const std::string&) { return 0; }

// ---- AskSaveChanges (projects); nothing to ask until projects can be saved
int64_t AskSaveChanges() { return 1; }

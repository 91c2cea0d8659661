#include "app/document_state.h"

#include "app/gadgets.h"
#include "app/loop_state.h"
#include "app/platform/window_system.h"
#include "engine/text_helpers.h"
#include "text/texts.h"

std::string gProjectPath;
int64_t gModified = 0;

void UpdateWindowTitle() {
  std::string name = gProjectPath.empty() ? Tx(TX_TITLE_NEW_PROJECT) : FilePart(gProjectPath);
  std::string title = std::string(Tx(TX_TITLE_PREFIX)) + name;
  if (gModified == 1) title += Tx(TX_TITLE_MODIFIED);
  SetWindowTitle(WINDOW_MAIN, title);
}

void MarkProjectModified() {
  if (gModified != 0) return;
  gModified = 1;
  UpdateWindowTitle();
}

#include "app/import_command.h"

#include <cmath>

#include "app/change_handling.h"
#include "app/form.h"
#include "app/gadgets.h"
#include "app/loop_state.h"
#include "app/platform/window_system.h"
#include "engine/text_helpers.h"
#include "import/dxf_reader.h"
#include "import/import_state.h"
#include "import/stl_model.h"
#include "import/stl_section.h"
#include "text/texts.h"

std::string ImportExtension(const std::string& path) {
  const std::string file = FilePart(path);
  const size_t dot = file.rfind('.');
  if (dot == std::string::npos) return "";
  const std::string ext = file.substr(dot + 1);
  if (ext.find(' ') != std::string::npos) return "";
  return AsciiLower(ext);
}

namespace {

// Loads the model, sets the section field to half its height and cuts there.
int64_t ImportStl(const std::string& path, PointList& points, double& width, double& height) {
  if (!LoadStlModel(path)) return 0;
  const double modelHeight = gStlMaxZ - gStlMinZ;
  const double half = std::round(modelHeight / 2 * 100) / 100;
  {
    SuppressEventsGuard quiet;
    SetGadgetText(WINDOW_MAIN, GADGET_STL_Z, FormatFieldNumber(half));
    SetGadgetTooltip(WINDOW_MAIN, GADGET_STL_Z,
                     Tx(TX_IMPORT_TIP_STL_Z) + FormatDecimals(2, modelHeight) + Tx(TX_IMPORT_TIP_END));
  }
  if (!CutStlSection(ReadFieldNumber(GADGET_STL_Z), points, width, height)) return 0;
  gImportFromStl = 1;
  return 1;
}

}  // namespace

void ImportBaseOutline() {
  if (gLastFolder.empty()) gLastFolder = CurrentDirectory();
  const std::string path = ShowOpenFileDialog(Tx(TX_IMPORT_DIALOG_TITLE), gLastFolder, Tx(TX_IMPORT_FILTERS));
  if (path.empty()) return;
  gLastFolder = FolderPart(path);

  PointList points;
  double width = 0, height = 0;
  int64_t ok = 0;
  if (ImportExtension(path) == "stl") {
    ok = ImportStl(path, points, width, height);
  } else {
    ok = ImportDxfOutline(path, points, width, height);
    if (ok) {
      gImportFromStl = 0;
      UnloadStlModel();
    }
  }
  if (!ok) {
    ShowMessageBox(Tx(TX_IMPORT_BOX_TITLE), FilePart(path) + ":\n" + gImportMessage, BUTTONS_OK, ICON_WARNING);
    return;
  }
  gImportFileName = path;
  ApplyImportedOutline(points, width, height);
}

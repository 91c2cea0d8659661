#include "app/project_commands.h"

#include <utility>

#include "app/change_handling.h"
#include "app/document_state.h"
#include "app/draw2d.h"
#include "app/file_names.h"
#include "app/form.h"
#include "app/gadgets.h"
#include "app/loop_state.h"
#include "app/platform/window_system.h"
#include "app/vase_form.h"
#include "app/view.h"
#include "engine/design.h"
#include "engine/text_helpers.h"
#include "import/import_state.h"
#include "import/stl_model.h"
#include "text/texts.h"
#include "vase/preview_mesh.h"

namespace {

const int64_t kMain = 0;

void SetNumber(int64_t gadget, double value) { SetGadgetText(kMain, gadget, FormatFieldNumber(value)); }
void SetInteger(int64_t gadget, int64_t value) { SetGadgetText(kMain, gadget, std::to_string(value)); }

void ShowFileError(const char* title, const std::string& path) {
  ShowMessageBox(title, FilePart(path) + ":\n" + gFileErrorText, BUTTONS_OK, ICON_ERROR);
}

// Brings gParams and gVase up to date with the form and fills the extras.
void ReadProjectFromForm(ProjectExtras& extras) {
  ReadFormIntoParams();
  ReadVaseParams();
  GatherProjectExtras(extras);
}

// Every field and the import state from the records; none of these writes
// counts as an edit. The outline is moved out of p.
void WriteProjectIntoForm(DesignParams& p, const VaseParams& v, const ProjectExtras& e) {
  SuppressEventsGuard quiet;
  SetGadgetState(kMain, GADGET_SHAPE, p.shapeKind);
  SetNumber(GADGET_WIDTH, p.width);
  SetNumber(GADGET_HEIGHT, p.height);
  SetNumber(GADGET_CORNER_RADIUS, p.cornerRadius);
  SetGadgetState(kMain, GADGET_SIZE_IS, p.sizeIsInner);
  SetGadgetState(kMain, GADGET_FIGURE, p.figureKind);
  SetGadgetState(kMain, GADGET_DIRECTION, p.direction < 0 ? 1 : 0);
  SetInteger(GADGET_COUNT, p.count);
  SetNumber(GADGET_FIGURE_WIDTH, p.figureWidth);
  SetNumber(GADGET_GAP, p.gap);
  SetNumber(GADGET_DEPTH, p.depth);
  SetNumber(GADGET_TOP_WIDTH, p.topWidth);
  SetNumber(GADGET_FILLET, p.fillet);
  SetNumber(GADGET_SHIFT, p.shift * 100);
  SetNumber(GADGET_SMALLEST_SIZE, p.smallestSize);
  SetNumber(GADGET_POINT_SPACING, p.pointSpacing);
  SetNumber(GADGET_VASE_HEIGHT, v.height);
  SetNumber(GADGET_TWIST, v.twist);
  SetNumber(GADGET_TOP_SCALE, v.topScale * 100);
  SetNumber(GADGET_BULGE, v.bulge * 100);
  SetInteger(GADGET_STEPS, v.steps);
  SetGadgetState(kMain, GADGET_VASE_TYPE, v.hollow != 0 ? 1 : 0);
  SetNumber(GADGET_WALL_THICKNESS, v.wallThickness);
  SetNumber(GADGET_BOTTOM_THICKNESS, v.bottomThickness);
  SetGadgetState(kMain, GADGET_INNER_WALL, v.innerWallMode);
  SetGadgetState(kMain, GADGET_SHOW_GRID, e.showGrid);
  SetGadgetState(kMain, GADGET_SHOW_BASE_LINE, e.showBaseLine);
  SetGadgetState(kMain, GADGET_SHOW_FILL, e.showFill);
  SetGadgetState(kMain, GADGET_SHOW_3D, e.show3d);
  SetGadgetState(kMain, GADGET_STEP_AS, e.stepAs);
  SetNumber(GADGET_STEP_HEIGHT, e.stepHeight);
  EnableGadget(kMain, GADGET_STEP_HEIGHT, e.stepAs == 1 ? 1 : 0);
  SetGadgetState(kMain, GADGET_EXPORT_BASE_LINE, e.exportBaseLine);
  SetNumber(GADGET_STL_Z, e.stlZ);

  gParams.importPoints = std::move(p.importPoints);
  gParams.importWidth = p.importWidth;
  gParams.importHeight = p.importHeight;
  gImportFileName = e.importFile;
  gImportFromStl = 0;
  // The earlier model is released, not only forgotten.
  UnloadStlModel();
  if (!gParams.importPoints.empty()) {
    // The model is reloaded silently; without it the stored outline serves.
    if (e.importIsStl != 0 && FileSize(gImportFileName) >= 1 && LoadStlModel(gImportFileName)) gImportFromStl = 1;
    ShowImportInfo(FilePart(gImportFileName) + Tx(TX_PROJECT_OUTLINE_FROM_PROJECT));
  } else {
    ShowImportInfo("");
  }
  gDivideByWidth = p.divideByWidth;
}

}  // namespace

void GatherProjectExtras(ProjectExtras& e) {
  e.showGrid = GetGadgetState(kMain, GADGET_SHOW_GRID);
  e.showBaseLine = GetGadgetState(kMain, GADGET_SHOW_BASE_LINE);
  e.showFill = GetGadgetState(kMain, GADGET_SHOW_FILL);
  e.show3d = GetGadgetState(kMain, GADGET_SHOW_3D);
  e.stepAs = GetGadgetState(kMain, GADGET_STEP_AS);
  e.stepHeight = ReadFieldNumber(GADGET_STEP_HEIGHT);
  e.exportBaseLine = GetGadgetState(kMain, GADGET_EXPORT_BASE_LINE);
  e.importFile = gImportFileName;
  e.importIsStl = gImportFromStl;
  e.stlZ = ReadFieldNumber(GADGET_STL_Z);
}

int64_t SaveProject(int64_t saveAs) {
  std::string path = gProjectPath;
  if (path.empty() || saveAs != 0) {
    std::string proposal = gProjectPath;
    if (proposal.empty()) {
      if (gLastFolder.empty()) gLastFolder = CurrentDirectory();
      proposal = gLastFolder + Tx(TX_PROJECT_DEFAULT_NAME);
    }
    path = ShowSaveFileDialog(Tx(TX_PROJECT_SAVE_TITLE), proposal, Tx(TX_PROJECT_SAVE_FILTER));
    if (path.empty()) return 0;
    path = AddMissingExtension(path, "omt");
    if (FileSize(path) >= 0 && path != gProjectPath) {
      int64_t answer = ShowMessageBox(Tx(TX_PROJECT_SAVE_TITLE), FilePart(path) + Tx(TX_PROJECT_OVERWRITE),
                                      BUTTONS_YES_NO, ICON_NONE);
      if (answer != ANSWER_YES) return 0;
    }
  }
  ProjectExtras extras;
  ReadProjectFromForm(extras);
  if (!WriteProjectFile(path, gParams, gVase, extras)) {
    ShowFileError(Tx(TX_PROJECT_SAVE_TITLE), path);
    return 0;
  }
  gProjectPath = path;
  gModified = 0;
  UpdateWindowTitle();
  SetStatusBarText(0, STATUS_MESSAGE, Tx(TX_PROJECT_SAVED) + FilePart(path));
  return 1;
}

void OpenProjectDialog() {
  std::string proposal = gProjectPath;
  if (!AskSaveChanges()) return;
  if (proposal.empty()) proposal = gLastFolder;
  std::string path = ShowOpenFileDialog(Tx(TX_PROJECT_OPEN_TITLE), proposal, Tx(TX_PROJECT_OPEN_FILTER));
  if (path.empty()) return;
  gLastFolder = FolderPart(path);
  OpenProjectFile(path);
}

int64_t OpenProjectFile(const std::string& path) {
  ProjectExtras extras;
  ReadProjectFromForm(extras);
  // Copies, so that a failed read leaves the live records and the form alone;
  // the outline is left out, as the read always replaces it.
  PointList liveOutline = std::move(gParams.importPoints);
  DesignParams params = gParams;
  gParams.importPoints = std::move(liveOutline);
  VaseParams vase = gVase;
  if (!ReadProjectFile(path, params, vase, extras)) {
    ShowFileError(Tx(TX_PROJECT_OPEN_TITLE), path);
    return 0;
  }
  ApplyProjectToForm(params, vase, extras);
  if (!gFileErrorText.empty())
    ShowMessageBox(Tx(TX_PROJECT_OPEN_TITLE), gFileErrorText, BUTTONS_OK, ICON_WARNING);
  gProjectPath = path;
  gModified = 0;
  UpdateWindowTitle();
  // A "Saved: " message would now name a project that is no longer open.
  SetStatusBarText(STATUS_BAR_MAIN, STATUS_MESSAGE, "");
  return 1;
}

void ApplyProjectToForm(DesignParams& p, const VaseParams& v, const ProjectExtras& e) {
  WriteProjectIntoForm(p, v, e);
  UpdateFieldEnabling();
  // The view first, so the one rebuild and redraw below show it.
  ResetView3D();
  OnParametersChanged(-1, 1);
  // The writes above may still sit in the toolkit's queue: let it run dry
  // and discard what it reported, so loading never counts as an edit.
  SuppressEventsGuard quiet;
  ProcessPendingToolkitEvents();
  ClearEventQueue();
}

int64_t AskSaveChanges() {
  if (gModified == 0) return 1;
  int64_t answer = ShowMessageBox("Ribbelo", Tx(TX_PROJECT_ASK_SAVE), BUTTONS_YES_NO_CANCEL, ICON_NONE);
  if (answer == ANSWER_YES) return SaveProject(0);
  if (answer == ANSWER_NO) return 1;
  return 0;
}

#include "app/main_program.h"

#include <cstdio>
#include <new>

#include "app/about_box.h"
#include "app/canvas_events.h"
#include "app/change_handling.h"
#include "app/document_state.h"
#include "app/draw2d.h"
#include "app/export_commands.h"
#include "app/form.h"
#include "app/gadgets.h"
#include "app/import_command.h"
#include "app/main_window.h"
#include "app/platform/window_system.h"
#include "app/process_setup.h"
#include "app/project_commands.h"
#include "app/user_guide.h"
#include "app/vase_form.h"
#include "app/view.h"
#include "engine/design.h"
#include "engine/text_helpers.h"
#include "resources/resources.h"
#include "text/texts.h"

int64_t gQuit = 0;
int64_t gEventKind = EVENT_NONE;
int64_t gEventGadget = -1;
int64_t gEventType = 0;
int64_t gSuppressEvents = 0;
int64_t gDivideByWidth = DIVIDE_BY_COUNT;
std::string gLastFolder;

namespace {

int64_t Show3D() { return GetGadgetState(WINDOW_MAIN, GADGET_SHOW_3D); }

// A pointer position means nothing over the 3D preview.
void RebuildPreviewAndDraw() {
  if (Show3D()) {
    ClearPointerPosition();
    RebuildPreviewMesh(0);
  }
  DrawCanvas();
}

void OnMenuEvent(int64_t id) {
  switch (id) {
    case MENU_FIT_VIEW:
      if (Show3D())
        ResetView3D();
      else
        FitView2D();
      DrawCanvas();
      break;
    case MENU_EXPORT_DXF: ExportOutline(OUTLINE_EXPORT_DXF); break;
    case MENU_TOGGLE_3D:
      MarkProjectModified();
      SetGadgetState(WINDOW_MAIN, GADGET_SHOW_3D, Show3D() ? 0 : 1);
      RebuildPreviewAndDraw();
      break;
    case MENU_OPEN: OpenProjectDialog(); break;
    case MENU_SAVE: SaveProject(0); break;
    case MENU_SAVE_AS: SaveProject(1); break;
    case MENU_USER_GUIDE: ShowUserGuide(); break;
    case MENU_ABOUT:
      ShowAboutBox(WINDOW_MAIN, Tx(TX_ABOUT_TITLE), gLogoPng, gLogoPng + gLogoPngSize, gDutchBuild);
      break;
    default: break;
  }
}

bool IsCheckBox(int64_t id) {
  return id == GADGET_SHOW_3D || id == GADGET_SHOW_GRID || id == GADGET_SHOW_BASE_LINE || id == GADGET_SHOW_FILL ||
         id == GADGET_EXPORT_BASE_LINE;
}

// The fields of the form whose edits count as changes of the project: each
// block from its first gadget to its last, without the headings and export
// buttons between the blocks (the import button inside sends no change).
bool IsFormField(int64_t id) {
  return (id >= GADGET_SHAPE && id <= GADGET_STL_Z) || (id >= GADGET_FIGURE && id <= GADGET_SHIFT) ||
         (id >= GADGET_SHOW_3D && id <= GADGET_INNER_WALL) || (id >= GADGET_SMALLEST_SIZE && id <= GADGET_SHOW_FILL) ||
         (id >= GADGET_EXPORT_BASE_LINE && id <= GADGET_STEP_AS);
}

void OnGadgetEvent(int64_t id, int64_t type) {
  if (IsFormField(id) && (IsCheckBox(id) ? type == EVENT_CLICK : type == EVENT_CHANGE)) MarkProjectModified();
  // Buttons and check boxes act on a click only: a focus or any other
  // event of theirs must not run the command a second time.
  bool click = type == EVENT_CLICK;
  bool change = type == EVENT_CHANGE;
  switch (id) {
    case GADGET_OPEN_BUTTON:
      if (click) OpenProjectDialog();
      break;
    case GADGET_SAVE_BUTTON:
      if (click) SaveProject(0);
      break;
    case GADGET_SAVE_AS_BUTTON:
      if (click) SaveProject(1);
      break;
    case GADGET_HELP_BUTTON:
      if (click) ShowPopupMenu(MENU_HELP_POPUP, WINDOW_MAIN);
      break;
    case GADGET_SHAPE:
      if (change) {
        UpdateFieldEnabling();
        OnParametersChanged(id, 1);
      }
      break;
    case GADGET_WIDTH:
    case GADGET_HEIGHT:
    case GADGET_CORNER_RADIUS:
    case GADGET_SIZE_IS:
      if (change) OnParametersChanged(id, 1);
      break;
    case GADGET_IMPORT_BUTTON:
      if (click) ImportBaseOutline();
      break;
    case GADGET_STL_Z:
      if (change) OnStlSectionChanged();
      break;
    case GADGET_FIGURE:
    case GADGET_DIRECTION:
      if (change) {
        UpdateFieldEnabling();
        OnParametersChanged(id, 0);
      }
      break;
    case GADGET_COUNT:
      if (change) {
        gDivideByWidth = DIVIDE_BY_COUNT;
        OnParametersChanged(id, 0);
      }
      break;
    case GADGET_FIGURE_WIDTH:
    case GADGET_GAP:
      if (change) {
        gDivideByWidth = DIVIDE_BY_WIDTH;
        OnParametersChanged(id, 0);
      }
      break;
    case GADGET_DEPTH:
    case GADGET_TOP_WIDTH:
    case GADGET_FILLET:
    case GADGET_SHIFT:
    case GADGET_SMALLEST_SIZE:
    case GADGET_POINT_SPACING:
      if (change) OnParametersChanged(id, 0);
      break;
    case GADGET_SHOW_3D:
      if (click) RebuildPreviewAndDraw();
      break;
    case GADGET_VASE_HEIGHT:
    case GADGET_TWIST:
    case GADGET_TOP_SCALE:
    case GADGET_BULGE:
    case GADGET_STEPS:
    case GADGET_WALL_THICKNESS:
    case GADGET_BOTTOM_THICKNESS:
    case GADGET_INNER_WALL:
      if (change && Show3D()) RebuildPreviewAndDraw();
      break;
    case GADGET_VASE_TYPE:
      if (change) {
        UpdateFieldEnabling();
        if (Show3D()) RebuildPreviewAndDraw();
      }
      break;
    case GADGET_VASE_STL_BUTTON:
      if (click) ExportVase(VASE_EXPORT_STL);
      break;
    case GADGET_VASE_STEP_BUTTON:
      if (click) ExportVase(VASE_EXPORT_STEP);
      break;
    case GADGET_SHOW_GRID:
    case GADGET_SHOW_BASE_LINE:
    case GADGET_SHOW_FILL:
      if (click) DrawCanvas();
      break;
    case GADGET_DXF_BUTTON:
      if (click) ExportOutline(OUTLINE_EXPORT_DXF);
      break;
    case GADGET_STEP_BUTTON:
      if (click) ExportOutline(OUTLINE_EXPORT_STEP);
      break;
    case GADGET_STEP_AS:
      EnableGadget(WINDOW_MAIN, GADGET_STEP_HEIGHT, GetGadgetState(WINDOW_MAIN, GADGET_STEP_AS) == STEP_AS_SOLID);
      break;
    case GADGET_CANVAS:
      if (Show3D())
        OnCanvasEvent3D();
      else
        OnCanvasEvent2D();
      break;
    default: break;
  }
}

}  // namespace

void DispatchCurrentEvent() {
  gEventKind = EventKindOf();
  // Memory can run out in any command, not only in those that catch it:
  // the action is given up, and the program stays with its document.
  // Every write into fields sets gSuppressEvents through a guard, which
  // puts it back while the exception unwinds.
  try {
    if (gEventKind == EVENT_CLOSE_WINDOW) {
      if (EventWindow() == WINDOW_MAIN && AskSaveChanges()) gQuit = 1;
    } else if (gEventKind == EVENT_MENU) {
      if (EventWindow() == WINDOW_MAIN) OnMenuEvent(EventMenu());
    } else if (gEventKind == EVENT_GADGET) {
      gEventGadget = EventGadget();
      gEventType = EventType();
      if (gSuppressEvents == 1 || EventWindow() != WINDOW_MAIN) return;
      OnGadgetEvent(gEventGadget, gEventType);
    }
  } catch (const std::bad_alloc&) {
    try {
      ShowMessageBox(Tx(TX_PROGRAM_NAME), Tx(TX_ERR_OUT_OF_MEMORY), BUTTONS_OK, ICON_ERROR);
    } catch (const std::bad_alloc&) {
      // Not even the box fits; the program goes on without it.
    }
  }
}

void RunEventLoop() {
  while (gQuit == 0) {
    WaitForEvent();
    DispatchCurrentEvent();
  }
}

void StartMainProgram() {
  gParams = DesignParams();
  gResult = DesignResult();
  gQuit = 0;
  gSuppressEvents = 0;
  gDivideByWidth = DIVIDE_BY_COUNT;
  gLastFolder.clear();
  gModified = 0;
  gProjectPath.clear();
  // The 2D scale and pixel scale start at 1 by their own initialisers.
  ResetView3D();
  BuildMainWindow();
  OnParametersChanged(-1, 1);
  UpdateWindowTitle();
  if (ProgramParameterCount() >= 1) {
    std::string path = ProgramParameter(0);
    if (FileSize(path) >= 1) {
      gLastFolder = FolderPart(path);
      OpenProjectFile(path);
    }
  }
}

int RunMainProgram(int argc, char** argv) {
  PrepareProcess();
  if (!InitWindowSystem(argc, argv)) {
    std::fprintf(stderr, "%s\n", Tx(TX_ERR_NO_DISPLAY));
    return 1;
  }
  StartMainProgram();
  RunEventLoop();
  ShutdownRuntime();
  return 0;
}

void ShutdownRuntime() { ShutdownWindowSystem(); }

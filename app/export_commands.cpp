#include "app/export_commands.h"

#include <cmath>
#include <new>
#include <stdexcept>

#include "app/file_names.h"
#include "app/form.h"
#include "app/gadgets.h"
#include "app/loop_state.h"
#include "app/platform/window_system.h"
#include "app/vase_form.h"
#include "engine/design.h"
#include "engine/text_helpers.h"
#include "export/dxf_writer.h"
#include "export/outline_step.h"
#include "export/step_writer.h"
#include "export/vase_step.h"
#include "export/vase_stl.h"
#include "text/texts.h"
#include "vase/vase_params.h"

namespace {

// Extension and filter of a format; the same in both languages.
struct ExportFileKind {
  const char* extension;
  const char* upperExtension;
  const char* filter;
};

const ExportFileKind kDxfFile = {"dxf", "DXF", "DXF (*.dxf)|*.dxf"};
const ExportFileKind kStepFile = {"stp", "STP", "STEP (*.stp;*.step)|*.stp;*.step"};
const ExportFileKind kStlFile = {"stl", "STL", "STL (*.stl)|*.stl"};

int64_t HasValidOutline() {
  if (gResult.valid != 0) return 1;
  ShowMessageBox(Tx(TX_EXPORTCMD_TITLE), Tx(TX_EXPORT_NO_OUTLINE), BUTTONS_OK, ICON_WARNING);
  return 0;
}

// The save dialog, the extension rule and the overwrite question; remembers
// the folder once the user has settled on a file. "" when the user stops.
std::string AskExportPath(TextKey dialogTitle, TextKey baseName, const ExportFileKind& kind) {
  if (gLastFolder.empty()) gLastFolder = CurrentDirectory();
  std::string path = ShowSaveFileDialog(Tx(dialogTitle) + std::string(kind.upperExtension),
                                        gLastFolder + DefaultExportName(Tx(baseName)) + "." + kind.extension,
                                        kind.filter + std::string(Tx(TX_EXPORTCMD_ALL_FILES)));
  if (path.empty()) return "";
  path = AddMissingExtension(path, kind.extension);
  if (FileSize(path) >= 0 && ShowMessageBox(Tx(TX_EXPORTCMD_TITLE), FilePart(path) + Tx(TX_PROJECT_OVERWRITE),
                                            BUTTONS_YES_NO, ICON_NONE) != ANSWER_YES)
    return "";
  gLastFolder = FolderPart(path);
  return path;
}

// Running out of memory while a file is built is a failed write: the
// writer's temporary file goes with it and the old file stays. No reason
// of an earlier export is left to be shown for this one.
template <typename Writer>
int64_t RunWriter(Writer write) {
  gExportError.clear();
  gLastError.clear();
  try {
    return write();
  } catch (const std::bad_alloc&) {
  } catch (const std::length_error&) {
  }
  gStepLines = StepLineList();
  gExportError = Tx(TX_EXPORT_CANNOT_WRITE);
  return 0;
}

void ReportWritten(const std::string& path, int64_t count, TextKey unit) {
  SetStatusBarText(STATUS_BAR_MAIN, STATUS_MESSAGE,
                   Tx(TX_EXPORTCMD_WRITTEN) + FilePart(path) + " (" + std::to_string(count) + Tx(unit));
}

// The writer's reason, a line break and the full path; a writer that gave
// no reason failed to write.
void ReportFailure(const std::string& reason, TextKey notWritten, const std::string& path) {
  const std::string shown = reason.empty() ? std::string(Tx(notWritten)) : reason;
  ShowMessageBox(Tx(TX_EXPORTCMD_TITLE), shown + "\n" + path, BUTTONS_OK, ICON_ERROR);
}

}  // namespace

std::string DefaultExportName(const std::string& base) {
  if (gParams.figureKind == FIGURE_NONE) return base;
  std::string figure = GetGadgetText(WINDOW_MAIN, GADGET_FIGURE);
  for (char& c : figure)
    if (c == ' ') c = '_';
  return base + "_" + AsciiLower(figure) + "_" + std::to_string(gResult.count);
}

void ExportOutline(int64_t format) {
  if (!HasValidOutline()) return;
  const bool step = format == OUTLINE_EXPORT_STEP;
  const std::string path = AskExportPath(TX_EXPORTCMD_OUTLINE_DIALOG, TX_EXPORTCMD_OUTLINE_NAME,
                                         step ? kStepFile : kDxfFile);
  if (path.empty()) return;
  int64_t written = 0;
  if (step) {
    const int64_t solid = GetGadgetState(WINDOW_MAIN, GADGET_STEP_AS) == STEP_AS_SOLID ? 1 : 0;
    const double height = ReadFieldNumber(GADGET_STEP_HEIGHT);
    // "+Infinity" and overlong digit strings read as infinite, "1e-300" as too thin to write.
    if (solid != 0 && !IsWritableStepHeight(height)) {
      ShowMessageBox(Tx(TX_EXPORTCMD_TITLE), Tx(TX_EXPORT_STEP_HEIGHT), BUTTONS_OK, ICON_WARNING);
      return;
    }
    written = RunWriter([&] { return ExportOutlineStep(path, gResult, solid, height, OUTLINE_EXPORT_TOLERANCE); });
  } else {
    const int64_t withBaseLine = GetGadgetState(WINDOW_MAIN, GADGET_EXPORT_BASE_LINE) != 0 ? 1 : 0;
    written = RunWriter([&] { return ExportOutlineDxf(path, gResult, withBaseLine, OUTLINE_EXPORT_TOLERANCE); });
  }
  if (written > 0) {
    ReportWritten(path, written, TX_EXPORTCMD_POINTS);
    return;
  }
  // A file that cannot be written is named in this command's own words.
  const bool notWritten = gExportError == Tx(TX_EXPORT_CANNOT_WRITE);
  ReportFailure(notWritten ? "" : gExportError, TX_EXPORTCMD_CANNOT_WRITE, path);
}

void ExportVase(int64_t format) {
  if (!HasValidOutline()) return;
  ReadVaseParams();
  const bool step = format == VASE_EXPORT_STEP;
  const std::string path = AskExportPath(TX_EXPORTCMD_VASE_DIALOG, TX_EXPORTCMD_VASE_NAME,
                                         step ? kStepFile : kStlFile);
  if (path.empty()) return;
  const int64_t written = RunWriter([&] {
    const PointList& outline = gResult.outlinePoints;
    if (step) return ExportVaseStep(path, outline, gResult.baseLinePoints, gVase, VASE_STEP_TOLERANCE);
    return ExportVaseStl(path, outline, gResult.baseLinePoints, gVase, VASE_STL_TOLERANCE);
  });
  if (written > 0)
    ReportWritten(path, written, step ? TX_EXPORTCMD_FACES : TX_EXPORTCMD_TRIANGLES);
  else
    ReportFailure(gLastError, TX_EXPORT_CANNOT_WRITE, path);
}

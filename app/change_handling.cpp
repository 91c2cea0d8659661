#include "app/change_handling.h"

#include <charconv>
#include <cmath>
#include <new>
#include <stdexcept>
#include <string>

#include "app/document_state.h"
#include "app/draw2d.h"
#include "app/form.h"
#include "app/gadgets.h"
#include "app/loop_state.h"
#include "app/platform/window_system.h"
#include "app/vase_form.h"
#include "app/view.h"
#include "engine/design.h"
#include "engine/info_text.h"
#include "engine/recompute.h"
#include "engine/text_helpers.h"
#include "import/import_state.h"
#include "import/stl_model.h"
#include "import/stl_section.h"
#include "text/texts.h"

namespace {

std::string IntegerText(int64_t n) {
  char buffer[32];
  auto [end, ec] = std::to_chars(buffer, buffer + sizeof buffer, n);
  return ec == std::errc() ? std::string(buffer, end) : std::string("0");
}

// The fitted sizes go into the fields the user did not type in.
void WriteBackFittedValues(int64_t source) {
  const DesignResult& r = gResult;
  int64_t figure = gParams.figureKind;
  SuppressEventsGuard quiet;
  if (gDivideByWidth == DIVIDE_BY_COUNT) {
    if (source != GADGET_FIGURE_WIDTH) SetFieldTextIfChanged(GADGET_FIGURE_WIDTH, FormatFieldNumber(r.figureWidth));
    if (source != GADGET_GAP && figure != FIGURE_SINE) SetFieldTextIfChanged(GADGET_GAP, FormatFieldNumber(r.gap));
    if (figure == FIGURE_TRAPEZOID && source != GADGET_TOP_WIDTH)
      SetFieldTextIfChanged(GADGET_TOP_WIDTH, FormatFieldNumber(r.topWidth));
  } else {
    if (source != GADGET_COUNT) SetFieldTextIfChanged(GADGET_COUNT, IntegerText(r.count));
  }
  if (figure == FIGURE_SQUARE || figure == FIGURE_HALF_CIRCLE)
    SetFieldTextIfChanged(GADGET_DEPTH, FormatFieldNumber(r.depth));
}

// A design too large for the memory left is no outline; its half-built
// lists are released.
void FailRecompute() {
  gResult = DesignResult();
  SetResultError(gResult, Tx(TX_ERR_NO_VALID_OUTLINE));
}

}  // namespace

void UpdateDesignFromForm(int64_t source) {
  ReadFormIntoParams();
  try {
    RecomputeOutline(gParams, gResult);
  } catch (const std::bad_alloc&) {
    FailRecompute();
  } catch (const std::length_error&) {
    FailRecompute();
  }
  if (gResult.valid == 1 && gParams.figureKind != FIGURE_NONE) WriteBackFittedValues(source);
  ComposeInfoText();
  ComposeStatusText();
}

int64_t OnParametersChanged(int64_t source, int64_t refit) {
  UpdateDesignFromForm(source);
  if (refit != 0) FitView2D();
  if (GetGadgetState(WINDOW_MAIN, GADGET_SHOW_3D)) RebuildPreviewMesh(0);
  DrawCanvas();
  return 0;
}

int64_t SetShiftFromFraction(double pitches) {
  double f = pitches - std::floor(pitches);
  if (!(f < SHIFT_WRAP_LIMIT)) f = 0;  // also a NaN position
  {
    SuppressEventsGuard quiet;
    SetFieldTextIfChanged(GADGET_SHIFT, FormatFieldNumber(f * 100.0));
  }
  OnParametersChanged(GADGET_SHIFT, 0);
  MarkProjectModified();
  return 0;
}

int64_t ApplyImportedOutline(const PointList& points, double width, double height) {
  gParams.importPoints = points;
  gParams.importWidth = width;
  gParams.importHeight = height;
  {
    SuppressEventsGuard quiet;
    SetGadgetState(WINDOW_MAIN, GADGET_SHAPE, SHAPE_IMPORTED);
    SetFieldTextIfChanged(GADGET_WIDTH, FormatFieldNumber(width));
    SetFieldTextIfChanged(GADGET_HEIGHT, FormatFieldNumber(height));
    ShowImportInfo(FilePart(gImportFileName) + ": " + gImportMessage);
  }
  UpdateFieldEnabling();
  OnParametersChanged(-1, 1);
  MarkProjectModified();
  // A "Written: " or "Saved: " message was about the outline now replaced.
  SetStatusBarText(STATUS_BAR_MAIN, STATUS_MESSAGE, "");
  return 0;
}

int64_t OnStlSectionChanged() {
  if (gImportFromStl != 1 || gStlTriangleCount <= 0) return 0;
  double z = ReadFieldNumber(GADGET_STL_Z);
  PointList points;
  double width = 0, height = 0;
  if (CutStlSection(z, points, width, height)) {
    // The model may have come from a later file whose first cut failed.
    gImportFileName = gStlModelPath;
    ApplyImportedOutline(points, width, height);
  } else {
    SuppressEventsGuard quiet;
    ShowImportInfo(gImportMessage);
  }
  return 0;
}

void ShowImportInfo(const std::string& text) {
  SetGadgetText(WINDOW_MAIN, GADGET_IMPORT_INFO, text);
  SetGadgetTooltip(WINDOW_MAIN, GADGET_IMPORT_INFO, text);
}

void ComposeInfoText() {
  SetGadgetText(WINDOW_MAIN, GADGET_INFO, BuildInfoText(gResult, gParams, gDivideByWidth, gImportFileName));
}

void ComposeStatusText() {
  std::string texts[4];
  BuildStatusTexts(gResult, gParams, texts);
  for (int64_t field = STATUS_PITCH; field <= STATUS_WARNINGS; ++field)
    SetStatusBarText(STATUS_BAR_MAIN, field, texts[field]);
}

// Filling the vase record from the vase fields of the form.
#include "app/form.h"
#include "app/gadgets.h"
#include "app/window_system.h"
#include "engine/design.h"
#include "vase/vase_params.h"

void ReadVaseParams() {
  VaseParams& v = gVase;
  v.height = ReadFieldNumber(GADGET_VASE_HEIGHT);
  v.twist = ReadFieldNumber(GADGET_TWIST);
  v.topScale = ReadFieldNumber(GADGET_TOP_SCALE) / 100;
  v.bulge = ReadFieldNumber(GADGET_BULGE) / 100;
  v.steps = ParseFieldInteger(GetGadgetText(WINDOW_MAIN, GADGET_STEPS));
  v.hollow = GetGadgetState(WINDOW_MAIN, GADGET_VASE_TYPE) == 1 ? VASE_HOLLOW : VASE_SOLID;
  v.wallThickness = ReadFieldNumber(GADGET_WALL_THICKNESS);
  v.bottomThickness = ReadFieldNumber(GADGET_BOTTOM_THICKNESS);
  v.innerWallMode = GetGadgetState(WINDOW_MAIN, GADGET_INNER_WALL);
  // The inner-wall rule needs the depth the pattern really has.
  v.patternDepth = 0;
  v.inwardDepth = 0;
  if (gResult.valid == 1 && gParams.figureKind != FIGURE_NONE) {
    v.patternDepth = gResult.depth;
    if (gParams.direction < 0) v.inwardDepth = gResult.depth;
  }
}

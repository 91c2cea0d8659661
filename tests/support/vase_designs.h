// Hollow vases for the mesh tests, built by the engine from design records.
#pragma once

#include <string>
#include <vector>

#include "engine/design.h"
#include "vase/vase_params.h"

struct VaseDesign {
  std::string name;
  DesignResult result;
  VaseParams vase;
};

// The engine's result for a design, with the vase's depths filled in.
VaseDesign MakeVaseDesign(const std::string& name, const DesignParams& params, VaseParams vase);
// The default design made hollow; an imported star with sine figures and a
// twist; inward rectangles with the inner wall following the pattern under
// top scale and bulge; an imported C shape, not star-shaped about the axis.
std::vector<VaseDesign> HollowTestDesigns();
// An imported C: a 40 mm square open to the right, centred on the origin,
// which lies in the opening.
PointList CShapeOutline();

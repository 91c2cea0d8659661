// Hollow vases for the mesh tests, built by the engine from design records.
#pragma once

#include <cstdint>
#include <random>
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
// Hollow vases whose walls come near to folding through themselves: a thin wall following
// dense figures on a twisted, bulging ellipse; a sharp rectangle and an
// imported L stretched to 60 by 60 mm (with and without figures) twisted 7.5 degrees a step; all
// four can be built.
std::vector<VaseDesign> FoldingTestDesigns();
// An imported L, concave, 50 by 60 mm, its inner corner at the origin.
PointList LShapeOutline();
// A hollow vase drawn at random: height, twist up to 180 degrees either
// way, top scale, bulge, 1 to 400 steps, wall from thinnestWall to 3 mm,
// bottom, inner-wall mode.
VaseParams RandomVaseParams(std::mt19937& random, double thinnestWall);
// A vase drawn at random from the seed, hollow or solid: any shape,
// imported concave ones among them, any figure, twist up to 180 degrees
// either way, 1 to 400 steps, top scale, bulge, every inner-wall mode.
VaseDesign SweepVaseDesign(uint32_t seed);

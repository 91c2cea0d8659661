// Geometric checks on the preview mesh as it stands in the globals.
#pragma once

#include <cstdint>
#include <string>

#include "vase/vase_params.h"

// The flat parts of a mesh built from the vase: rim (0), bottom (1) and
// inner floor (2), each with its triangles' area counted facing the right
// way, how many face the wrong way (or are flat), and the area they should
// cover; plus the directed edges not matched once by their reverse.
struct PreviewFlatParts {
  bool hollow = false;
  double area[3] = {0, 0, 0};
  double expected[3] = {0, 0, 0};
  int64_t wrong[3] = {0, 0, 0};
  int64_t unmatchedEdges = 0;
};

PreviewFlatParts MeasurePreviewFlatParts(const VaseParams& vase);
// Closed, nothing facing the wrong way, each area within 0.5 %.
void ExpectSoundFlatParts(const PreviewFlatParts& parts, const std::string& name);

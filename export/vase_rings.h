// The checks and rings that both vase writers start from.
#pragma once

#include <cstdint>

#include "engine/design.h"
#include "vase/quad_diagonals.h"
#include "vase/vase_params.h"

// Validates the vase, thins the outline at tolerance into outer and, for a
// hollow vase, builds the inner ring and thins it at the same tolerance,
// keeping its first point, and refuses an inner wall that would leave the
// outer one as meshed, and a wall whose quads would have to fold into it.
// Returns the steps (1..400), or 0 with the reason in gLastError; nothing
// is written to disk. splits, when given, gets the walls' quad splits.
int64_t PrepareVaseRings(const PointList& outline, const PointList& baseLine, const VaseParams& vase,
                         double tolerance, PointList& outer, PointList& inner, WallSplits* splits = nullptr);

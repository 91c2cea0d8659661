// The checks and rings that both vase writers start from.
#pragma once

#include <cstdint>

#include "engine/design.h"
#include "vase/vase_params.h"

// Validates the vase, thins the outline at tolerance into outer and, for a
// hollow vase, builds the inner ring and thins it at the same tolerance,
// keeping its first point, and refuses an inner wall that would leave the
// outer one as meshed. Returns the steps (1..400), or 0 with the reason in
// gLastError; nothing is written to disk.
int64_t PrepareVaseRings(const PointList& outline, const PointList& baseLine, const VaseParams& vase,
                         double tolerance, PointList& outer, PointList& inner);

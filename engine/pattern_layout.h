// The second half of a recompute: the fitted figure profile laid along the
// base line, the lay-out warnings, and the final checks of the outline.
#pragma once

#include <cstdint>

#include "engine/base_line.h"
#include "engine/design.h"
#include "engine/outline_box.h"

constexpr int64_t MAX_BASE_SAMPLES = 200000;
constexpr int64_t MAX_PATTERN_POINTS = 400000;

// The sizes of the fit that the lay-out works with.
struct FittedPattern {
  int64_t kind = FIGURE_NONE;
  int64_t dir = DIRECTION_OUTWARD;
  int64_t count = 0;
  double pitch = 0;
  double width = 0;
  double gap = 0;
  double depth = 0;
  double top = 0;
  double smallest = DEFAULT_SMALLEST_SIZE;
};

// The points of one pitch of the profile, at most `spacing` apart along the
// base line; the closing point (the next figure's first) is left out.
// Returns 0, with the samples unfinished, when they alone would exceed the
// point budget.
int64_t SampleProfile(const PointList& profile, double pitch, double spacing, PointList& samples);

// Lays the profile along the base line into result.outlinePoints, cuts its
// loops and the places where it still meets itself, appends the lay-out
// warnings and finishes the outline. Returns 0 after setting the error.
int64_t LayOutPattern(const DesignParams& params, const BaseLine& base, const FittedPattern& fit,
                      const PointList& profile, DesignResult& result);

// Cuts the places where the outline still meets itself (adding them to
// loopsRemoved, with the warning, after the lay-out warnings), then length,
// bounding box and orientation; sets valid, or the error for an outline of
// fewer than 3 points, one that is not simple, one that runs clockwise, or
// one that the cuts have left no longer the pattern (laidOut: the box of
// the outline before any cut).
void FinishOutline(DesignResult& result, const PointBox& laidOut);

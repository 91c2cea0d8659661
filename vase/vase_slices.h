// Placing the outline in space as the slices of a vase, and the inner wall
// ring of a hollow vase.
#pragma once

#include <cstdint>

#include "engine/design.h"
#include "vase/quad_diagonals.h"
#include "vase/vase_params.h"

// Turn of the slice at height fraction t, in radians.
double SliceAngle(const VaseParams& vase, double t);
// Scale and turn of the slice at height fraction t as one complex factor
// (s cos a, s sin a).
struct SliceFactor {
  double re = 0, im = 0;
};
SliceFactor SliceFactorAt(const VaseParams& vase, double t);
// How far the slice at t1 is turned against the slice at t0, in radians
// within (-pi, pi].
double BandTurn(const VaseParams& vase, double t0, double t1);
// (x, y) of a ring moved to the slice at height fraction t.
void TransformSlicePoint(const VaseParams& vase, double t, double x, double y, OutlinePoint& out);

// Heights of outer and inner slice i of S steps (S >= 1); the inner slice's
// height fraction is its own z / height.
double OuterSliceZ(const VaseParams& vase, int64_t i, int64_t steps);
double InnerSliceZ(const VaseParams& vase, int64_t i, int64_t steps);

// The inner wall ring chosen by the inner-wall mode; 1 on success.
int64_t BuildInnerWallRing(const PointList& outline, const PointList& baseLine, const VaseParams& vase,
                           PointList& innerRing);
// Whether the inner wall stays inside the outer wall at every height, both
// meshed from S + 1 slices of their rings as the preview and the STL mesh
// them (straight between slices, quads split as splits holds for both).
int64_t InnerWallStaysInside(const VaseParams& vase, int64_t steps, const PointList& outerRing,
                             const PointList& innerRing, const WallSplits& splits);
// The source ring moved inward by d, cleaned and tested; destination is
// cleared first and holds the ring only on success.
int64_t OffsetRingInward(const PointList& source, PointList& destination, double d);

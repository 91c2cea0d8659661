// Rings for the vase tests: counter-clockwise, starting on the +y axis.
#pragma once

#include <cstdint>

#include "engine/design.h"

// n points on a circle of radius r about (cx, 0).
PointList CircleRing(int64_t n, double r, double cx = 0);
// A gear of `teeth` square-ish teeth between radius `outer` and
// `outer - depth`, every side cut into `perSide` pieces.
PointList GearRing(int teeth, double outer, double depth, int perSide, double cx = 0);
// A circle of `notches` straight-walled inward notches, each taking the
// given share (0..1) of its pitch.
PointList NotchedRing(int notches, double radius, double depth, double share, int perSide);

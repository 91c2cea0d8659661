// The cross-section of the loaded STL model with a horizontal plane.
#pragma once

#include <cstdint>

#include "engine/design.h"

constexpr int SECTION_KEY_DECIMALS = 12;

// z is the height above the model's bottom. 1 with the outline and its
// size; 0 with the reason in gImportMessage and the outputs untouched.
int64_t CutStlSection(double z, PointList& points, double& width, double& height);
// The crossing of edge a-b of the loaded model with the plane z = zc,
// computed from the lexicographically smaller end so both triangles of an
// edge get the same bits.
void IntersectEdgeWithPlane(int64_t a, int64_t b, double zc, OutlinePoint& point);

// Independent checks on closed point rings for the engine tests.
#pragma once

#include <cstdint>

#include "engine/base_line.h"
#include "engine/design.h"

// Shoelace area of a ring closed implicitly: positive when counter-clockwise.
double SignedArea(const PointList& ring);
// The stored points of a base line without its closing copy.
PointList BaseLineRing(const BaseLine& line);
// True when no two non-adjacent edges of the ring cross or touch
// (edges bucketed on a grid, then compared pairwise within each cell).
bool IsSimpleRing(const PointList& ring);

// The outline as the writers take it: checked, thinned, and as coordinate
// arrays.
#pragma once

#include <vector>

#include "engine/design.h"

// True when every coordinate of the ring is a finite number.
bool AllPointsFinite(const PointList& points);

// The outline thinned to the tolerance; false with gExportError set when it
// thins to a line or a point, which is no outline to write.
bool ThinExportOutline(const PointList& source, double tolerance, PointList& outline);

// The ring's coordinates as two arrays.
void RingToArrays(const PointList& ring, std::vector<double>& x, std::vector<double>& y);

// The outline as the writers take it: checked, thinned, and as coordinate
// arrays.
#pragma once

#include <vector>

#include "engine/design.h"

// True when every coordinate of the ring is a finite number.
bool AllPointsFinite(const PointList& points);

// True when the thinned outline is a simple counter-clockwise ring; when
// thinning made it meet itself but the source is sound, the source takes
// its place. False when neither is sound: nothing may be written.
bool KeepSoundOutline(const PointList& source, PointList& thinned);

// The outline thinned to the tolerance and kept sound as above; false with
// gExportError set when it thins to a line or a point, or is not a simple
// counter-clockwise ring: no outline to write.
bool ThinExportOutline(const PointList& source, double tolerance, PointList& outline);

// The ring's coordinates as two arrays.
void RingToArrays(const PointList& ring, std::vector<double>& x, std::vector<double>& y);

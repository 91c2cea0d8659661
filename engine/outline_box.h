// Whether a ring that the loop cut has left can still be the pattern on its
// base line, judged by boxes: a remnant of one loop, or a part that reaches
// right across the shape, is no outline of the design.
#pragma once

#include "engine/design.h"

struct PointBox {
  double x0, x1, y0, y1;
};

// The box of the points; an empty list gives an empty box (inverted, infinite).
PointBox BoxOfPoints(const PointList& points);
// The box of a laid-out outline without the spikes of no width that the
// final checks drop (flanks of figures without gaps run out and back along
// one normal).
PointBox LaidOutBox(const PointList& outline);
// The box grown by d on every side (shrunk where d < 0).
PointBox GrowBox(const PointBox& box, double d);
// True when a ring with box `kept`, left by the loop cut of a ring whose
// whole would have the box `whole`, can still stand for that whole: it
// covers at least half of `whole` in width and in height, and lies within
// `room`, the box that the whole could reach without crossing itself.
bool KeepsThePattern(const PointBox& kept, const PointBox& whole, const PointBox& room);

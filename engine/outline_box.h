// Whether a ring that the loop cut has left can still be the pattern on its
// base line, judged by boxes: a remnant of a few loops is no outline of the
// design.
#pragma once

#include "engine/design.h"

struct PointBox {
  double x0, x1, y0, y1;
};

// The box of a laid-out outline without the tips of spikes of no width,
// which the final checks drop (flanks of figures without gaps run out and
// back along one normal); an empty list gives an empty box.
PointBox LaidOutBox(const PointList& outline);
// True when a ring with box `kept`, left by the loop cut of a ring whose
// whole would have the box `whole`, can still stand for that whole: it
// covers at least half of it in width and in height.
bool KeepsThePattern(const PointBox& kept, const PointBox& whole);

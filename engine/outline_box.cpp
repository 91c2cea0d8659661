#include "engine/outline_box.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/sound_ring.h"

namespace {

// Sampling and offsetting round a point past the line's box by far less.
constexpr double BOX_ROUNDING = 1e-6;

}  // namespace

PointBox BoxOfPoints(const PointList& points) {
  constexpr double INF = std::numeric_limits<double>::infinity();
  PointBox box{INF, -INF, INF, -INF};
  for (const OutlinePoint& p : points) {
    box.x0 = std::min(box.x0, p.x);
    box.x1 = std::max(box.x1, p.x);
    box.y0 = std::min(box.y0, p.y);
    box.y1 = std::max(box.y1, p.y);
  }
  return box;
}

PointBox LaidOutBox(const PointList& outline) {
  PointList kept = outline;
  DropRepeatedPoints(kept);
  return BoxOfPoints(kept);
}

PointBox GrowBox(const PointBox& box, double d) { return PointBox{box.x0 - d, box.x1 + d, box.y0 - d, box.y1 + d}; }

bool KeepsThePattern(const PointBox& kept, const PointBox& whole, const PointBox& room) {
  if (!(2 * (kept.x1 - kept.x0) >= whole.x1 - whole.x0 && 2 * (kept.y1 - kept.y0) >= whole.y1 - whole.y0)) return false;
  const double slack = BOX_ROUNDING * std::max(room.x1 - room.x0, room.y1 - room.y0);
  const PointBox r = GrowBox(room, slack);
  return kept.x0 >= r.x0 && kept.x1 <= r.x1 && kept.y0 >= r.y0 && kept.y1 <= r.y1;
}

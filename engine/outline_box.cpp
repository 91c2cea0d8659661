#include "engine/outline_box.h"

#include <algorithm>
#include <limits>

#include "engine/sound_ring.h"

PointBox LaidOutBox(const PointList& outline) {
  constexpr double INF = std::numeric_limits<double>::infinity();
  PointBox box{INF, -INF, INF, -INF};
  const size_t n = outline.size();
  for (size_t k = 0; k < n; ++k) {
    // The tip of a spike: its neighbours meet.
    const OutlinePoint& a = outline[k == 0 ? n - 1 : k - 1];
    const OutlinePoint& c = outline[k + 1 == n ? 0 : k + 1];
    if (n > 2 && TooClose(a, c)) continue;
    const OutlinePoint& p = outline[k];
    box.x0 = std::min(box.x0, p.x);
    box.x1 = std::max(box.x1, p.x);
    box.y0 = std::min(box.y0, p.y);
    box.y1 = std::max(box.y1, p.y);
  }
  return box;
}

bool KeepsThePattern(const PointBox& kept, const PointBox& whole) {
  return 2 * (kept.x1 - kept.x0) >= whole.x1 - whole.x0 && 2 * (kept.y1 - kept.y0) >= whole.y1 - whole.y0;
}

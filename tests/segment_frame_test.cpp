#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "engine/segment_frame.h"
#include "engine/sound_ring.h"

namespace {

struct Seg {
  double ax, ay, bx, by;
};

// Whether two segments share a point, by exact predicates.
bool Meet(const Seg& s, const Seg& t) {
  const int o1 = OrientExact(s.ax, s.ay, s.bx, s.by, t.ax, t.ay), o2 = OrientExact(s.ax, s.ay, s.bx, s.by, t.bx, t.by);
  const int o3 = OrientExact(t.ax, t.ay, t.bx, t.by, s.ax, s.ay), o4 = OrientExact(t.ax, t.ay, t.bx, t.by, s.bx, s.by);
  if (o1 * o2 > 0 || o3 * o4 > 0) return false;
  if (o1 != 0 || o2 != 0 || o3 != 0 || o4 != 0) return true;
  // Collinear: their boxes must overlap.
  return std::min(s.ax, s.bx) <= std::max(t.ax, t.bx) && std::min(t.ax, t.bx) <= std::max(s.ax, s.bx) &&
         std::min(s.ay, s.by) <= std::max(t.ay, t.by) && std::min(t.ay, t.by) <= std::max(s.ay, s.by);
}

SegmentFrame FrameOf(const std::vector<Seg>& segs, size_t from, size_t to) {
  SegmentFrame f;
  for (size_t k = from; k < to; ++k) AddDirection(f, segs[k].bx - segs[k].ax, segs[k].by - segs[k].ay);
  SetFrameAxis(f);
  for (size_t k = from; k < to; ++k) {
    AddFramePoint(f, segs[k].ax, segs[k].ay);
    AddFramePoint(f, segs[k].bx, segs[k].by);
  }
  return f;
}

// Bundles of long, nearly parallel segments at every angle, framed in two
// halves joined, against segments that cross them, run along them, overlap
// their outermost one or pass close by: a segment the frame lets go must
// meet none of the bundle, and one that passes beside the bundle, parallel
// to it, must mostly be let go (an upright box would hold it).
TEST(SegmentFrame, LetsGoOnlySegmentsThatMeetNoneAndHugsParallelBundles) {
  std::mt19937_64 random(5);
  std::uniform_real_distribution<double> unit(0, 1);
  int besideMissed = 0, beside = 0;
  for (int trial = 0; trial < 3000; ++trial) {
    const double angle = unit(random) * std::numbers::pi, ux = std::cos(angle), uy = std::sin(angle);
    const double cx = 100 * (unit(random) - 0.5), cy = 100 * (unit(random) - 0.5), gap = 1e-3 * unit(random);
    std::vector<Seg> segs;
    for (int k = 0; k < 12; ++k) {
      const double lean = trial % 3 == 0 ? 0 : 1e-4 * (unit(random) - 0.5);
      const double ox = cx - uy * gap * k, oy = cy + ux * gap * k, len = 2 + unit(random);
      const double lx = ux - lean * uy, ly = uy + lean * ux;
      segs.push_back(Seg{ox, oy, ox + len * lx, oy + len * ly});
    }
    const SegmentFrame f = JoinFrames(FrameOf(segs, 0, 6), FrameOf(segs, 6, segs.size()));
    std::vector<Seg> queries;
    // Across the bundle, and along its outermost segments, overlapping them.
    queries.push_back(Seg{cx - 3 * uy + ux, cy + 3 * ux + uy, cx + 3 * uy + ux, cy - 3 * ux + uy});
    for (const Seg& s : {segs.front(), segs.back()}) {
      const double dx = s.bx - s.ax, dy = s.by - s.ay;
      queries.push_back(Seg{s.ax + 0.5 * dx, s.ay + 0.5 * dy, s.bx + 0.5 * dx, s.by + 0.5 * dy});
      queries.push_back(Seg{s.bx, s.by, s.bx + dx, s.by + dy});
    }
    // Beside it, parallel, just outside and far outside.
    for (double off : {-2 * gap - 1e-6, 13 * gap + 1e-6, 0.5, -0.5}) {
      const double ox = cx - uy * off, oy = cy + ux * off;
      queries.push_back(Seg{ox, oy, ox + 2 * ux, oy + 2 * uy});
    }
    for (size_t q = 0; q < queries.size(); ++q) {
      const Seg& s = queries[q];
      const bool missed = SegmentMissesFrame(f, s.ax, s.ay, s.bx, s.by);
      if (missed) {
        for (const Seg& t : segs) ASSERT_FALSE(Meet(s, t)) << "trial " << trial << " query " << q;
      }
      if (q >= queries.size() - 2) {
        ++beside;
        besideMissed += missed;
      }
    }
  }
  EXPECT_GT(besideMissed, beside * 9 / 10);
}

}  // namespace

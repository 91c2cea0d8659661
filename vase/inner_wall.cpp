#include "vase/vase_slices.h"

#include <cmath>
#include <vector>

#include "engine/base_line.h"
#include "engine/polyline.h"
#include "text/texts.h"

namespace {

constexpr double RING_MATCH_TOL = 1e-9;
constexpr double INNER_WALL_SIMPLIFY_TOL = 0.001;

}  // namespace

namespace {

// Even-odd rule; a point on an edge may count either way.
bool PointInsideRing(const PointList& ring, double x, double y) {
  bool inside = false;
  size_t m = ring.size();
  for (size_t i = 0, j = m - 1; i < m; j = i++) {
    const OutlinePoint& a = ring[i];
    const OutlinePoint& b = ring[j];
    if ((a.y > y) != (b.y > y) && x < (b.x - a.x) * (y - a.y) / (b.y - a.y) + a.x) inside = !inside;
  }
  return inside;
}

}  // namespace

int64_t OffsetRingInward(const PointList& source, PointList& destination, double d) {
  destination.clear();
  int64_t p = static_cast<int64_t>(source.size());
  if (p < 3 || !(d > 0) || !std::isfinite(d)) return 0;

  BaseLine work;
  if (BuildImportedBaseLine(work, source, 1.0, 1.0, -d) == 0) return 0;

  std::vector<double> xs, ys;
  for (int64_t i = 0; i + 1 < work.count; ++i) {
    double x = work.x[i];
    double y = work.y[i];
    if (xs.empty() || std::fabs(x - xs.back()) > RING_MATCH_TOL || std::fabs(y - ys.back()) > RING_MATCH_TOL) {
      xs.push_back(x);
      ys.push_back(y);
    }
  }
  int64_t n = static_cast<int64_t>(xs.size());
  if (n < 3) return 0;
  if (std::fabs(xs[n - 1] - xs[0]) < RING_MATCH_TOL && std::fabs(ys[n - 1] - ys[0]) < RING_MATCH_TOL) --n;

  double area2 = 0;
  for (int64_t i = 0; i < n; ++i) {
    int64_t k = (i + n - 1) % n;
    area2 += xs[k] * ys[i] - xs[i] * ys[k];
  }
  if (!(area2 > 1e-9) || n < 3) return 0;
  if (CheckOffsetClearance(source, xs.data(), ys.data(), n, d) != 1) return 0;
  // A wall thicker than the outline is wide pushes the ring through the
  // centre and out the other side: still counter-clockwise and far from the
  // source, but outside it.
  int64_t step = n / CLEARANCE_SAMPLES > 1 ? n / CLEARANCE_SAMPLES : 1;
  for (int64_t k = 0; k < n; k += step)
    if (!PointInsideRing(source, xs[k], ys[k])) return 0;

  int64_t start = 0;
  double best = 0;
  for (int64_t i = 0; i < n; ++i) {
    double dx = xs[i] - source[0].x;
    double dy = ys[i] - source[0].y;
    double d2 = dx * dx + dy * dy;
    if (i == 0 || d2 < best) {
      best = d2;
      start = i;
    }
  }
  destination.reserve(static_cast<size_t>(n));
  for (int64_t k = 0; k < n; ++k) {
    int64_t i = (start + k) % n;
    destination.push_back(OutlinePoint{xs[i], ys[i]});
  }
  return 1;
}

int64_t BuildInnerWallRing(const PointList& outline, const PointList& baseLine, const VaseParams& vase,
                           PointList& innerRing) {
  double m = MaxF(MinVaseScale(vase), MIN_VASE_SCALE);
  double w = vase.wallThickness / m;

  bool smooth;
  if (vase.innerWallMode == INNER_WALL_SMOOTH) {
    smooth = true;
  } else if (vase.innerWallMode == INNER_WALL_FOLLOW_PATTERN) {
    smooth = false;
  } else {
    smooth = vase.patternDepth > 0 && vase.patternDepth <= vase.wallThickness;
  }
  bool haveBaseLine = baseLine.size() >= 3;
  if (!haveBaseLine) smooth = false;

  if (!smooth) {
    int64_t r = OffsetRingInward(outline, innerRing, w);
    if (r == 1 || vase.innerWallMode == INNER_WALL_FOLLOW_PATTERN || !haveBaseLine) return r;
  }
  PointList simplified;
  SimplifyClosedPolyline(baseLine, INNER_WALL_SIMPLIFY_TOL, simplified);
  return OffsetRingInward(simplified, innerRing, vase.inwardDepth + w);
}

int64_t CheckWallThickness(const PointList& outline, const PointList& baseLine, const VaseParams& vase,
                           PointList& innerRing) {
  if (BuildInnerWallRing(outline, baseLine, vase, innerRing) == 0) {
    gLastError = Tx(TX_VASE_WALL_TOO_THICK);
    return 0;
  }
  return 1;
}

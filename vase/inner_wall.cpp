#include "vase/vase_slices.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "engine/base_line.h"
#include "engine/polyline.h"
#include "text/texts.h"
#include "vase/quad_diagonals.h"

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

namespace {

// The slices of a wall meshed from S + 1 slices between z0 and z1 around
// height z, and where z lies between them (0..1).
void SlicesAround(const std::vector<SliceFactor>& slices, double z0, double z1, double z, SliceFactor& lower,
                  SliceFactor& upper, double& f) {
  int64_t steps = static_cast<int64_t>(slices.size()) - 1;
  double u = (z - z0) / (z1 - z0) * static_cast<double>(steps);
  int64_t i = static_cast<int64_t>(std::floor(u));
  if (i < 0) i = 0;
  if (i > steps - 1) i = steps - 1;
  f = u - static_cast<double>(i);
  lower = slices[static_cast<size_t>(i)];
  upper = slices[static_cast<size_t>(i + 1)];
}

// A wall's factor at height z: straight between the two slices around it.
SliceFactor MeshedFactorAt(const std::vector<SliceFactor>& slices, double z0, double z1, double z) {
  SliceFactor a, b;
  double f;
  SlicesAround(slices, z0, z1, z, a, b, f);
  return {a.re + f * (b.re - a.re), a.im + f * (b.im - a.im)};
}

// How far the wall's quads bend inward (positive) or outward (negative)
// between two slices, per mm of ring edge: the diagonal of the quad over
// edge e lies u(1 - u)·(upper - lower)·e off the straight cut, which the
// turn of the slices puts across the edge, the same way for every edge.
double QuadBend(const std::vector<SliceFactor>& slices, double z0, double z1, double z) {
  SliceFactor a, b;
  double f;
  SlicesAround(slices, z0, z1, z, a, b, f);
  double dre = b.re - a.re, dim = b.im - a.im;
  double mre = a.re + f * dre, mim = a.im + f * dim;
  double size = std::hypot(mre, mim);
  return size > 0 ? 0.25 * (dim * mre - dre * mim) / size : 0.25 * std::hypot(dre, dim);
}

}  // namespace

int64_t InnerWallStaysInside(const VaseParams& vase, int64_t steps, const PointList& outerRing,
                             const PointList& innerRing, const WallSplits& splits) {
  const double H = vase.height, b = vase.bottomThickness;
  double reach = 0;
  for (const OutlinePoint& q : innerRing) reach = MaxF(reach, std::hypot(q.x, q.y));
  const double w = vase.wallThickness / MaxF(MinVaseScale(vase), MIN_VASE_SCALE);
  std::vector<SliceFactor> outer, inner;
  std::vector<double> heights;
  for (int64_t i = 0; i <= steps; ++i) {
    double zo = OuterSliceZ(vase, i, steps), zi = InnerSliceZ(vase, i, steps);
    outer.push_back(SliceFactorAt(vase, zo / H));
    inner.push_back(SliceFactorAt(vase, zi / H));
    heights.push_back(zi);
    if (zo > b && zo < H) heights.push_back(zo);
  }
  std::sort(heights.begin(), heights.end());
  // The quads fold towards the material only along the edges where the
  // other side had no room: the outer wall inward, the inner wall outward.
  const double outerEdge = LongestEdgeFoldingTo(outerRing, splits.outerTurn, splits.outerFlips, true);
  const double innerEdge = LongestEdgeFoldingTo(innerRing, splits.innerTurn, splits.innerFlips, false);
  // Both walls are straight on each piece between these heights, so the gap
  // of their factors is largest at a piece's ends; the outer factor may pass
  // closest to the axis inside it. An inner point q then lies at least
  // |outer|·(offset) - |inner - outer|·|q| inside the outer wall, less the
  // folds of the quads where they close the gap. The offset's clearance is
  // 0.9 of it; some of that is kept back for where it was not sampled.
  for (size_t k = 0; k + 1 < heights.size(); ++k) {
    const double za = heights[k], zb = heights[k + 1], zm = (za + zb) / 2;
    SliceFactor oa = MeshedFactorAt(outer, 0, H, za), ob = MeshedFactorAt(outer, 0, H, zb);
    SliceFactor ia = MeshedFactorAt(inner, b, H, za), ib = MeshedFactorAt(inner, b, H, zb);
    double drift = MaxF(std::hypot(ia.re - oa.re, ia.im - oa.im), std::hypot(ib.re - ob.re, ib.im - ob.im));
    double bends = std::fabs(QuadBend(outer, 0, H, zm)) * outerEdge + std::fabs(QuadBend(inner, b, H, zm)) * innerEdge;
    double nearest = PointSegmentDistance(0, 0, oa.re, oa.im, ob.re, ob.im);
    if (!(drift * reach + bends <= 0.75 * w * nearest)) return 0;
  }
  return 1;
}

int64_t CheckWallThickness(const PointList& outline, const PointList& baseLine, const VaseParams& vase,
                           PointList& innerRing) {
  if (BuildInnerWallRing(outline, baseLine, vase, innerRing) == 0) {
    gLastError = Tx(TX_VASE_WALL_TOO_THICK);
    return 0;
  }
  return 1;
}

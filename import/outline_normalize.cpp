#include <algorithm>
#include <cfloat>
#include <cmath>

#include "engine/polyline.h"
#include "import/import_pieces.h"

namespace {

// Moves the points so that their box is centred on the origin; returns its
// size.
void CentreOnBox(PointList& points, double& width, double& height) {
  double minX = 1e300, maxX = -1e300, minY = 1e300, maxY = -1e300;
  for (const OutlinePoint& p : points) {
    minX = MinF(minX, p.x), maxX = MaxF(maxX, p.x);
    minY = MinF(minY, p.y), maxY = MaxF(maxY, p.y);
  }
  width = maxX - minX;
  height = maxY - minY;
  const double cx = (minX + maxX) / 2, cy = (minY + maxY) / 2;
  for (OutlinePoint& p : points) {
    p.x -= cx;
    p.y -= cy;
  }
}

}  // namespace

void NormalizeImportedOutline(PointList& points, double& width, double& height) {
  const size_t n = points.size();
  if (n == 0) {
    width = height = 0;
    return;
  }
  CentreOnBox(points, width, height);
  // Far from the origin the centre itself is rounded to the coarse spacing
  // of the coordinates there (a drawing placed at 1e9 mm: 1e-7 mm), which
  // leaves the box that much off centre; near the origin a second pass puts
  // it within the rounding of its own size.
  double w2, h2;
  CentreOnBox(points, w2, h2);
  if (ComputeSignedArea(points) < 0) std::reverse(points.begin(), points.end());

  // The highest leftward crossing of the y axis lies on the top of a
  // counter-clockwise loop around the centre.
  size_t kept = n;
  double bestY = -1e300;
  for (size_t k = 0; k < n; ++k) {
    const OutlinePoint& a = points[k];
    const OutlinePoint& b = points[(k + 1) % n];
    if ((a.x >= 0 && b.x < 0) || (a.x > 0 && b.x <= 0)) {
      double yc = a.y + (b.y - a.y) * a.x / (a.x - b.x);
      if (yc > bestY) {
        bestY = yc;
        kept = k;
      }
    }
  }
  if (kept == n) return;
  const size_t k2 = (kept + 1) % n;
  PointList rebuilt;
  rebuilt.reserve(n + 1);
  if (std::fabs(points[k2].x) > 1e-12) rebuilt.push_back(OutlinePoint{0, bestY});
  for (size_t i = 0; i < n; ++i) rebuilt.push_back(points[(k2 + i) % n]);
  if (std::fabs(points[kept].x) < 1e-12 && std::fabs(points[kept].y - bestY) < 1e-12) rebuilt.pop_back();
  points.swap(rebuilt);
}

int64_t FinishImportedOutline(PointList& points, double& width, double& height) {
  PointList loop;
  if (!PickLargestLoop(loop)) return 0;
  PointList simple;
  SimplifyClosedPolyline(loop, IMPORT_SIMPLIFY_TOL, simple);
  double w = 0, h = 0;
  NormalizeImportedOutline(simple, w, h);
  if (simple.size() < 3 || !(w > 0) || !(h > 0) || !std::isfinite(w) || !std::isfinite(h)) return 0;
  for (const OutlinePoint& p : simple)
    if (!std::isfinite(p.x) || !std::isfinite(p.y)) return 0;
  // An area within the rounding of the shoelace sum is none: the loop is a
  // line walked forth and back, and rounding alone gives it a sign.
  // Divided rather than squared, so that a huge loop cannot overflow the bound.
  const double size = MaxF(w, h);
  if (!(ComputeSignedArea(simple) / size / size > static_cast<double>(simple.size()) * 4 * DBL_EPSILON)) return 0;
  points.swap(simple);
  width = w;
  height = h;
  return 1;
}

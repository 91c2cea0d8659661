#include <cmath>
#include <vector>

#include "engine/base_line.h"
#include "engine/loop_cut.h"

namespace {

// cos 25 degrees: a vertex whose direction turns by more than this is sharp.
constexpr double SHARP_CORNER_COS = 0.9063077870366499;
constexpr double CURVATURE_STEP_MIN = 0.5;
constexpr double POINT_MATCH_TOL = 1e-9;

// Largest curvature of the circles through the samples h before and after
// every stored point.
void EstimateMaxCurvature(BaseLine& line) {
  double h = MaxF(CURVATURE_STEP_MIN, line.length / 1000);
  // The three samples move forward with i, so each keeps its own hint
  // instead of a binary search per sample.
  int64_t hint0 = 0, hint1 = 0, hint2 = 0;
  for (int64_t i = 0; i + 1 < line.count; ++i) {
    double s = line.s[i];
    OutlinePoint p0, p1, p2;
    double nx, ny;
    SampleBaseLineFrom(line, s - h, hint0, p0, nx, ny);
    SampleBaseLineFrom(line, s, hint1, p1, nx, ny);
    SampleBaseLineFrom(line, s + h, hint2, p2, nx, ny);
    double d01 = std::sqrt((p1.x - p0.x) * (p1.x - p0.x) + (p1.y - p0.y) * (p1.y - p0.y));
    double d12 = std::sqrt((p2.x - p1.x) * (p2.x - p1.x) + (p2.y - p1.y) * (p2.y - p1.y));
    double d02 = std::sqrt((p2.x - p0.x) * (p2.x - p0.x) + (p2.y - p0.y) * (p2.y - p0.y));
    double cross = std::fabs((p1.x - p0.x) * (p2.y - p0.y) - (p1.y - p0.y) * (p2.x - p0.x));
    double product = d01 * d12 * d02;
    if (product > 0) {
      double k = 2 * cross / product;
      if (k > line.maxCurvature) line.maxCurvature = k;
    }
  }
}

// Hands every corner of a closed polyline to visit with its unit normal, a
// sharp corner twice (the normals of the side before and after it); true
// when there was a sharp corner.
template <typename Visit>
bool VisitPolylineCorners(const double* x, const double* y, int64_t n, Visit visit) {
  size_t size = static_cast<size_t>(n);
  std::vector<double> sideNx(size), sideNy(size);
  for (int64_t i = 0; i < n; ++i) {
    int64_t j = i + 1 == n ? 0 : i + 1;
    double dx = x[j] - x[i], dy = y[j] - y[i];
    double len = std::sqrt(dx * dx + dy * dy);
    if (len > 0) {
      sideNx[i] = dy / len;
      sideNy[i] = -dx / len;
    } else {
      sideNx[i] = 0;
      sideNy[i] = 0;
    }
  }
  bool sharp = false;
  for (int64_t i = 0, p = n - 1; i < n; p = i++) {
    double d = sideNx[p] * sideNx[i] + sideNy[p] * sideNy[i];
    if (d < SHARP_CORNER_COS) {
      sharp = true;
      visit(x[i], y[i], sideNx[p], sideNy[p]);
      visit(x[i], y[i], sideNx[i], sideNy[i]);
    } else {
      double bx = sideNx[p] + sideNx[i], by = sideNy[p] + sideNy[i];
      double len = std::sqrt(bx * bx + by * by);
      if (len > 0) {
        bx /= len;
        by /= len;
      }
      visit(x[i], y[i], bx, by);
    }
  }
  return sharp;
}

}  // namespace

void BuildPolylineBaseLine(BaseLine& line, const double* x, const double* y, int64_t n) {
  line.count = 0;
  line.hasSharpCorner = 0;
  line.maxCurvature = 0;
  if (n < 1) {
    line.length = 0;
    return;
  }
  // One growth instead of one per doubling; sharp corners may still grow it.
  ReserveBasePoints(line, n + 1);
  bool sharp = VisitPolylineCorners(
      x, y, n, [&line](double px, double py, double nx, double ny) { AppendBasePoint(line, px, py, nx, ny); });
  line.hasSharpCorner = sharp ? 1 : 0;
  AppendBasePoint(line, x[0], y[0], line.nx[0], line.ny[0]);
  ComputeArcLengths(line);
  if (line.hasSharpCorner == 0 && line.length > 0) EstimateMaxCurvature(line);
}

int64_t BuildImportedBaseLine(BaseLine& line, const PointList& points, double sx, double sy, double offset) {
  std::vector<double> x, y;
  x.reserve(points.size());
  y.reserve(points.size());
  for (const OutlinePoint& p : points) {
    double qx = p.x * sx, qy = p.y * sy;
    if (x.empty() || std::fabs(qx - x.back()) > POINT_MATCH_TOL || std::fabs(qy - y.back()) > POINT_MATCH_TOL) {
      x.push_back(qx);
      y.push_back(qy);
    }
  }
  if (x.size() > 1 && std::fabs(x.back() - x.front()) < POINT_MATCH_TOL &&
      std::fabs(y.back() - y.front()) < POINT_MATCH_TOL) {
    x.pop_back();
    y.pop_back();
  }
  if (x.size() < 3) return 0;
  int64_t n = static_cast<int64_t>(x.size());
  if (offset == 0) {
    BuildPolylineBaseLine(line, x.data(), y.data(), n);
    return 1;
  }

  // The unmoved line is needed only for its normals, so it is not built.
  std::vector<double> mx, my;
  mx.reserve(x.size() + 1);
  my.reserve(x.size() + 1);
  VisitPolylineCorners(x.data(), y.data(), n, [&mx, &my, offset](double px, double py, double nx, double ny) {
    mx.push_back(px + offset * nx);
    my.push_back(py + offset * ny);
  });
  RemoveSelfIntersections(mx, my);
  if (mx.size() < 3) return 0;
  BuildPolylineBaseLine(line, mx.data(), my.data(), static_cast<int64_t>(mx.size()));
  return 1;
}

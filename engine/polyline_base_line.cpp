#include <cmath>
#include <vector>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

#include "engine/base_line.h"
#include "engine/loop_cut/loop_cut.h"

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

// The unit normals of the sides of a closed polyline (side i from point i
// to point i + 1), zero for a side of no length. Two at a time in SSE2,
// with the same operations in the same order as one at a time.
void SideNormals(const double* x, const double* y, int64_t n, double* nx, double* ny) {
  int64_t i = 0;
#ifdef __SSE2__
  const __m128d zero = _mm_setzero_pd(), sign = _mm_set1_pd(-0.0);
  for (; i + 2 < n; i += 2) {
    const __m128d dx = _mm_sub_pd(_mm_loadu_pd(x + i + 1), _mm_loadu_pd(x + i));
    const __m128d dy = _mm_sub_pd(_mm_loadu_pd(y + i + 1), _mm_loadu_pd(y + i));
    const __m128d len = _mm_sqrt_pd(_mm_add_pd(_mm_mul_pd(dx, dx), _mm_mul_pd(dy, dy)));
    const __m128d some = _mm_cmpgt_pd(len, zero);
    _mm_storeu_pd(nx + i, _mm_and_pd(_mm_div_pd(dy, len), some));
    _mm_storeu_pd(ny + i, _mm_and_pd(_mm_div_pd(_mm_xor_pd(dx, sign), len), some));
  }
#endif
  for (; i < n; ++i) {
    int64_t j = i + 1 == n ? 0 : i + 1;
    double dx = x[j] - x[i], dy = y[j] - y[i];
    double len = std::sqrt(dx * dx + dy * dy);
    if (len > 0) {
      nx[i] = dy / len;
      ny[i] = -dx / len;
    } else {
      nx[i] = 0;
      ny[i] = 0;
    }
  }
}

// The side normals of a closed polyline of n >= 1 points, and the number of
// points its corners hand on: one a corner, two a sharp one.
struct PolylineSides {
  std::vector<double> nx, ny;
  int64_t corners = 0;
};

void MeasureSides(const double* x, const double* y, int64_t n, PolylineSides& sides) {
  const size_t size = static_cast<size_t>(n);
  sides.nx.resize(size);
  sides.ny.resize(size);
  SideNormals(x, y, n, sides.nx.data(), sides.ny.data());
  sides.corners = n;
  // The cosine as the corner visit works it out, so that the count is exact.
  for (int64_t i = 0, p = n - 1; i < n; p = i++)
    if (sides.nx[p] * sides.nx[i] + sides.ny[p] * sides.ny[i] < SHARP_CORNER_COS) ++sides.corners;
}

// Hands every corner of a closed polyline to visit with its unit normal, a
// sharp corner twice (the normals of the side before and after it); true
// when there was a sharp corner.
template <typename Visit>
bool VisitPolylineCorners(const double* x, const double* y, int64_t n, const PolylineSides& sides, Visit visit) {
  const std::vector<double>& sideNx = sides.nx;
  const std::vector<double>& sideNy = sides.ny;
  bool sharp = false;
  // Corner i between sides p and i: d is the cosine of its turn, (bx, by)
  // the sum of the two normals, scaled to unit length where it has one.
  auto corner = [&](int64_t i, int64_t p, double d, double bx, double by) {
    if (d < SHARP_CORNER_COS) {
      sharp = true;
      visit(x[i], y[i], sideNx[p], sideNy[p]);
      visit(x[i], y[i], sideNx[i], sideNy[i]);
    } else {
      visit(x[i], y[i], bx, by);
    }
  };
  auto scalarCorner = [&](int64_t i, int64_t p) {
    double d = sideNx[p] * sideNx[i] + sideNy[p] * sideNy[i];
    double bx = sideNx[p] + sideNx[i], by = sideNy[p] + sideNy[i];
    double len = std::sqrt(bx * bx + by * by);
    if (len > 0) {
      bx /= len;
      by /= len;
    }
    corner(i, p, d, bx, by);
  };
  int64_t i = 0;
  if (n > 0) scalarCorner(i++, n - 1);
#ifdef __SSE2__
  const __m128d zero = _mm_setzero_pd();
  for (; i + 1 < n; i += 2) {
    const __m128d px = _mm_loadu_pd(sideNx.data() + i - 1), py = _mm_loadu_pd(sideNy.data() + i - 1);
    const __m128d qx = _mm_loadu_pd(sideNx.data() + i), qy = _mm_loadu_pd(sideNy.data() + i);
    alignas(16) double d[2], bx[2], by[2];
    _mm_store_pd(d, _mm_add_pd(_mm_mul_pd(px, qx), _mm_mul_pd(py, qy)));
    __m128d sx = _mm_add_pd(px, qx), sy = _mm_add_pd(py, qy);
    const __m128d len = _mm_sqrt_pd(_mm_add_pd(_mm_mul_pd(sx, sx), _mm_mul_pd(sy, sy)));
    const __m128d some = _mm_cmpgt_pd(len, zero);
    sx = _mm_or_pd(_mm_and_pd(some, _mm_div_pd(sx, len)), _mm_andnot_pd(some, sx));
    sy = _mm_or_pd(_mm_and_pd(some, _mm_div_pd(sy, len)), _mm_andnot_pd(some, sy));
    _mm_store_pd(bx, sx);
    _mm_store_pd(by, sy);
    corner(i, i - 1, d[0], bx[0], by[0]);
    corner(i + 1, i, d[1], bx[1], by[1]);
  }
#endif
  for (; i < n; ++i) scalarCorner(i, i - 1);
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
  // One growth, to the capacity the appends would reach, instead of one per
  // doubling: growing a million-point line costs more than counting its
  // sharp corners first.
  PolylineSides sides;
  MeasureSides(x, y, n, sides);
  ReserveBasePoints(line, sides.corners + 1);
  bool sharp = VisitPolylineCorners(x, y, n, sides, [&line](double px, double py, double nx, double ny) {
    AppendBasePoint(line, px, py, nx, ny);
  });
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
  PolylineSides sides;
  MeasureSides(x.data(), y.data(), n, sides);
  std::vector<double> mx, my;
  mx.reserve(static_cast<size_t>(sides.corners) + 1);
  my.reserve(static_cast<size_t>(sides.corners) + 1);
  VisitPolylineCorners(x.data(), y.data(), n, sides, [&mx, &my, offset](double px, double py, double nx, double ny) {
    mx.push_back(px + offset * nx);
    my.push_back(py + offset * ny);
  });
  RemoveSelfIntersections(mx, my);
  if (mx.size() < 3) return 0;
  BuildPolylineBaseLine(line, mx.data(), my.data(), static_cast<int64_t>(mx.size()));
  return 1;
}

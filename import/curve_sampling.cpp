#include "import/curve_sampling.h"

#include <cmath>

#include "import/import_pieces.h"

namespace {

// Segment counts are limited while still in double, so no huge or
// non-finite sweep reaches the integer conversion.
int64_t ClampSegments(double n) {
  if (!(n <= static_cast<double>(ARC_MAX_SEGMENTS))) n = static_cast<double>(ARC_MAX_SEGMENTS);
  if (!(n >= 1)) n = 1;
  return static_cast<int64_t>(n);
}

// Repeated turns are added one by one as long as that is cheap, so that
// ordinary angles round exactly as the plain loop would.
constexpr double MAX_STEPPED_TURNS = 1024;

}  // namespace

bool RaiseEndAboveStart(double start, double& end, double turn) {
  if (end > start) return true;
  double turns = std::floor((start - end) / turn) + 1;
  if (!(turns <= MAX_STEPPED_TURNS)) {
    if (!std::isfinite(turns)) return false;
    end += turns * turn;
  }
  for (int tries = 0; end <= start && tries < MAX_STEPPED_TURNS + 4; ++tries) end += turn;
  return end > start;
}

void AppendArcPoints(PointList& list, double cx, double cy, double r, double a0, double a1) {
  int64_t n = ClampSegments(std::trunc(std::fabs(a1 - a0) / ONE_DEGREE - 1e-9) + 1);
  for (int64_t k = 1; k <= n; ++k) {
    double t = a0 + (a1 - a0) * static_cast<double>(k) / static_cast<double>(n);
    AppendImportPoint(list, cx + r * std::cos(t), cy + r * std::sin(t));
  }
}

void AppendBulgeSegment(PointList& list, double x1, double y1, double x2, double y2, double bulge) {
  if (std::fabs(bulge) < 1e-9) {
    AppendImportPoint(list, x2, y2);
    return;
  }
  double theta = 4 * std::atan(bulge);
  double d = std::hypot(x2 - x1, y2 - y1);
  if (d < 1e-12) return;
  double r = d / (2 * std::sin(theta / 2));
  double h = r * std::cos(theta / 2);
  double cx = (x1 + x2) / 2 + h * (-(y2 - y1) / d);
  double cy = (y1 + y2) / 2 + h * ((x2 - x1) / d);
  double a0 = std::atan2(y1 - cy, x1 - cx);
  AppendArcPoints(list, cx, cy, std::fabs(r), a0, a0 + theta);
}

void AddBulgePolylinePiece(const PointList& vertices, const std::vector<double>& bulges, int64_t flags,
                           double extrusionZ) {
  const size_t n = vertices.size();
  if (n < 2) return;
  BeginImportPiece((flags & 1) ? 1 : 0);
  PointList& list = gImportPieces.back().points;
  AppendImportPoint(list, vertices[0].x, vertices[0].y);
  for (size_t k = 0; k + 1 < n; ++k)
    AppendBulgeSegment(list, vertices[k].x, vertices[k].y, vertices[k + 1].x, vertices[k + 1].y, bulges[k]);
  if (flags & 1) {
    AppendBulgeSegment(list, vertices[n - 1].x, vertices[n - 1].y, vertices[0].x, vertices[0].y, bulges[n - 1]);
    if (!list.empty()) list.pop_back();
  }
  ApplyExtrusionMirror(list, extrusionZ);
}

void AppendNurbsCurvePoints(int64_t p, const double* U, int64_t knotCount, const double* x, const double* y,
                            const double* w, int64_t m, PointList& list) {
  if (p < 1 || p > NURBS_MAX_DEGREE || m < p + 1 || knotCount < m + p + 1) return;
  double dx[NURBS_MAX_DEGREE + 1], dy[NURBS_MAX_DEGREE + 1], dw[NURBS_MAX_DEGREE + 1];
  for (int64_t i = p; i <= m - 1; ++i) {
    double span = U[i + 1] - U[i];
    if (!(span > 1e-12)) continue;
    for (int64_t s = 0; s <= NURBS_SEGMENTS_PER_SPAN; ++s) {
      if (s == 0 && !list.empty()) continue;
      double u = U[i] + span * static_cast<double>(s) / static_cast<double>(NURBS_SEGMENTS_PER_SPAN);
      for (int64_t j = 0; j <= p; ++j) {
        int64_t c = j + i - p;
        dx[j] = w[c] * x[c];
        dy[j] = w[c] * y[c];
        dw[j] = w[c];
      }
      for (int64_t r = 1; r <= p; ++r) {
        for (int64_t j = p; j >= r; --j) {
          double denominator = U[j + i - r + 1] - U[j + i - p];
          double alpha = denominator > 0 ? (u - U[j + i - p]) / denominator : 0;
          dx[j] = (1 - alpha) * dx[j - 1] + alpha * dx[j];
          dy[j] = (1 - alpha) * dy[j - 1] + alpha * dy[j];
          dw[j] = (1 - alpha) * dw[j - 1] + alpha * dw[j];
        }
      }
      if (dw[p] != 0) AppendImportPoint(list, dx[p] / dw[p], dy[p] / dw[p]);
    }
  }
}

void ApplyExtrusionMirror(PointList& list, double extrusionZ) {
  if (!(extrusionZ < 0)) return;
  for (OutlinePoint& p : list) p.x = -p.x;
}

void AddEllipsePiece(double cx, double cy, double ax, double ay, double q, double s, double e, double extrusionZ) {
  double a = std::sqrt(ax * ax + ay * ay);
  if (!(a > 0)) return;
  if (!RaiseEndAboveStart(s, e, 2 * M_PI)) return;
  double rho = std::atan2(ay, ax);
  // Past one turn the ellipse only runs over itself, and a ring wound many
  // times makes the later simplification quadratic.
  const double sweep = MinF(e - s, ONE_TURN);
  int64_t n = ClampSegments(std::trunc(sweep / ONE_DEGREE) + 1);
  const bool closed = sweep >= 6.283185306179586;
  BeginImportPiece(closed ? 1 : 0);
  PointList& list = gImportPieces.back().points;
  // The minor axis is the extrusion direction crossed with the major axis.
  const double minorSign = extrusionZ < 0 ? -1 : 1;
  const double cr = std::cos(rho), sr = std::sin(rho);
  const int64_t last = closed ? n - 1 : n;
  for (int64_t k = 0; k <= last; ++k) {
    double t = s + sweep * static_cast<double>(k) / static_cast<double>(n);
    double u = a * std::cos(t);
    double v = minorSign * (a * q * std::sin(t));
    AppendImportPoint(list, cx + u * cr - v * sr, cy + u * sr + v * cr);
  }
}

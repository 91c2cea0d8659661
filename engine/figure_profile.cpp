#include "engine/figure_profile.h"

#include <cmath>
#include <numbers>

namespace {

constexpr double PI = std::numbers::pi;
constexpr double CORNER_MATCH_TOL = 1e-9;
constexpr double MIN_EDGE_LENGTH = 1e-12;
constexpr double STRAIGHT_ANGLE = PI - 1e-4;
// Below this the two edges of a corner fold back onto each other (touching
// figures with gap 0); rounding noise in the cosine stays far under it.
constexpr double FOLDED_ANGLE = 1e-6;

void AppendHalfCircle(PointList& profile, int64_t dir, double pitch, double w, double g) {
  double r = w / 2;
  for (int64_t j = 0; j < HALF_CIRCLE_POINTS; ++j) {
    double a = (1.0 - static_cast<double>(j) / static_cast<double>(HALF_CIRCLE_POINTS - 1)) * PI;
    AddListPoint(profile, pitch / 2 + r * std::cos(a), static_cast<double>(dir) * r * std::sin(a));
  }
  // The last point is the next figure's first when there is no gap.
  if (g < 1e-9) profile.pop_back();
}

void AppendSine(PointList& profile, int64_t dir, double pitch, double d) {
  for (int64_t j = 0; j < SINE_POINTS; ++j) {
    double k = static_cast<double>(j);
    double n = static_cast<double>(SINE_POINTS);
    AddListPoint(profile, pitch * k / n, static_cast<double>(dir) * d * (1.0 - std::cos(2.0 * PI * k / n)) / 2.0);
  }
}

// Appends the fillet arc of one corner P between neighbours prev and next.
void AppendFilletedCorner(PointList& profile, const OutlinePoint& p, double prevU, double prevV, double nextU,
                          double nextV, double fillet, double& filletUsed) {
  double ax = prevU - p.x, ay = prevV - p.y;
  double bx = nextU - p.x, by = nextV - p.y;
  double la = std::sqrt(ax * ax + ay * ay);
  double lb = std::sqrt(bx * bx + by * by);
  if (!(fillet > 0) || la < MIN_EDGE_LENGTH || lb < MIN_EDGE_LENGTH) {
    AddListPoint(profile, p.x, p.y);
    return;
  }
  ax /= la;
  ay /= la;
  bx /= lb;
  by /= lb;
  double c = ax * bx + ay * by;
  if (c < -1) c = -1;
  if (c > 1) c = 1;
  double theta = std::acos(c);
  if (theta > STRAIGHT_ANGLE) {
    AddListPoint(profile, p.x, p.y);
    return;
  }
  if (theta < FOLDED_ANGLE) {
    // No radius fits; the corner is left out and the neighbouring arcs meet.
    if (0 < filletUsed) filletUsed = 0;
    return;
  }
  double half = theta / 2;
  double limit = MinF(la, lb) / 2;
  double r = fillet;
  double t = r / std::tan(half);
  if (t > limit) {
    t = limit;
    r = t * std::tan(half);
  }
  if (r < filletUsed) filletUsed = r;
  double t1x = p.x + ax * t, t1y = p.y + ay * t;
  double t2x = p.x + bx * t, t2y = p.y + by * t;
  double sx = ax + bx, sy = ay + by;
  double ls = std::sqrt(sx * sx + sy * sy);
  double centreDist = r / std::sin(half);
  double mx = p.x + sx / ls * centreDist, my = p.y + sy / ls * centreDist;
  double alpha1 = std::atan2(t1y - my, t1x - mx);
  double alpha2 = std::atan2(t2y - my, t2x - mx);
  double sweep = alpha2 - alpha1;
  if (!std::isfinite(sweep) || !std::isfinite(r) || !std::isfinite(mx) || !std::isfinite(my)) {
    // Non-finite sizes: keep the corner rather than build an arc of NaNs.
    AddListPoint(profile, p.x, p.y);
    return;
  }
  while (sweep > PI) sweep -= 2 * PI;
  while (sweep <= -PI) sweep += 2 * PI;
  int64_t segments = static_cast<int64_t>(std::fabs(sweep) / (FILLET_STEP_DEG * PI / 180.0)) + 2;
  for (int64_t k = 0; k <= segments; ++k) {
    double alpha = alpha1 + sweep * static_cast<double>(k) / static_cast<double>(segments);
    AddListPoint(profile, mx + r * std::cos(alpha), my + r * std::sin(alpha));
  }
}

// Appends the corners with every corner replaced by a fillet arc; the corner
// list is periodic with the given pitch.
void RoundProfileCorners(const PointList& corners, double pitch, double fillet, PointList& profile,
                         double& filletUsed) {
  size_t n = corners.size();
  for (size_t i = 0; i < n; ++i) {
    const OutlinePoint& prev = i == 0 ? corners[n - 1] : corners[i - 1];
    const OutlinePoint& next = i + 1 == n ? corners[0] : corners[i + 1];
    double prevU = i == 0 ? prev.x - pitch : prev.x;
    double nextU = i + 1 == n ? next.x + pitch : next.x;
    AppendFilletedCorner(profile, corners[i], prevU, prev.y, nextU, next.y, fillet, filletUsed);
  }
}

}  // namespace

void BuildFigureProfile(int64_t kind, int64_t dir, double pitch, double w, double g, double d, double top,
                        double fillet, PointList& profile, double& filletUsed) {
  double g2 = g / 2;
  double e = g2 + w;
  double v = static_cast<double>(dir) * d;
  PointList corners;
  switch (kind) {
    case FIGURE_RECTANGLE:
    case FIGURE_SQUARE:
      AddListPoint(corners, g2, 0);
      AddListPoint(corners, g2, v);
      AddListPoint(corners, e, v);
      AddListPoint(corners, e, 0);
      break;
    case FIGURE_TRIANGLE:
      AddListPoint(corners, g2, 0);
      AddListPoint(corners, pitch / 2, v);
      AddListPoint(corners, e, 0);
      break;
    case FIGURE_TRAPEZOID:
      AddListPoint(corners, g2, 0);
      if (top > 1e-9) {
        AddListPoint(corners, pitch / 2 - top / 2, v);
        AddListPoint(corners, pitch / 2 + top / 2, v);
      } else {
        AddListPoint(corners, pitch / 2, v);
      }
      AddListPoint(corners, e, 0);
      break;
    case FIGURE_HALF_CIRCLE:
      AppendHalfCircle(profile, dir, pitch, w, g);
      return;
    case FIGURE_SINE:
      AppendSine(profile, dir, pitch, d);
      return;
    default:
      return;
  }
  // With no gap the last corner is the next figure's first.
  const OutlinePoint& first = corners.front();
  const OutlinePoint& last = corners.back();
  if (corners.size() > 2 && std::fabs(last.x - (first.x + pitch)) < CORNER_MATCH_TOL &&
      std::fabs(last.y - first.y) < CORNER_MATCH_TOL)
    corners.pop_back();
  RoundProfileCorners(corners, pitch, fillet, profile, filletUsed);
}

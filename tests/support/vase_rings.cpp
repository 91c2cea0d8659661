#include "tests/support/vase_rings.h"

#include <cmath>
#include <vector>

namespace {

PointList Subdivide(const std::vector<OutlinePoint>& corners, int perSide) {
  PointList ring;
  size_t n = corners.size();
  for (size_t k = 0; k < n; ++k) {
    const OutlinePoint& a = corners[k];
    const OutlinePoint& b = corners[(k + 1) % n];
    for (int s = 0; s < perSide; ++s) {
      double t = static_cast<double>(s) / perSide;
      ring.push_back({a.x + t * (b.x - a.x), a.y + t * (b.y - a.y)});
    }
  }
  return ring;
}

}  // namespace

PointList CircleRing(int64_t n, double r, double cx) {
  PointList ring;
  for (int64_t k = 0; k < n; ++k) {
    double a = M_PI / 2 + 2 * M_PI * static_cast<double>(k) / static_cast<double>(n);
    ring.push_back({cx + r * std::cos(a), r * std::sin(a)});
  }
  return ring;
}

PointList GearRing(int teeth, double outer, double depth, int perSide, double cx) {
  std::vector<OutlinePoint> corners;
  int count = 4 * teeth;
  for (int k = 0; k < count; ++k) {
    double a = M_PI / 2 + 2 * M_PI * k / count;
    double r = (k / 2) % 2 == 0 ? outer : outer - depth;
    corners.push_back({cx + r * std::cos(a), r * std::sin(a)});
  }
  return Subdivide(corners, perSide);
}

PointList NotchedRing(int notches, double radius, double depth, double share, int perSide) {
  std::vector<OutlinePoint> corners;
  double pitch = 2 * M_PI / notches;
  for (int k = 0; k < notches; ++k) {
    double a0 = M_PI / 2 + pitch * k;
    double a1 = a0 + pitch * (1 - share);
    double a2 = a0 + pitch;
    corners.push_back({radius * std::cos(a0), radius * std::sin(a0)});
    // Straight notch walls, parallel to the notch's centre line; the notch
    // ends where the next pitch starts.
    double mid = (a1 + a2) / 2;
    double half = radius * std::sin((a2 - a1) / 2);
    double ux = std::cos(mid), uy = std::sin(mid), vx = -uy, vy = ux;
    double along = radius * std::cos((a2 - a1) / 2);
    corners.push_back({along * ux - half * vx, along * uy - half * vy});
    corners.push_back({(along - depth) * ux - half * vx, (along - depth) * uy - half * vy});
    corners.push_back({(along - depth) * ux + half * vx, (along - depth) * uy + half * vy});
  }
  return Subdivide(corners, perSide);
}

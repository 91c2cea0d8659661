#include "engine/base_line.h"

#include <cmath>

BaseLine::BaseLine() : x(1), y(1), nx(1), ny(1), s(1) {}

void AppendBasePoint(BaseLine& line, double x, double y, double nx, double ny) {
  if (line.count >= static_cast<int64_t>(line.x.size())) {
    // All five arrays grow together so that index i always belongs to point i.
    size_t capacity = static_cast<size_t>(2 * line.count + BASELINE_GROWTH_EXTRA);
    line.x.resize(capacity);
    line.y.resize(capacity);
    line.nx.resize(capacity);
    line.ny.resize(capacity);
    line.s.resize(capacity);
  }
  size_t i = static_cast<size_t>(line.count);
  line.x[i] = x;
  line.y[i] = y;
  line.nx[i] = nx;
  line.ny[i] = ny;
  line.count++;
}

void ComputeArcLengths(BaseLine& line) {
  if (line.count < 1) {
    line.length = 0;
    return;
  }
  line.s[0] = 0;
  for (int64_t i = 1; i < line.count; i++) {
    double dx = line.x[i] - line.x[i - 1];
    double dy = line.y[i] - line.y[i - 1];
    line.s[i] = line.s[i - 1] + std::sqrt(dx * dx + dy * dy);
  }
  line.length = line.s[line.count - 1];
}

void SampleBaseLine(const BaseLine& line, double s, OutlinePoint& point, double& normalX, double& normalY) {
  if (line.count < 1) {
    point = OutlinePoint{0, 0};
    normalX = 0;
    normalY = 0;
    return;
  }
  double wrapped = s;
  if (line.length > 0) {
    wrapped = std::fmod(s, line.length);
    if (wrapped < 0) wrapped += line.length;
  }
  int64_t lo = 0;
  int64_t hi = line.count - 1;
  // "<=" settles on the second copy of a sharp corner, so the outgoing
  // side's normal is used exactly at the corner.
  while (hi - lo > 1) {
    int64_t mid = (lo + hi) / 2;
    if (line.s[mid] <= wrapped) {
      lo = mid;
    } else {
      hi = mid;
    }
  }
  double d = line.s[hi] - line.s[lo];
  double t = d > 0 ? (wrapped - line.s[lo]) / d : 0.0;
  point.x = line.x[lo] + t * (line.x[hi] - line.x[lo]);
  point.y = line.y[lo] + t * (line.y[hi] - line.y[lo]);
  double nx = line.nx[lo] + t * (line.nx[hi] - line.nx[lo]);
  double ny = line.ny[lo] + t * (line.ny[hi] - line.ny[lo]);
  double len = std::sqrt(nx * nx + ny * ny);
  if (len > 0) {
    nx /= len;
    ny /= len;
  }
  normalX = nx;
  normalY = ny;
}

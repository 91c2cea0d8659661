#include "engine/segment_frame.h"

#include <algorithm>
#include <cmath>

namespace {

// Far above the rounding of a projection (a few units in the last place).
constexpr double MARGIN = 1e-12;

bool Empty(const SegmentFrame& f) { return !(f.u0 <= f.u1); }

// The corners of a frame that is not empty.
void Corners(const SegmentFrame& f, double cx[4], double cy[4]) {
  int c = 0;
  for (double u : {f.u0, f.u1})
    for (double v : {f.v0, f.v1}) {
      cx[c] = u * f.ux - v * f.uy;
      cy[c] = u * f.uy + v * f.ux;
      ++c;
    }
}

// Whether [lo, hi] lies apart from [f0, f1] by more than the margin.
bool Apart(double lo, double hi, double f0, double f1, double margin) { return hi < f0 - margin || lo > f1 + margin; }

// Whether the four corners lie on one side of the line through a and b,
// each further from it than `margin` (in coordinates).
bool CornersBeside(const double cx[4], const double cy[4], double ax, double ay, double bx, double by,
                   double margin) {
  const double dx = bx - ax, dy = by - ay, sideMargin = margin * (std::fabs(dx) + std::fabs(dy));
  int above = 0, below = 0;
  for (int c = 0; c < 4; ++c) {
    const double side = dx * (cy[c] - ay) - dy * (cx[c] - ax);
    above += side > sideMargin;
    below += side < -sideMargin;
  }
  return above == 4 || below == 4;
}

}  // namespace

void AddDirection(SegmentFrame& f, double dx, double dy) {
  f.c2 += dx * dx - dy * dy;
  f.s2 += 2 * dx * dy;
}

void SetFrameAxis(SegmentFrame& f) {
  const double len = std::hypot(f.c2, f.s2);
  if (!(len > 0) || !std::isfinite(len)) {
    f.ux = 1;
    f.uy = 0;
    return;
  }
  const double cos2 = f.c2 / len;
  f.ux = std::sqrt(std::max(0.0, (1 + cos2) / 2));
  f.uy = std::sqrt(std::max(0.0, (1 - cos2) / 2));
  if (f.s2 < 0) f.uy = -f.uy;
}

void AddFramePoint(SegmentFrame& f, double x, double y) {
  const double u = x * f.ux + y * f.uy, v = y * f.ux - x * f.uy;
  f.u0 = std::min(f.u0, u);
  f.u1 = std::max(f.u1, u);
  f.v0 = std::min(f.v0, v);
  f.v1 = std::max(f.v1, v);
}

SegmentFrame JoinFrames(const SegmentFrame& a, const SegmentFrame& b) {
  SegmentFrame f;
  f.c2 = a.c2 + b.c2;
  f.s2 = a.s2 + b.s2;
  SetFrameAxis(f);
  for (const SegmentFrame* part : {&a, &b}) {
    if (Empty(*part)) continue;
    double cx[4], cy[4];
    Corners(*part, cx, cy);
    for (int c = 0; c < 4; ++c) AddFramePoint(f, cx[c], cy[c]);
  }
  return f;
}

bool SegmentMissesFrame(const SegmentFrame& f, double ax, double ay, double bx, double by) {
  if (Empty(f)) return true;
  // Projections and corners are rounded against the size of the
  // coordinates, whatever their own size.
  const double scale = std::fabs(ax) + std::fabs(ay) + std::fabs(bx) + std::fabs(by) + std::fabs(f.u0) +
                       std::fabs(f.u1) + std::fabs(f.v0) + std::fabs(f.v1);
  const double margin = MARGIN * scale;
  const double ua = ax * f.ux + ay * f.uy, ub = bx * f.ux + by * f.uy;
  if (Apart(std::min(ua, ub), std::max(ua, ub), f.u0, f.u1, margin)) return true;
  const double va = ay * f.ux - ax * f.uy, vb = by * f.ux - bx * f.uy;
  if (Apart(std::min(va, vb), std::max(va, vb), f.v0, f.v1, margin)) return true;
  double cx[4], cy[4];
  Corners(f, cx, cy);
  return CornersBeside(cx, cy, ax, ay, bx, by, margin);
}

bool LineMissesBox(double x0, double x1, double y0, double y1, double ax, double ay, double bx, double by) {
  const double cx[4] = {x0, x0, x1, x1}, cy[4] = {y0, y1, y0, y1};
  const double scale = std::fabs(ax) + std::fabs(ay) + std::fabs(bx) + std::fabs(by) + std::fabs(x0) +
                       std::fabs(x1) + std::fabs(y0) + std::fabs(y1);
  return CornersBeside(cx, cy, ax, ay, bx, by, MARGIN * scale);
}

#include "vase/vase_slices.h"

#include <cmath>

double SliceAngle(const VaseParams& vase, double t) { return vase.twist * t * (M_PI / 180.0); }

SliceFactor SliceFactorAt(const VaseParams& vase, double t) {
  double s = VaseScaleAt(vase, t), a = SliceAngle(vase, t);
  return {s * std::cos(a), s * std::sin(a)};
}

void TransformSlicePoint(const VaseParams& vase, double t, double x, double y, OutlinePoint& out) {
  double s = VaseScaleAt(vase, t);
  double a = SliceAngle(vase, t);
  double c = std::cos(a);
  double sn = std::sin(a);
  out.x = s * (x * c - y * sn);
  out.y = s * (x * sn + y * c);
}

double OuterSliceZ(const VaseParams& vase, int64_t i, int64_t steps) {
  return vase.height * static_cast<double>(i) / static_cast<double>(steps);
}

double InnerSliceZ(const VaseParams& vase, int64_t i, int64_t steps) {
  double b = vase.bottomThickness;
  return b + (vase.height - b) * static_cast<double>(i) / static_cast<double>(steps);
}

double BandTurn(const VaseParams& vase, double t0, double t1) {
  // The turn of the slice meshes, not of the twist: whole turns vanish.
  const SliceFactor a = SliceFactorAt(vase, t0), b = SliceFactorAt(vase, t1);
  return std::atan2(a.re * b.im - a.im * b.re, a.re * b.re + a.im * b.im);
}

#include "vase/vase_params.h"

#include <cmath>

#include "text/texts.h"

VaseParams gVase;
std::string gLastError;

int64_t ClampVaseSteps(int64_t steps) {
  if (steps < 1) return 1;
  if (steps > MAX_VASE_STEPS) return MAX_VASE_STEPS;
  return steps;
}

void SetVaseDepths(VaseParams& vase, const DesignParams& params, const DesignResult& result) {
  vase.patternDepth = 0;
  vase.inwardDepth = 0;
  if (result.valid && params.figureKind != FIGURE_NONE) {
    vase.patternDepth = result.depth;
    if (params.direction < 0) vase.inwardDepth = result.depth;
  }
}

double VaseScaleAt(const VaseParams& vase, double t) {
  return (1 + (vase.topScale - 1) * t) * (1 + vase.bulge * std::sin(M_PI * t));
}

double MinVaseScale(const VaseParams& vase) {
  double smallest = 1e30;
  for (int64_t i = 0; i <= VASE_SCALE_SAMPLES; ++i) {
    double s = VaseScaleAt(vase, static_cast<double>(i) / VASE_SCALE_SAMPLES);
    if (s < smallest) smallest = s;
  }
  return smallest;
}

namespace {

int64_t Fail(TextKey key) {
  gLastError = Tx(key);
  return 0;
}

}  // namespace

// The tests are written negated so that NaN fails them; infinities are
// refused explicitly since they would pass a plain comparison.
int64_t ValidateVaseParams(const PointList& outline, const VaseParams& vase) {
  gLastError.clear();
  if (outline.size() < 3) return Fail(TX_VASE_NO_OUTLINE);
  if (!(vase.height > 0) || !std::isfinite(vase.height)) return Fail(TX_VASE_HEIGHT);
  if (!std::isfinite(vase.twist) || !std::isfinite(vase.topScale) || !std::isfinite(vase.bulge))
    return Fail(TX_VASE_SCALE);
  double largest = 0;
  for (int64_t i = 0; i <= VASE_SCALE_SAMPLES; ++i) {
    double s = VaseScaleAt(vase, static_cast<double>(i) / VASE_SCALE_SAMPLES);
    if (!(s >= MIN_VASE_SCALE)) return Fail(TX_VASE_SCALE);
    largest = MaxF(largest, s);
  }
  // A finite but absurd scale would still write infinities into the files.
  double reach = 0;
  for (const OutlinePoint& p : outline) reach = MaxF(reach, MaxF(std::fabs(p.x), std::fabs(p.y)));
  if (!(reach * largest <= MAX_VASE_EXTENT)) return Fail(TX_VASE_SCALE);
  if (vase.hollow != 0) {
    if (!(vase.wallThickness > 0) || !std::isfinite(vase.wallThickness)) return Fail(TX_VASE_WALL);
    if (!(vase.bottomThickness > 0) || !(vase.bottomThickness < vase.height)) return Fail(TX_VASE_BOTTOM);
  }
  return ClampVaseSteps(vase.steps);
}

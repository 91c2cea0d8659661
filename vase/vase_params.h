// The vase's parameter record, the scale law over the height and the checks
// that the vase exports run before they write anything.
#pragma once

#include <cstdint>
#include <string>

#include "engine/design.h"

enum VaseType : int64_t { VASE_SOLID = 0, VASE_HOLLOW = 1 };
enum InnerWallMode : int64_t {
  INNER_WALL_AUTOMATIC = 0,
  INNER_WALL_FOLLOW_PATTERN = 1,
  INNER_WALL_SMOOTH = 2
};

constexpr double MIN_VASE_SCALE = 0.01;
constexpr int64_t MAX_VASE_STEPS = 400;
constexpr int64_t VASE_SCALE_SAMPLES = 200;
// Far beyond any real vase, far inside the 32-bit floats of an STL file.
constexpr double MAX_VASE_EXTENT = 1e30;

// Defaults are those of the form; the form is the master copy.
struct VaseParams {
  double height = 120;
  double twist = 0;          // degrees, counter-clockwise seen from above
  double topScale = 1;       // fraction
  double bulge = 0;          // fraction, extra width at half height
  int64_t steps = 60;        // slices minus one, not clamped
  int64_t hollow = VASE_SOLID;
  double wallThickness = 1.6;
  double bottomThickness = 2;
  int64_t innerWallMode = INNER_WALL_AUTOMATIC;
  double patternDepth = 0;   // derived from the design result, never stored
  double inwardDepth = 0;

  bool operator==(const VaseParams&) const = default;
};

extern VaseParams gVase;
// Reason of the last failed vase validation, wall check or vase write.
extern std::string gLastError;

// Steps clamped to 1..MAX_VASE_STEPS.
int64_t ClampVaseSteps(int64_t steps);
// patternDepth and inwardDepth from the design as it stands.
void SetVaseDepths(VaseParams& vase, const DesignParams& params, const DesignResult& result);

double VaseScaleAt(const VaseParams& vase, double t);
double MinVaseScale(const VaseParams& vase);

// Steps to build (1..400), or 0 with the reason in gLastError.
int64_t ValidateVaseParams(const PointList& outline, const VaseParams& vase);
// Builds the inner wall ring of a hollow vase; 0 with gLastError on failure.
int64_t CheckWallThickness(const PointList& outline, const PointList& baseLine, const VaseParams& vase,
                           PointList& innerRing);

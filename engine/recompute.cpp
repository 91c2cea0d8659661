#include "engine/recompute.h"

#include <cmath>
#include <string>

#include "engine/base_line.h"
#include "engine/figure_profile.h"
#include "engine/loop_cut/loop_cut.h"
#include "engine/pattern_layout.h"
#include "text/texts.h"

namespace {

constexpr int64_t MAX_FIT_ROUNDS = 30;
constexpr double FIT_TOLERANCE = 1e-9;
constexpr int64_t MAX_COUNT = 100000;
constexpr double GAP_FLOOR = 1e-12;
constexpr double FILLET_REPORT_TOLERANCE = 1e-6;
// Dividing by width keeps the count's quotient in double and clamps it here
// before converting; any count this large fails the point budget anyway.
constexpr double MAX_FITTED_COUNT = 1e15;

bool DerivesDepth(int64_t kind) { return kind == FIGURE_SQUARE || kind == FIGURE_HALF_CIRCLE; }

bool NeedsDepth(int64_t kind) {
  return kind == FIGURE_RECTANGLE || kind == FIGURE_TRIANGLE || kind == FIGURE_TRAPEZOID || kind == FIGURE_SINE;
}

void ResetResult(DesignResult& result) {
  result.valid = 0;
  result.message.clear();
  result.count = 0;
  result.pitch = result.figureWidth = result.gap = result.depth = result.topWidth = result.fillet = 0;
  result.loopsRemoved = 0;
  result.warnings.clear();
  result.baseLinePoints.clear();
  result.outlinePoints.clear();
}

// The first failing input test, or nullptr when the input may be fitted.
const char* ValidateParams(const DesignParams& params, int64_t kind) {
  if (!IsUsableSize(params.width) || (params.shapeKind != SHAPE_CIRCLE && !IsUsableSize(params.height)))
    return Tx(TX_ERR_SIZE_NOT_POSITIVE);
  if (params.shapeKind == SHAPE_IMPORTED &&
      (params.importPoints.size() < 3 || params.importWidth <= 0 || params.importHeight <= 0))
    return Tx(TX_ERR_NO_IMPORT);
  if (kind == FIGURE_NONE) return nullptr;
  if (params.divideByWidth == 0) {
    if (params.count < 1 || params.count > MAX_COUNT) return Tx(TX_ERR_COUNT_RANGE);
  } else if (params.figureWidth <= 0) {
    return Tx(TX_ERR_FIGURE_WIDTH_NOT_POSITIVE);
  }
  // A negative figure width also matters when dividing by count: it turns
  // the width-to-gap ratio negative.
  // A fillet that is not a number would become the result's fillet.
  if (params.gap < 0 || !(params.fillet >= 0) || params.topWidth < 0 || params.figureWidth < 0)
    return Tx(TX_ERR_NEGATIVE_SIZES);
  if (NeedsDepth(kind) && params.depth <= 0) return Tx(TX_ERR_DEPTH_NOT_POSITIVE);
  return nullptr;
}

// Offset of the base line from the given size for a pattern depth d: the
// outermost points lie on an outer size, the innermost on an inner size.
double BaseLineOffset(const DesignParams& params, int64_t dir, double d) {
  if (params.sizeIsInner == SIZE_INNER) return dir < 0 ? d : 0.0;
  return dir > 0 ? -d : 0.0;
}

enum class Placement { OK, DEPTH_TOO_LARGE, IMPORT_TOO_SMALL, NO_OUTLINE };

// Builds the base line of the shape at the given offset and size.
Placement BuildShapeBaseLine(const DesignParams& params, BaseLine& base, double offset, double bw, double bh) {
  if (params.shapeKind == SHAPE_RECTANGLE) {
    double r = params.cornerRadius;
    if (r > 0) r = MaxF(0, r + offset);  // the radius follows the offset
    BuildRoundedRectBaseLine(base, bw, bh, r);
  } else if (params.shapeKind == SHAPE_IMPORTED) {
    if (!BuildImportedBaseLine(base, params.importPoints, params.width / params.importWidth,
                               params.height / params.importHeight, offset))
      return Placement::IMPORT_TOO_SMALL;
  } else {
    BuildEllipseBaseLine(base, bw / 2, bh / 2);
  }
  // Sizes beyond what a base line can be built from (NaN, infinite,
  // absurdly large or small) leave it empty or without a finite length.
  if (base.count < 2 || !(base.length > 0) || !std::isfinite(base.length)) return Placement::NO_OUTLINE;
  return Placement::OK;
}

// The offset the base line was last built for, and how that went.
struct LastPlacement {
  bool built = false;
  double offset = 0;
  Placement outcome = Placement::NO_OUTLINE;
};

// Places the base line for an offset. Every builder is a pure function of
// the offset, so a line built for an equal offset in an earlier fit round
// is kept instead of being built again.
Placement PlaceBaseLine(const DesignParams& params, BaseLine& base, double offset, LastPlacement& last) {
  double bw = params.width + 2 * offset;
  double bh = params.shapeKind == SHAPE_CIRCLE ? bw : params.height + 2 * offset;
  if (bw <= 0 || bh <= 0) return Placement::DEPTH_TOO_LARGE;
  if (last.built && offset == last.offset) return last.outcome;
  last.built = true;
  last.offset = offset;
  last.outcome = BuildShapeBaseLine(params, base, offset, bw, bh);
  return last.outcome;
}

const char* PlacementError(Placement placement) {
  switch (placement) {
    case Placement::DEPTH_TOO_LARGE:
      return Tx(TX_ERR_DEPTH_TOO_LARGE);
    case Placement::IMPORT_TOO_SMALL:
      return Tx(TX_ERR_IMPORT_TOO_SMALL_AFTER_OFFSET);
    case Placement::NO_OUTLINE:
      return Tx(TX_ERR_NO_VALID_OUTLINE);
    case Placement::OK:
      break;
  }
  return nullptr;
}

// One round of the fit on a base line of length L: count, pitch, sizes.
void FitRound(const DesignParams& params, int64_t kind, double L, FittedPattern& fit) {
  double fw = params.figureWidth;
  if (params.divideByWidth == 0) {
    fit.count = params.count;
    double ratio = fw + params.gap > 0 ? fw / (fw + params.gap) : 0.5;
    if (kind == FIGURE_SINE) ratio = 1;
    fit.pitch = L / static_cast<double>(fit.count);
    fit.width = fit.pitch * ratio;
    fit.gap = fit.pitch - fit.width;
    fit.top = fw > 0 ? params.topWidth * fit.width / fw : 0;
  } else {
    double p0 = kind == FIGURE_SINE ? fw : fw + params.gap;
    // Rounded half away from zero, in double: a tiny width must not
    // overflow the count when it is converted.
    double n = std::trunc(L / p0 + 0.5);
    if (!(n >= 1)) n = 1;
    bool clamped = n > MAX_FITTED_COUNT;
    if (clamped) n = MAX_FITTED_COUNT;
    fit.count = static_cast<int64_t>(n);
    fit.pitch = L / n;
    if (clamped) {
      // n x p0 may have sunk to a denormal: scale through fw / p0 <= 1.
      fit.width = fit.pitch * (fw / p0);
      fit.top = fit.pitch * (params.topWidth / p0);
    } else {
      double k = L / (n * p0);
      fit.width = fw * k;
      fit.top = params.topWidth * k;
    }
    fit.gap = fit.pitch - fit.width;
    if (kind == FIGURE_SINE) {
      fit.width = fit.pitch;
      fit.gap = 0;
    }
  }
  if (fit.gap < GAP_FLOOR) fit.gap = 0;
  if (kind == FIGURE_SQUARE) {
    fit.depth = fit.width;
  } else if (kind == FIGURE_HALF_CIRCLE) {
    fit.depth = fit.width / 2;
  } else {
    fit.depth = params.depth;
  }
}

void CopyBaseLinePoints(const BaseLine& base, PointList& points) {
  points.clear();
  points.reserve(static_cast<size_t>(base.count - 1));
  for (int64_t i = 0; i + 1 < base.count; i++) AddListPoint(points, base.x[i], base.y[i]);
}

}  // namespace

void RecomputeOutline(const DesignParams& params, DesignResult& result) {
  ResetResult(result);
  FittedPattern fit;
  fit.kind = params.figureKind;
  fit.dir = params.direction < 0 ? DIRECTION_INWARD : DIRECTION_OUTWARD;
  fit.smallest = params.smallestSize > 0 ? params.smallestSize : DEFAULT_SMALLEST_SIZE;
  int64_t kind = fit.kind;

  if (const char* error = ValidateParams(params, kind)) {
    SetResultError(result, error);
    return;
  }

  // Square and half circle derive their depth from the fitted width; the
  // depth field only holds the last fit's value. It is a warm start for the
  // first round when it is usable, so that the fit settles in as few rounds
  // as before, but a stale value that does not fit the size must not stop
  // a design that fits: the first round then starts from depth 0.
  double d = params.depth;
  bool warmStart = false;
  if (DerivesDepth(kind)) {
    warmStart = std::isfinite(d) && d > 0;
    if (!warmStart) d = 0;
  }

  BaseLine base;
  LastPlacement last;
  double prevDepth = -1.0;
  int64_t prevCount = -1;
  bool settled = false;
  for (int64_t round = 1; round <= MAX_FIT_ROUNDS; round++) {
    if (kind == FIGURE_NONE) d = 0;
    Placement placed = PlaceBaseLine(params, base, BaseLineOffset(params, fit.dir, d), last);
    if (placed != Placement::OK && round == 1 && warmStart) {
      d = 0;
      placed = PlaceBaseLine(params, base, BaseLineOffset(params, fit.dir, d), last);
    }
    if (placed != Placement::OK) {
      SetResultError(result, PlacementError(placed));
      return;
    }
    if (kind == FIGURE_NONE) {
      settled = true;
      break;
    }
    FitRound(params, kind, base.length, fit);
    d = fit.depth;
    if (std::fabs(d - prevDepth) < FIT_TOLERANCE && fit.count == prevCount) {
      settled = true;
      break;
    }
    prevDepth = d;
    prevCount = fit.count;
  }
  if (!settled) AddResultWarning(result, Tx(TX_WARN_FIT_NOT_EXACT));

  result.baseLength = base.length;
  CopyBaseLinePoints(base, result.baseLinePoints);

  if (kind == FIGURE_NONE) {
    result.outlinePoints = result.baseLinePoints;
    FinishOutline(result, LaidOutBox(result.outlinePoints));
    return;
  }

  result.count = fit.count;
  result.pitch = fit.pitch;
  result.figureWidth = fit.width;
  result.gap = fit.gap;
  result.depth = fit.depth;
  result.topWidth = fit.top;
  if (kind == FIGURE_TRAPEZOID && fit.top >= fit.width) {
    fit.top = fit.width;
    result.topWidth = fit.width;
    AddResultWarning(result, Tx(TX_WARN_TOP_WIDTH_LIMITED));
  }

  bool filleted = FigureTakesFillet(kind);
  double filletUsed = filleted ? params.fillet : 0.0;
  PointList profile;
  BuildFigureProfile(kind, fit.dir, fit.pitch, fit.width, fit.gap, fit.depth, fit.top, filletUsed, profile,
                     filletUsed);
  result.fillet = filletUsed;
  if (params.fillet > 0 && filletUsed < params.fillet - FILLET_REPORT_TOLERANCE && filleted) {
    AddResultWarning(result, std::string(Tx(TX_WARN_FILLET_REDUCED)) + FormatMm(3, filletUsed) +
                                 Tx(TX_WARN_FILLET_REDUCED_END));
  }

  LayOutPattern(params, base, fit, profile, result);
}

#include "engine/pattern_layout.h"

#include <cmath>
#include <string>

#include "engine/loop_cut/loop_cut.h"
#include "engine/outline_box.h"
#include "engine/sound_ring.h"
#include "text/texts.h"

namespace {

bool IsFinitePoint(const OutlinePoint& p) { return std::isfinite(p.x) && std::isfinite(p.y); }

std::string Mm(double x) { return FormatMm(2, x); }

// "<label> <size> mm is smaller than <smallest> mm."
std::string SmallerThan(TextKey label, double size, double smallest) {
  return std::string(Tx(label)) + Mm(size) + Tx(TX_WARN_SMALLER_THAN) + Mm(smallest) + Tx(TX_WARN_SMALLER_END);
}

void AddLayOutWarnings(const BaseLine& base, const FittedPattern& fit, DesignResult& result) {
  double d = fit.depth;
  double c = base.maxCurvature;
  double smallest = fit.smallest;
  if (base.hasSharpCorner) AddResultWarning(result, Tx(TX_WARN_SHARP_CORNER));
  // Inward figures narrow towards the inside of the tightest bend.
  double f = 1;
  if (fit.dir < 0 && c > 0) {
    f = 1 - d * c;
    if (f <= 0) {
      f = 0;
      AddResultWarning(result, std::string(Tx(TX_WARN_BEND_DEPTH)) + Mm(d) + Tx(TX_WARN_BEND_RADIUS) + Mm(1 / c) +
                                   Tx(TX_WARN_BEND_END));
    }
  }
  if (f > 0 && fit.width * f < smallest)
    AddResultWarning(result, SmallerThan(TX_WARN_FIGURE_WIDTH_SMALL, fit.width * f, smallest));
  if (fit.gap > 0 && f > 0 && fit.gap * f < smallest)
    AddResultWarning(result, SmallerThan(TX_WARN_GAP_SMALL, fit.gap * f, smallest));
  if (fit.kind == FIGURE_TRAPEZOID && fit.top > 0 && f > 0 && fit.top * f < smallest)
    AddResultWarning(result, SmallerThan(TX_WARN_TOP_WIDTH_SMALL, fit.top * f, smallest));
  if (d < smallest) AddResultWarning(result, SmallerThan(TX_WARN_DEPTH_SMALL, d, smallest));
  if (fit.pitch < 2 * smallest)
    AddResultWarning(result, std::string(Tx(TX_WARN_PITCH_SMALL)) + Mm(fit.pitch) + Tx(TX_WARN_PITCH_SMALL_END));
}

}  // namespace

int64_t SampleProfile(const PointList& profile, double pitch, double spacing, PointList& samples) {
  samples.clear();
  size_t m = profile.size();
  if (m == 0) return 1;
  // Count first, in double: a degenerate spacing must neither overflow the
  // piece count nor allocate more than the budget allows.
  double total = 0;
  for (size_t i = 0; i < m; i++) {
    double nextU = i + 1 < m ? profile[i + 1].x : profile[0].x + pitch;
    total += std::trunc(std::fabs(nextU - profile[i].x) / spacing) + 1;
  }
  if (!(total <= static_cast<double>(MAX_PATTERN_POINTS))) return 0;
  samples.reserve(static_cast<size_t>(total));
  for (size_t i = 0; i < m; i++) {
    double u = profile[i].x;
    double v = profile[i].y;
    // The closing point is the first point of the next figure.
    double nextU = i + 1 < m ? profile[i + 1].x : profile[0].x + pitch;
    double nextV = i + 1 < m ? profile[i + 1].y : profile[0].y;
    double du = nextU - u;
    double dv = nextV - v;
    // Pieces follow the extent along the base line only: a flank along the
    // normal becomes one straight segment of the outline.
    int64_t pieces = static_cast<int64_t>(std::trunc(std::fabs(du) / spacing)) + 1;
    for (int64_t j = 0; j < pieces; j++) {
      double fj = static_cast<double>(j);
      double fp = static_cast<double>(pieces);
      AddListPoint(samples, u + du * fj / fp, v + dv * fj / fp);
    }
  }
  return 1;
}

int64_t LayOutPattern(const DesignParams& params, const BaseLine& base, const FittedPattern& fit,
                      const PointList& profile, DesignResult& result) {
  for (const OutlinePoint& p : profile) {
    if (!IsFinitePoint(p)) {
      SetResultError(result, Tx(TX_ERR_NO_VALID_OUTLINE));
      return 0;
    }
  }
  double length = base.length;
  double spacing = params.pointSpacing > 0 ? params.pointSpacing : DEFAULT_POINT_SPACING;
  if (length / spacing > static_cast<double>(MAX_BASE_SAMPLES)) spacing = length / static_cast<double>(MAX_BASE_SAMPLES);

  PointList samples;
  bool tooMany = !SampleProfile(profile, fit.pitch, spacing, samples);
  int64_t sampleCount = static_cast<int64_t>(samples.size());
  // Written as a division so that a huge count cannot overflow the product.
  if (sampleCount > 0 && fit.count > MAX_PATTERN_POINTS / sampleCount) tooMany = true;
  if (tooMany) {
    SetResultError(result, Tx(TX_ERR_TOO_MANY_POINTS));
    return 0;
  }

  // Shifting by whole figures only turns the list round, so the shift is
  // taken modulo the count: a huge shift would otherwise swallow the pitch.
  double shift = std::fmod(params.shift, static_cast<double>(fit.count));
  if (shift < 0) shift += static_cast<double>(fit.count);
  double s0 = (shift - 0.5) * fit.pitch;
  PointList& outline = result.outlinePoints;
  outline.reserve(static_cast<size_t>(sampleCount * fit.count));
  int64_t hint = 0;
  for (int64_t k = 0; k < fit.count; k++) {
    double start = s0 + static_cast<double>(k) * fit.pitch;
    for (const OutlinePoint& q : samples) {
      OutlinePoint p;
      double nx, ny;
      SampleBaseLineFrom(base, start + q.x, hint, p, nx, ny);
      AddListPoint(outline, p.x + q.y * nx, p.y + q.y * ny);
    }
  }
  // A shift or profile far beyond the double range leaves no usable points;
  // the loop cut must never see them.
  for (const OutlinePoint& p : outline) {
    if (!IsFinitePoint(p)) {
      outline.clear();
      SetResultError(result, Tx(TX_ERR_NO_VALID_OUTLINE));
      return 0;
    }
  }
  const PointBox laidOut = LaidOutBox(outline);
  result.loopsRemoved = RemoveSelfIntersections(outline);
  AddLayOutWarnings(base, fit, result);
  FinishOutline(result, laidOut);
  return 1;
}

void FinishOutline(DesignResult& result, const PointBox& laidOut) {
  bool simple = false;
  result.loopsRemoved += CutRingContacts(result.outlinePoints, MAX_LOOP_CUTS, simple);
  if (result.loopsRemoved > 0)
    AddResultWarning(result, std::to_string(result.loopsRemoved) + Tx(TX_WARN_LOOPS_REMOVED));
  result.patternLength = 0;
  double area2 = 0;
  const PointList& points = result.outlinePoints;
  if (points.size() < 3) {
    SetResultError(result, Tx(TX_ERR_NO_VALID_OUTLINE));
    return;
  }
  result.minX = result.maxX = points[0].x;
  result.minY = result.maxY = points[0].y;
  OutlinePoint prev = points.back();
  for (const OutlinePoint& p : points) {
    area2 += prev.x * p.y - p.x * prev.y;
    double dx = p.x - prev.x;
    double dy = p.y - prev.y;
    result.patternLength += std::sqrt(dx * dx + dy * dy);
    if (p.x < result.minX) result.minX = p.x;
    if (p.x > result.maxX) result.maxX = p.x;
    if (p.y < result.minY) result.minY = p.y;
    if (p.y > result.maxY) result.maxY = p.y;
    prev = p;
  }
  // A ring that meets itself, or a clockwise remnant of the loop cut, is
  // no outline that can be drawn, offset or written as a solid.
  if (!simple) {
    SetResultError(result, Tx(TX_ERR_OUTLINE_NOT_SIMPLE));
    return;
  }
  if (!(area2 > 0)) {
    SetResultError(result, Tx(TX_ERR_OUTLINE_INVERTED));
    return;
  }
  // What the cuts left of a pattern that crossed itself all over: a
  // remnant of a few loops.
  const PointBox kept{result.minX, result.maxX, result.minY, result.maxY};
  if (result.loopsRemoved > 0 && !KeepsThePattern(kept, laidOut)) {
    SetResultError(result, Tx(TX_ERR_NO_VALID_OUTLINE));
    return;
  }
  result.valid = 1;
}

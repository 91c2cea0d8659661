#include "engine/base_line.h"

#include <cmath>

BaseLine::BaseLine() : x(1), y(1), nx(1), ny(1), s(1) {}

void GrowBaseLine(BaseLine& line, int64_t capacity) {
  size_t size = static_cast<size_t>(capacity);
  line.x.resize(size);
  line.y.resize(size);
  line.nx.resize(size);
  line.ny.resize(size);
  line.s.resize(size);
}

void ReserveBasePoints(BaseLine& line, int64_t extra) {
  int64_t capacity = static_cast<int64_t>(line.x.size());
  int64_t needed = line.count + extra;
  // The capacity that appending one point at a time would reach.
  while (capacity < needed) capacity = 2 * capacity + BASELINE_GROWTH_EXTRA;
  if (capacity > static_cast<int64_t>(line.x.size())) GrowBaseLine(line, capacity);
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

namespace {

// s taken modulo the length, with the sign of s, then moved into [0, length).
double WrapArcLength(const BaseLine& line, double s) {
  if (!(line.length > 0)) return s;
  double wrapped = std::fmod(s, line.length);
  if (wrapped < 0) wrapped += line.length;
  return wrapped;
}

// The point and normal between points lo and hi at arc length s.
void InterpolateBaseLine(const BaseLine& line, int64_t lo, int64_t hi, double s, OutlinePoint& point,
                         double& normalX, double& normalY) {
  double d = line.s[hi] - line.s[lo];
  double t = d > 0 ? (s - line.s[lo]) / d : 0.0;
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

// A line without a segment: the origin for an empty one, else its point.
bool SampleWithoutSegment(const BaseLine& line, OutlinePoint& point, double& normalX, double& normalY) {
  if (line.count >= 2) return false;
  if (line.count == 1) {
    InterpolateBaseLine(line, 0, 0, 0.0, point, normalX, normalY);
  } else {
    point = OutlinePoint{0, 0};
    normalX = 0;
    normalY = 0;
  }
  return true;
}

}  // namespace

void SampleBaseLine(const BaseLine& line, double s, OutlinePoint& point, double& normalX, double& normalY) {
  if (SampleWithoutSegment(line, point, normalX, normalY)) return;
  double wrapped = WrapArcLength(line, s);
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
  InterpolateBaseLine(line, lo, lo + 1, wrapped, point, normalX, normalY);
}

void SampleBaseLineFrom(const BaseLine& line, double s, int64_t& hint, OutlinePoint& point, double& normalX,
                        double& normalY) {
  if (SampleWithoutSegment(line, point, normalX, normalY)) return;
  double wrapped = WrapArcLength(line, s);
  // The binary search ends on the last index below count - 1 whose s is not
  // above the arc length (index 0 for NaN); found here by galloping from
  // the hint, which is where the previous, nearby sample ended.
  int64_t last = line.count - 2;
  int64_t lo = hint < 0 ? 0 : (hint > last ? last : hint);
  const double* arc = line.s.data();
  if (!(arc[lo] <= wrapped)) {
    // Back: find some index at or below the answer, then search forward.
    int64_t step = 1;
    int64_t high = lo;
    while (lo > 0 && !(arc[lo] <= wrapped)) {
      high = lo;
      lo = lo > step ? lo - step : 0;
      step *= 2;
    }
    if (!(arc[lo] <= wrapped)) lo = 0;  // NaN: index 0, as the binary search
    else {
      while (high - lo > 1) {
        int64_t mid = (lo + high) / 2;
        if (arc[mid] <= wrapped) lo = mid;
        else high = mid;
      }
    }
  } else {
    int64_t step = 1;
    int64_t high = lo + 1;
    while (high <= last && arc[high] <= wrapped) {
      lo = high;
      high = lo + step;
      step *= 2;
    }
    if (high > last + 1) high = last + 1;
    while (high - lo > 1) {
      int64_t mid = (lo + high) / 2;
      if (arc[mid] <= wrapped) lo = mid;
      else high = mid;
    }
  }
  hint = lo;
  InterpolateBaseLine(line, lo, lo + 1, wrapped, point, normalX, normalY);
}

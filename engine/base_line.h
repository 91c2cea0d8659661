// The base line: the closed working curve along which the pattern is laid.
// Closed by a copy of the first point, counter-clockwise, outward unit
// normals; a sharp corner is stored twice with the same arc length.
#pragma once

#include <cstdint>
#include <vector>

#include "engine/design.h"

constexpr int64_t BASELINE_GROWTH_EXTRA = 65;

struct BaseLine {
  int64_t count = 0;
  double length = 0;
  double maxCurvature = 0;
  int64_t hasSharpCorner = 0;
  std::vector<double> x, y, nx, ny, s;
  BaseLine();
};

// Resizes all five arrays to the given capacity, keeping the stored values.
void GrowBaseLine(BaseLine& line, int64_t capacity);

// Grows the arrays to the capacity that appending `extra` more points one at
// a time would reach, in one step; builders that know their point count
// call it first so that the appends never reallocate.
void ReserveBasePoints(BaseLine& line, int64_t extra);

// Stores a point and its normal at index count (growing the arrays to
// 2 count + 65 when they are full); s, length and the flags are left alone.
inline void AppendBasePoint(BaseLine& line, double x, double y, double nx, double ny) {
  if (line.count >= static_cast<int64_t>(line.x.size())) GrowBaseLine(line, 2 * line.count + BASELINE_GROWTH_EXTRA);
  size_t i = static_cast<size_t>(line.count);
  line.x[i] = x;
  line.y[i] = y;
  line.nx[i] = nx;
  line.ny[i] = ny;
  line.count++;
}
void ComputeArcLengths(BaseLine& line);
void SampleBaseLine(const BaseLine& line, double s, OutlinePoint& point, double& normalX, double& normalY);
// The same result as SampleBaseLine, found from a hint: the segment index
// where the previous sample ended (start with 0). Callers that walk along
// the line in small steps save the binary search; the hint is updated.
void SampleBaseLineFrom(const BaseLine& line, double s, int64_t& hint, OutlinePoint& point, double& normalX,
                        double& normalY);

// Sizes outside 1e-100 .. 1e100 (and NaN) make no curve: their squares,
// which the ellipse's normals and the arc lengths need, would leave the
// range of a double.
bool IsUsableSize(double v);

// Circle and ellipse (semi-axes a, b), rounded rectangle (full w, h, radius r).
void BuildEllipseBaseLine(BaseLine& line, double a, double b);
void BuildRoundedRectBaseLine(BaseLine& line, double w, double h, double r);

// Arbitrary closed counter-clockwise polygons (imported outline, vase inner wall).
void BuildPolylineBaseLine(BaseLine& line, const double* x, const double* y, int64_t n);
int64_t BuildImportedBaseLine(BaseLine& line, const PointList& points, double sx, double sy, double offset);

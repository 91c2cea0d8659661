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

void AppendBasePoint(BaseLine& line, double x, double y, double nx, double ny);
void ComputeArcLengths(BaseLine& line);
void SampleBaseLine(const BaseLine& line, double s, OutlinePoint& point, double& normalX, double& normalY);

// Circle and ellipse (semi-axes a, b), rounded rectangle (full w, h, radius r).
void BuildEllipseBaseLine(BaseLine& line, double a, double b);
void BuildRoundedRectBaseLine(BaseLine& line, double w, double h, double r);
void AppendCornerArc(BaseLine& line, double cx, double cy, double r, double startDegrees);

// Arbitrary closed counter-clockwise polygons (imported outline, vase inner wall).
void BuildPolylineBaseLine(BaseLine& line, const double* x, const double* y, int64_t n);
int64_t BuildImportedBaseLine(BaseLine& line, const PointList& points, double sx, double sy, double offset);

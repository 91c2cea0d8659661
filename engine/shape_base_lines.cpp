// Base lines of the analytic shapes: circle and ellipse, rounded rectangle.
#include <cmath>
#include <numbers>

#include "engine/base_line.h"

namespace {

constexpr double ELLIPSE_SEGMENT_LENGTH = 0.02;
constexpr double ELLIPSE_EXTRA_SEGMENTS = 4096;
constexpr double ELLIPSE_MAX_SEGMENTS = 100000;
constexpr double CORNER_ARC_STEP = 0.01;
constexpr double CORNER_ARC_EXTRA_SEGMENTS = 90;
constexpr double CORNER_ARC_MAX_SEGMENTS = 20000;

constexpr double PI = std::numbers::pi;

constexpr double SMALLEST_SHAPE_SIZE = 1e-100;
constexpr double LARGEST_SHAPE_SIZE = 1e100;

// A line of no points and length 0: what callers get for sizes that cannot
// make a curve: zero, negative, NaN, infinite or absurdly large.
void MakeEmpty(BaseLine& line) {
  line.count = 0;
  line.length = 0;
  line.maxCurvature = 0;
  line.hasSharpCorner = 0;
}

}  // namespace

bool IsUsableSize(double v) { return v >= SMALLEST_SHAPE_SIZE && v <= LARGEST_SHAPE_SIZE; }

void BuildEllipseBaseLine(BaseLine& line, double a, double b) {
  MakeEmpty(line);
  if (!IsUsableSize(a) || !IsUsableSize(b)) return;
  // The cap is applied in double: a huge perimeter must not overflow the count.
  double segments = std::trunc((a + b) * PI / ELLIPSE_SEGMENT_LENGTH) + ELLIPSE_EXTRA_SEGMENTS;
  if (!(segments <= ELLIPSE_MAX_SEGMENTS)) segments = ELLIPSE_MAX_SEGMENTS;
  int64_t m = static_cast<int64_t>(segments);
  double a2 = a * a;
  double b2 = b * b;
  ReserveBasePoints(line, m + 1);
  for (int64_t i = 0; i <= m; i++) {
    int64_t k = i < m ? i : 0;  // the last point repeats the first exactly
    double theta = static_cast<double>(k) * 2.0 * PI / static_cast<double>(m);
    double x = -a * std::sin(theta);
    double y = b * std::cos(theta);
    double gx = x / a2;
    double gy = y / b2;
    double g = std::sqrt(gx * gx + gy * gy);
    AppendBasePoint(line, x, y, gx / g, gy / g);
  }
  line.maxCurvature = MaxF(a / b2, b / a2);
  line.hasSharpCorner = 0;
  ComputeArcLengths(line);
}

namespace {

void AppendCornerArc(BaseLine& line, double cx, double cy, double r, double startDegrees) {
  constexpr double DEG = PI / 180.0;
  if (r > 0) {
    double segments = std::trunc(r * PI / 2.0 / CORNER_ARC_STEP) + CORNER_ARC_EXTRA_SEGMENTS;
    if (!(segments <= CORNER_ARC_MAX_SEGMENTS)) segments = CORNER_ARC_MAX_SEGMENTS;
    int64_t n = static_cast<int64_t>(segments);
    for (int64_t j = 0; j <= n; j++) {
      double theta = (startDegrees + static_cast<double>(j) * 90.0 / static_cast<double>(n)) * DEG;
      double c = std::cos(theta);
      double s = std::sin(theta);
      AppendBasePoint(line, cx + r * c, cy + r * s, c, s);
    }
    return;
  }
  // A sharp corner: the same point with the incoming, then the outgoing normal.
  double in = startDegrees * DEG;
  double out = (startDegrees + 90.0) * DEG;
  AppendBasePoint(line, cx, cy, std::cos(in), std::sin(in));
  AppendBasePoint(line, cx, cy, std::cos(out), std::sin(out));
}

}  // namespace

void BuildRoundedRectBaseLine(BaseLine& line, double w, double h, double r) {
  MakeEmpty(line);
  if (!IsUsableSize(w) || !IsUsableSize(h)) return;
  double a = w / 2;
  double b = h / 2;
  r = MaxF(0, MinF(r, MinF(a, b)));
  AppendBasePoint(line, 0, b, 0, 1);
  AppendCornerArc(line, -a + r, b - r, r, 90);
  AppendCornerArc(line, -a + r, -b + r, r, 180);
  AppendCornerArc(line, a - r, -b + r, r, 270);
  AppendCornerArc(line, a - r, b - r, r, 0);
  AppendBasePoint(line, 0, b, 0, 1);
  if (r > 0) {
    line.maxCurvature = 1 / r;
    line.hasSharpCorner = 0;
  } else {
    line.maxCurvature = 0;
    line.hasSharpCorner = 1;
  }
  ComputeArcLengths(line);
}

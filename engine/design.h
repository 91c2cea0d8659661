// The engine's input and output records, the point type every point list
// holds, and the small reporting and number helpers.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct OutlinePoint {
  double x = 0;
  double y = 0;
};

using PointList = std::vector<OutlinePoint>;

// Values as stored in the records and in the project file.
enum ShapeKind : int64_t { SHAPE_CIRCLE = 0, SHAPE_ELLIPSE = 1, SHAPE_RECTANGLE = 2, SHAPE_IMPORTED = 3 };
enum SizeReference : int64_t { SIZE_OUTER = 0, SIZE_INNER = 1 };
enum FigureKind : int64_t {
  FIGURE_NONE = 0,
  FIGURE_RECTANGLE = 1,
  FIGURE_SQUARE = 2,
  FIGURE_TRIANGLE = 3,
  FIGURE_TRAPEZOID = 4,
  FIGURE_HALF_CIRCLE = 5,
  FIGURE_SINE = 6
};
// Half circles and sines have no corners to round.
inline bool FigureTakesFillet(int64_t kind) { return kind != FIGURE_HALF_CIRCLE && kind != FIGURE_SINE; }

enum Direction : int64_t { DIRECTION_OUTWARD = 1, DIRECTION_INWARD = -1 };
enum DivisionMode : int64_t { DIVIDE_BY_COUNT = 0, DIVIDE_BY_WIDTH = 1 };

constexpr double DEFAULT_SMALLEST_SIZE = 0.4;
constexpr double DEFAULT_POINT_SPACING = 0.1;

struct DesignParams {
  int64_t shapeKind = 0;
  double width = 0;
  double height = 0;
  double cornerRadius = 0;
  int64_t sizeIsInner = 0;
  int64_t figureKind = 0;
  int64_t direction = 0;
  int64_t divideByWidth = 0;
  int64_t count = 0;
  double figureWidth = 0;
  double gap = 0;
  double depth = 0;
  double topWidth = 0;
  double fillet = 0;
  double shift = 0;
  double smallestSize = 0;
  double pointSpacing = 0;
  double importWidth = 0;
  double importHeight = 0;
  PointList importPoints;
};

struct DesignResult {
  int64_t valid = 0;
  std::string message;
  int64_t count = 0;
  double pitch = 0;
  double figureWidth = 0;
  double gap = 0;
  double depth = 0;
  double topWidth = 0;
  double fillet = 0;
  double baseLength = 0;
  double patternLength = 0;
  double minX = 0, maxX = 0, minY = 0, maxY = 0;
  int64_t loopsRemoved = 0;
  std::vector<std::string> warnings;
  PointList baseLinePoints;
  PointList outlinePoints;
};

extern DesignParams gParams;
extern DesignResult gResult;

void SetResultError(DesignResult& result, const std::string& text);
void AddResultWarning(DesignResult& result, const std::string& text);
void AddListPoint(PointList& list, double x, double y);

// a when b is greater than a, else b: equal values and a NaN give b.
inline double MinF(double a, double b) { return b > a ? a : b; }
// a when b is less than a, else b: equal values and a NaN give b.
inline double MaxF(double a, double b) { return b < a ? a : b; }

// x with a fixed number of decimals (0..512), "." as decimal point whatever
// the locale; a value that rounds to zero is written as an unsigned zero.
std::string FormatDecimals(int decimals, double x);
// As FormatDecimals, but a small negative value keeps its sign ("-0.00");
// only an exact zero of either sign is written unsigned.
std::string FormatMm(int decimals, double x);

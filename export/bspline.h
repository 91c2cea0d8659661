// B-spline machinery of the vase STEP export: clamped and averaged knot
// vectors, Cox-de Boor basis values, the interpolation in the height
// direction, knot texts and the 3D curve entity.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

// m + p + 1 knots 0 .. m - p, the ends repeated p + 1 times.
void BuildClampedUniformKnots(int64_t controlCount, int64_t degree, std::vector<double>& knots);

// The n basis functions of degree p at u into result[0 .. n-1]; knots holds
// n + p + 1 values. At the last knot the last non-empty span counts.
void ComputeBSplineBasis(int64_t degree, const double* knots, int64_t count, double u, double* result);

// Averaged knots on [0, 1] for n increasing parameters and the inverse of the
// collocation matrix (n x n, row-major) into matrix; returns the degree
// min(3, n - 1).
int64_t BuildInterpolationMatrix(int64_t rows, const double* parameters, std::vector<double>& knots,
                                 std::vector<double>& matrix);

// Multiplicities ("4,1,4") and values with ten decimals, groups of knots
// closer than 1e-12 to their first written once.
void FormatKnotVector(const double* knots, int64_t count, std::string& multiplicities, std::string& values);

// Control points and one B_SPLINE_CURVE_WITH_KNOTS; knots holds n + p + 1 values.
int64_t AddBSplineCurve3D(int64_t degree, const double* x, const double* y, const double* z, int64_t count,
                          const double* knots);

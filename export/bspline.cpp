#include "export/bspline.h"

#include <charconv>
#include <cmath>

#include "export/step_writer.h"

void BuildClampedUniformKnots(int64_t controlCount, int64_t degree, std::vector<double>& knots) {
  const int64_t m = controlCount;
  const int64_t p = degree;
  knots.assign(static_cast<size_t>(m + p + 1 > 0 ? m + p + 1 : 0), 0.0);
  for (int64_t k = 0; k <= m + p; ++k) {
    double value = k <= p ? 0.0 : k < m ? static_cast<double>(k - p) : static_cast<double>(m - p);
    knots[static_cast<size_t>(k)] = value;
  }
}

void ComputeBSplineBasis(int64_t degree, const double* knots, int64_t count, double u, double* result) {
  const int64_t p = degree;
  const int64_t last = count + p;
  std::vector<double> N(static_cast<size_t>(last + 1), 0.0);
  if (u >= knots[last]) {
    for (int64_t k = last - 1; k >= 0; --k) {
      if (knots[k] < knots[k + 1]) {
        N[static_cast<size_t>(k)] = 1.0;
        break;
      }
    }
  } else {
    for (int64_t k = 0; k < last; ++k)
      if (knots[k] <= u && u < knots[k + 1]) N[static_cast<size_t>(k)] = 1.0;
  }
  for (int64_t d = 1; d <= p; ++d) {
    for (int64_t k = 0; k <= last - d - 1; ++k) {
      double a = 0.0;
      double b = 0.0;
      double left = knots[k + d] - knots[k];
      if (left > 0) a = (u - knots[k]) / left * N[static_cast<size_t>(k)];
      double right = knots[k + d + 1] - knots[k + 1];
      if (right > 0) b = (knots[k + d + 1] - u) / right * N[static_cast<size_t>(k + 1)];
      N[static_cast<size_t>(k)] = a + b;
    }
  }
  for (int64_t j = 0; j < count; ++j) result[j] = N[static_cast<size_t>(j)];
}

int64_t BuildInterpolationMatrix(int64_t rows, const double* parameters, std::vector<double>& knots,
                                 std::vector<double>& matrix) {
  const int64_t n = rows;
  if (n < 1) {
    knots.clear();
    matrix.clear();
    return 0;
  }
  const int64_t p = n - 1 < 3 ? n - 1 : 3;
  knots.assign(static_cast<size_t>(n + p + 1), 0.0);
  for (int64_t k = n; k <= n + p; ++k) knots[static_cast<size_t>(k)] = 1.0;
  for (int64_t j = 1; j <= n - p - 1; ++j) {
    double sum = 0.0;
    for (int64_t i = j; i <= j + p - 1; ++i) sum += parameters[i];
    knots[static_cast<size_t>(j + p)] = sum / static_cast<double>(p);
  }
  const size_t width = static_cast<size_t>(2 * n);
  std::vector<double> A(static_cast<size_t>(n) * width, 0.0);
  for (int64_t r = 0; r < n; ++r) {
    double* row = &A[static_cast<size_t>(r) * width];
    ComputeBSplineBasis(p, knots.data(), n, parameters[r], row);
    row[n + r] = 1.0;
  }
  // Gauss-Jordan with partial pivoting; the first of equal candidates stays.
  for (int64_t c = 0; c < n; ++c) {
    int64_t pivot = c;
    for (int64_t r = c + 1; r < n; ++r)
      if (std::fabs(A[static_cast<size_t>(r) * width + c]) > std::fabs(A[static_cast<size_t>(pivot) * width + c]))
        pivot = r;
    double* rowC = &A[static_cast<size_t>(c) * width];
    if (pivot != c) {
      double* rowP = &A[static_cast<size_t>(pivot) * width];
      for (size_t k = 0; k < width; ++k) std::swap(rowC[k], rowP[k]);
    }
    double divisor = rowC[c];
    for (size_t k = 0; k < width; ++k) rowC[k] /= divisor;
    for (int64_t r = 0; r < n; ++r) {
      if (r == c) continue;
      double* row = &A[static_cast<size_t>(r) * width];
      double factor = row[c];
      if (factor == 0.0) continue;
      for (size_t k = 0; k < width; ++k) row[k] -= factor * rowC[k];
    }
  }
  matrix.assign(static_cast<size_t>(n * n), 0.0);
  for (int64_t r = 0; r < n; ++r)
    for (int64_t c = 0; c < n; ++c)
      matrix[static_cast<size_t>(r * n + c)] = A[static_cast<size_t>(r) * width + static_cast<size_t>(n + c)];
  return p;
}

void FormatKnotVector(const double* knots, int64_t count, std::string& multiplicities, std::string& values) {
  multiplicities.clear();
  values.clear();
  int64_t i = 0;
  while (i < count) {
    int64_t g = 1;
    while (i + g < count && std::fabs(knots[i + g] - knots[i]) < 1e-12) ++g;
    if (!multiplicities.empty()) multiplicities += ',';
    AppendStepInt(multiplicities, g);
    if (!values.empty()) values += ',';
    char buffer[340];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, knots[i], std::chars_format::fixed, 10);
    values.append(buffer, result.ptr);
    i += g;
  }
}

int64_t AddBSplineCurve3D(int64_t degree, const double* x, const double* y, const double* z, int64_t count,
                          const double* knots) {
  std::string multiplicities;
  std::string values;
  FormatKnotVector(knots, count + degree + 1, multiplicities, values);
  std::vector<int64_t> points(static_cast<size_t>(count));
  for (int64_t k = 0; k < count; ++k) points[static_cast<size_t>(k)] = AddCartesianPoint(x[k], y[k], z[k]);
  int64_t id = BeginStepEntity();
  std::string& t = gStepLines.text;
  t += "B_SPLINE_CURVE_WITH_KNOTS('',";
  AppendStepInt(t, degree);
  t += ",(";
  for (int64_t k = 0; k < count; ++k) {
    if (k > 0) t += ',';
    AppendStepRef(t, points[static_cast<size_t>(k)]);
  }
  t += "),.UNSPECIFIED.,.F.,.F.,(";
  t += multiplicities;
  t += "),(";
  t += values;
  t += "),.UNSPECIFIED.)";
  EndStepEntity();
  return id;
}

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "export/bspline.h"
#include "export/step_writer.h"
#include "tests/support/comma_locale.h"

namespace {

std::vector<double> UniformParameters(int n) {
  std::vector<double> v(static_cast<size_t>(n));
  for (int r = 0; r < n; ++r) v[static_cast<size_t>(r)] = static_cast<double>(r) / (n - 1);
  return v;
}

void ExpectKnotTexts(const std::vector<double>& knots, const std::string& multiplicities, const std::string& values) {
  std::string m, v;
  FormatKnotVector(knots.data(), static_cast<int64_t>(knots.size()), m, v);
  EXPECT_EQ(m, multiplicities);
  EXPECT_EQ(v, values);
}

TEST(BSplineKnots, InterpolationKnotsForSmallRowCounts) {
  std::vector<double> knots, matrix;
  std::vector<double> v = UniformParameters(2);
  EXPECT_EQ(BuildInterpolationMatrix(2, v.data(), knots, matrix), 1);
  ExpectKnotTexts(knots, "2,2", "0.0000000000,1.0000000000");
  EXPECT_EQ(matrix, (std::vector<double>{1, 0, 0, 1}));
  v = UniformParameters(3);
  EXPECT_EQ(BuildInterpolationMatrix(3, v.data(), knots, matrix), 2);
  ExpectKnotTexts(knots, "3,3", "0.0000000000,1.0000000000");
  v = UniformParameters(4);
  EXPECT_EQ(BuildInterpolationMatrix(4, v.data(), knots, matrix), 3);
  ExpectKnotTexts(knots, "4,4", "0.0000000000,1.0000000000");
  v = UniformParameters(5);
  EXPECT_EQ(BuildInterpolationMatrix(5, v.data(), knots, matrix), 3);
  ExpectKnotTexts(knots, "4,1,4", "0.0000000000,0.5000000000,1.0000000000");
  if (UseCommaLocale()) {
    ExpectKnotTexts(knots, "4,1,4", "0.0000000000,0.5000000000,1.0000000000");
    RestoreCLocale();
  }
}

TEST(BSplineKnots, ClampedUniformAndMergedGroups) {
  std::vector<double> knots;
  BuildClampedUniformKnots(5, 3, knots);
  EXPECT_EQ(knots, (std::vector<double>{0, 0, 0, 0, 1, 2, 2, 2, 2}));
  ExpectKnotTexts(knots, "4,1,4", "0.0000000000,1.0000000000,2.0000000000");
  BuildClampedUniformKnots(2, 1, knots);
  ExpectKnotTexts(knots, "2,2", "0.0000000000,1.0000000000");
  // Knots closer than 1e-12 to the first of their group are one value.
  ExpectKnotTexts({0, 0.5, 0.5 + 5e-13, 0.5 + 9e-13, 0.5 + 2e-12, 1}, "1,3,1,1",
                  "0.0000000000,0.5000000000,0.5000000000,1.0000000000");
  ExpectKnotTexts({}, "", "");
}

TEST(BSplineBasis, RowsSumToOneAndTheEndsAreInterpolated) {
  std::vector<double> knots;
  for (int m : {2, 3, 4, 7, 12}) {
    int p = m - 1 < 3 ? m - 1 : 3;
    BuildClampedUniformKnots(m, p, knots);
    std::vector<double> basis(static_cast<size_t>(m));
    double end = knots.back();
    for (int i = 0; i <= 40; ++i) {
      double u = end * i / 40;
      ComputeBSplineBasis(p, knots.data(), m, u, basis.data());
      double sum = 0;
      for (double b : basis) {
        EXPECT_GE(b, 0);
        sum += b;
      }
      EXPECT_NEAR(sum, 1, 1e-14) << "m " << m << " u " << u;
    }
    ComputeBSplineBasis(p, knots.data(), m, 0, basis.data());
    EXPECT_EQ(basis.front(), 1);
    ComputeBSplineBasis(p, knots.data(), m, end, basis.data());
    EXPECT_EQ(basis.back(), 1);
  }
}

TEST(BSplineInterpolation, InverseTimesCollocationIsIdentity) {
  for (int n : {2, 3, 4, 5, 9, 61, 401}) {
    std::vector<double> v = UniformParameters(n);
    std::vector<double> knots, matrix;
    int64_t p = BuildInterpolationMatrix(n, v.data(), knots, matrix);
    ASSERT_EQ(knots.size(), static_cast<size_t>(n + p + 1));
    std::vector<double> collocation(static_cast<size_t>(n * n));
    for (int r = 0; r < n; ++r) ComputeBSplineBasis(p, knots.data(), n, v[r], &collocation[static_cast<size_t>(r * n)]);
    double worst = 0;
    for (int r = 0; r < n; ++r) {
      for (int c = 0; c < n; ++c) {
        double sum = 0;
        for (int k = 0; k < n; ++k) sum += matrix[static_cast<size_t>(r * n + k)] * collocation[static_cast<size_t>(k * n + c)];
        worst = std::fmax(worst, std::fabs(sum - (r == c ? 1.0 : 0.0)));
      }
    }
    EXPECT_LT(worst, 1e-12) << "rows " << n;
    // The curve through the control values takes every data value.
    std::vector<double> data(static_cast<size_t>(n)), control(static_cast<size_t>(n), 0.0);
    for (int r = 0; r < n; ++r) data[static_cast<size_t>(r)] = std::sin(3.0 * v[r]) + r % 3;
    for (int r = 0; r < n; ++r)
      for (int c = 0; c < n; ++c) control[static_cast<size_t>(r)] += matrix[static_cast<size_t>(r * n + c)] * data[static_cast<size_t>(c)];
    std::vector<double> basis(static_cast<size_t>(n));
    for (int r = 0; r < n; ++r) {
      ComputeBSplineBasis(p, knots.data(), n, v[r], basis.data());
      double value = 0;
      for (int c = 0; c < n; ++c) value += basis[static_cast<size_t>(c)] * control[static_cast<size_t>(c)];
      EXPECT_NEAR(value, data[static_cast<size_t>(r)], 1e-11);
    }
  }
}

TEST(BSplineCurve3D, PointsBeforeTheCurve) {
  int64_t shape, context;
  BeginStepModel("c", shape, context);
  double x[2] = {0, 1}, y[2] = {0, 0}, z[2] = {0, 2.5};
  std::vector<double> knots;
  BuildClampedUniformKnots(2, 1, knots);
  EXPECT_EQ(AddBSplineCurve3D(1, x, y, z, 2, knots.data()), 16);
  EXPECT_EQ(StepLine(14), "#15=CARTESIAN_POINT('',(1.000000,0.000000,2.500000));");
  EXPECT_EQ(StepLine(15), "#16=B_SPLINE_CURVE_WITH_KNOTS('',1,(#14,#15),.UNSPECIFIED.,.F.,.F.,(2,2),"
                          "(0.0000000000,1.0000000000),.UNSPECIFIED.);");
  BeginStepModel("c", shape, context);
}

}  // namespace

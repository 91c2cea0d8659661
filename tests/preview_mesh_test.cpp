#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "engine/number_parse.h"
#include "tests/support/preview_checks.h"
#include "tests/support/vase_designs.h"
#include "tests/support/vase_rings.h"
#include "vase/preview_mesh.h"
#include "vase/vase_slices.h"

namespace {

DesignResult ValidResult(const PointList& outline, const PointList& baseLine) {
  DesignResult r;
  r.valid = 1;
  r.outlinePoints = outline;
  r.baseLinePoints = baseLine;
  return r;
}

TEST(PreviewMesh, SolidCylinderOfOneStep) {
  PointList ring = CircleRing(8, 10);
  VaseParams v;
  v.steps = 1;
  v.height = 40;
  BuildPreviewMesh(ring, ring, v, FINE_POINT_BUDGET);
  const int64_t n = 8;
  ASSERT_EQ(gRingSize, n);
  EXPECT_EQ(gMeshSteps, 1);
  EXPECT_EQ(gVertexCount, 2 * n + 1);
  EXPECT_EQ(static_cast<int64_t>(gVertX.size()), gVertexCount);
  EXPECT_EQ(gTriangleCount, 3 * n);
  // Vertex layout: slice 0, slice 1, then the bottom centre.
  EXPECT_EQ(gVertX[3], ring[3].x);
  EXPECT_EQ(gVertZ[3], 0);
  EXPECT_DOUBLE_EQ(gVertY[n + 3], ring[3].y);
  EXPECT_EQ(gVertZ[n + 3], 40);
  EXPECT_EQ(gVertX[2 * n], 0);
  EXPECT_EQ(gVertZ[2 * n], 0);
  // Triangle order: two per quad, then the bottom fan facing down.
  const int64_t first[] = {0, 1, n + 1, 0, n + 1, n, 1, 2, n + 2};
  for (int k = 0; k < 9; ++k) EXPECT_EQ(gTriIndex[k], first[k]) << k;
  const int64_t fan = 2 * n;
  EXPECT_EQ(gTriIndex[3 * fan], 2 * n);
  EXPECT_EQ(gTriIndex[3 * fan + 1], 1);
  EXPECT_EQ(gTriIndex[3 * fan + 2], 0);
  EXPECT_EQ(gTriIndex[3 * (3 * n - 1) + 1], 0);  // last fan triangle closes the ring
  EXPECT_EQ(gTriKind[fan - 1], TRI_WALL);
  EXPECT_EQ(gTriKind[fan], TRI_FLOOR);
  EXPECT_DOUBLE_EQ(gMeshRadius, std::sqrt(100 + 400));
  EXPECT_EQ(gMeshHeight, 40);
}

TEST(PreviewMesh, HollowCountsAndRimIndices) {
  PointList ring = CircleRing(90, 30);
  VaseParams v;
  v.hollow = 1;
  v.steps = 5;
  v.twist = 30;
  v.topScale = 0.9;
  BuildPreviewMesh(ring, ring, v, FINE_POINT_BUDGET);
  int64_t n = gRingSize, s = 5;
  ASSERT_EQ(n, 90);
  // The inner ring of a circle keeps every point.
  int64_t m = 90;
  int64_t i0 = (s + 1) * n + 1;
  EXPECT_EQ(gVertexCount, (s + 1) * (n + m) + 2);
  EXPECT_EQ(gTriangleCount, 2 * s * n + n + 2 * s * m + m + (n + m));
  EXPECT_EQ(gVertZ[i0], 2);
  EXPECT_EQ(gVertZ[i0 + (s + 1) * m], 2);  // inner floor centre
  EXPECT_DOUBLE_EQ(gVertZ[i0 + m], 2 + 118.0 / 5);
  // Inner slice 1 sits at its own height fraction, not at 1/5.
  OutlinePoint p;
  double t = (2 + 118.0 / 5) / 120;
  PointList inner;
  ASSERT_EQ(BuildInnerWallRing(ring, ring, v, inner), 1);
  TransformSlicePoint(v, t, inner[0].x, inner[0].y, p);
  EXPECT_NEAR(gVertX[i0 + m], p.x, 1e-12);
  EXPECT_NEAR(gVertY[i0 + m], p.y, 1e-12);
  // Every rim triangle uses top-slice vertices only and faces up.
  int64_t rimStart = gTriangleCount - (n + m);
  for (int64_t k = rimStart; k < gTriangleCount; ++k) {
    const int64_t* tri = &gTriIndex[3 * k];
    for (int e = 0; e < 3; ++e) {
      bool outerTop = tri[e] >= s * n && tri[e] < (s + 1) * n;
      bool innerTop = tri[e] >= i0 + s * m && tri[e] < i0 + (s + 1) * m;
      EXPECT_TRUE(outerTop || innerTop) << k;
      EXPECT_EQ(gVertZ[tri[e]], 120);
    }
    double cross = (gVertX[tri[1]] - gVertX[tri[0]]) * (gVertY[tri[2]] - gVertY[tri[0]]) -
                   (gVertY[tri[1]] - gVertY[tri[0]]) * (gVertX[tri[2]] - gVertX[tri[0]]);
    EXPECT_GT(cross, 0) << k;
  }
  // The inner floor fan faces up: (centre, j, j + 1).
  int64_t floorFan = 2 * s * n + n + 2 * s * m;
  EXPECT_EQ(gTriIndex[3 * floorFan], i0 + (s + 1) * m);
  EXPECT_EQ(gTriIndex[3 * floorFan + 1], i0);
  EXPECT_EQ(gTriIndex[3 * floorFan + 2], i0 + 1);
  EXPECT_EQ(gTriKind[floorFan], TRI_FLOOR);
}

TEST(PreviewMesh, HollowFallsBackToSolidSilently) {
  PointList ring = CircleRing(60, 10);
  VaseParams v;
  v.hollow = 1;
  v.steps = 3;
  const int64_t solid = 4 * 60 + 1;
  for (auto change : {+[](VaseParams& p) { p.wallThickness = 11; }, +[](VaseParams& p) { p.bottomThickness = 120; },
                      +[](VaseParams& p) { p.wallThickness = 0; }, +[](VaseParams& p) { p.bottomThickness = -1; },
                      +[](VaseParams& p) { p.wallThickness = std::numeric_limits<double>::quiet_NaN(); },
                      +[](VaseParams& p) { p.wallThickness = std::numeric_limits<double>::infinity(); }}) {
    VaseParams w = v;
    change(w);
    BuildPreviewMesh(ring, ring, w, FINE_POINT_BUDGET);
    EXPECT_EQ(gVertexCount, solid);
  }
}

TEST(PreviewMesh, NoHeightOrNoOutlineGivesAnEmptyMesh) {
  PointList ring = CircleRing(60, 10);
  VaseParams v;
  for (double h : {0.0, -5.0, std::numeric_limits<double>::quiet_NaN()}) {
    BuildPreviewMesh(ring, ring, v, FINE_POINT_BUDGET);
    ASSERT_GT(gVertexCount, 0);
    v.height = h;
    BuildPreviewMesh(ring, ring, v, FINE_POINT_BUDGET);
    EXPECT_EQ(gVertexCount, 0) << h;
    EXPECT_EQ(gTriangleCount, 0) << h;
    v.height = 120;
  }
  BuildPreviewMesh(PointList{{0, 1}, {1, 0}}, ring, v, FINE_POINT_BUDGET);
  EXPECT_EQ(gVertexCount, 0);

  DesignResult invalid = ValidResult(ring, ring);
  RebuildPreviewMeshFor(invalid, v, 0);
  ASSERT_GT(gVertexCount, 0);
  invalid.valid = 0;
  RebuildPreviewMeshFor(invalid, v, 1);
  EXPECT_EQ(gVertexCount, 0);
}

TEST(PreviewMesh, ProjectValuesBeyondDoubleRangeGiveNoMeshAndNoNonFiniteVertex) {
  // Each row: a vase field as a project file may hold it, and whether the
  // height hint stands for it.
  struct Row {
    double VaseParams::*field;
    const char* text;
    bool heightHint;
  } rows[] = {{&VaseParams::height, "+Infinity", true}, {&VaseParams::height, "1e300", true},
              {&VaseParams::height, "1e160", true},     {&VaseParams::height, "NaN", true},
              {&VaseParams::twist, "+Infinity", false}, {&VaseParams::twist, "NaN", false},
              {&VaseParams::topScale, "1e306", false},  {&VaseParams::topScale, "-Infinity", false},
              {&VaseParams::bulge, "NaN", false}};
  PointList ring = CircleRing(60, 10);
  for (int64_t hollow : {0, 1}) {
    for (const Row& row : rows) {
      VaseParams v;
      v.hollow = hollow;
      v.*row.field = ParseNumberPrefix(row.text);
      BuildPreviewMesh(ring, ring, v, FINE_POINT_BUDGET);
      EXPECT_EQ(gVertexCount, 0) << row.text;
      EXPECT_EQ(gTriangleCount, 0) << row.text;
      EXPECT_EQ(IsPreviewHeight(v.height), !row.heightHint) << row.text;
    }
  }
  // A tall vase within range is still drawn, every number finite.
  VaseParams tall;
  tall.height = 1e150;
  tall.topScale = 1e100;
  BuildPreviewMesh(ring, ring, tall, FINE_POINT_BUDGET);
  ASSERT_GT(gVertexCount, 0);
  for (int64_t k = 0; k < gVertexCount; ++k)
    ASSERT_TRUE(std::isfinite(gVertX[k]) && std::isfinite(gVertY[k]) && std::isfinite(gVertZ[k])) << k;
  EXPECT_TRUE(std::isfinite(gMeshRadius));
}

TEST(PreviewMesh, LargeOutlineIsThinnedToTheBudget) {
  PointList big;
  const int n = 20000;
  for (int i = 0; i < n; ++i) {
    double t = 2 * M_PI * i / n;
    double r = 50 + 2 * std::sin(120 * t);
    big.push_back({-r * std::sin(t), r * std::cos(t)});
  }
  DesignResult r = ValidResult(big, CircleRing(2000, 50));
  VaseParams v;
  v.steps = 1000;
  RebuildPreviewMeshFor(r, v, 0);
  EXPECT_LE(gRingSize, FINE_POINT_BUDGET);
  EXPECT_GT(gRingSize, 400);
  EXPECT_EQ(gMeshSteps, MAX_VASE_STEPS);
  EXPECT_EQ(gMeshCoarse, 0);
  RebuildPreviewMeshFor(r, v, 1);
  EXPECT_LE(gRingSize, COARSE_POINT_BUDGET);
  EXPECT_EQ(gMeshSteps, COARSE_MAX_STEPS);
  EXPECT_EQ(gMeshCoarse, 1);
  EXPECT_EQ(gVertexCount, (COARSE_MAX_STEPS + 1) * gRingSize + 1);
  // A small steps value is kept by the coarse build.
  v.steps = 7;
  RebuildPreviewMeshFor(r, v, 1);
  EXPECT_EQ(gMeshSteps, 7);
}

// The thinned ring and the inner ring are kept between builds; a changed
// outline or wall must still show.
TEST(PreviewMesh, RebuildFollowsChangesOfOutlineAndWall) {
  PointList ring = CircleRing(100, 20);
  VaseParams v;
  v.hollow = 1;
  v.steps = 2;
  BuildPreviewMesh(ring, ring, v, FINE_POINT_BUDGET);
  int64_t i0 = 3 * 100 + 1;
  double innerBefore = gVertY[i0];
  EXPECT_NEAR(innerBefore, 20 - 1.6, 1e-3);

  PointList bigger = CircleRing(100, 25);
  BuildPreviewMesh(bigger, bigger, v, FINE_POINT_BUDGET);
  EXPECT_NEAR(gVertY[0], 25, 1e-12);
  EXPECT_NEAR(gVertY[i0], 25 - 1.6, 1e-3);

  v.wallThickness = 3;
  BuildPreviewMesh(bigger, bigger, v, FINE_POINT_BUDGET);
  EXPECT_NEAR(gVertY[i0], 25 - 3, 1e-3);
  v.topScale = 0.5;
  BuildPreviewMesh(bigger, bigger, v, FINE_POINT_BUDGET);
  EXPECT_NEAR(gVertY[i0], (25 - 6) * VaseScaleAt(v, 2.0 / 120), 1e-3);

  // Fine and coarse builds of the same outline alternate without mixing.
  DesignResult r = ValidResult(bigger, bigger);
  RebuildPreviewMeshFor(r, v, 1);
  int64_t coarseCount = gVertexCount;
  RebuildPreviewMeshFor(r, v, 0);
  EXPECT_EQ(gVertexCount, 2 * 3 * 100 + 2);
  RebuildPreviewMeshFor(r, v, 1);
  EXPECT_EQ(gVertexCount, coarseCount);
}

// Rim, bottom and inner floor each cover their region once, facing the right
// way: the rim is the band between the top slices, the floors are the rings.
TEST(PreviewMesh, HollowDesignsHaveSoundRimsAndFloors) {
  for (const VaseDesign& d : HollowTestDesigns()) {
    ASSERT_EQ(d.result.valid, 1) << d.name;
    BuildPreviewMesh(d.result.outlinePoints, d.result.baseLinePoints, d.vase, FINE_POINT_BUDGET);
    PreviewFlatParts parts = MeasurePreviewFlatParts(d.vase);
    ASSERT_TRUE(parts.hollow) << d.name;
    ExpectSoundFlatParts(parts, d.name);
  }
}

TEST(PreviewMesh, TriangleArraysOnlyGrow) {
  PointList ring = CircleRing(300, 20);
  VaseParams v;
  v.steps = 50;
  BuildPreviewMesh(ring, ring, v, FINE_POINT_BUDGET);
  size_t capacity = gTriIndex.size();
  EXPECT_GE(capacity, static_cast<size_t>(3 * gTriangleCount));
  EXPECT_GE(gTriKind.size(), static_cast<size_t>(gTriangleCount));
  v.steps = 1;
  BuildPreviewMesh(ring, ring, v, FINE_POINT_BUDGET);
  EXPECT_EQ(gTriIndex.size(), capacity);
}

}  // namespace

#include "tests/support/preview_checks.h"

#include <gtest/gtest.h>

#include <cmath>
#include <unordered_map>

#include "vase/preview_mesh.h"

namespace {

// Twice the signed area of mesh triangle k seen from above.
double TriangleCross(int64_t k) {
  const int64_t* t = &gTriIndex[3 * k];
  return (gVertX[t[1]] - gVertX[t[0]]) * (gVertY[t[2]] - gVertY[t[0]]) -
         (gVertY[t[1]] - gVertY[t[0]]) * (gVertX[t[2]] - gVertX[t[0]]);
}

double SliceArea(int64_t first, int64_t count) {
  double a = 0;
  for (int64_t j = 0; j < count; ++j) {
    int64_t i = first + j, k = first + (j + 1) % count;
    a += gVertX[i] * gVertY[k] - gVertX[k] * gVertY[i];
  }
  return a / 2;
}

int64_t UnmatchedEdges() {
  std::unordered_map<uint64_t, int> edges;
  auto key = [](int64_t a, int64_t b) { return static_cast<uint64_t>(a) << 32 | static_cast<uint64_t>(b); };
  for (int64_t k = 0; k < gTriangleCount; ++k)
    for (int e = 0; e < 3; ++e) ++edges[key(gTriIndex[3 * k + e], gTriIndex[3 * k + (e + 1) % 3])];
  int64_t unmatched = 0;
  for (const auto& [edge, uses] : edges) {
    auto reverse = edges.find(key(static_cast<int64_t>(edge & 0xFFFFFFFF), static_cast<int64_t>(edge >> 32)));
    if (uses != 1 || reverse == edges.end() || reverse->second != 1) ++unmatched;
  }
  return unmatched;
}

}  // namespace

PreviewFlatParts MeasurePreviewFlatParts(const VaseParams& vase) {
  PreviewFlatParts parts;
  const int64_t n = gRingSize, s = gMeshSteps, i0 = (s + 1) * n + 1;
  if (gVertexCount <= i0 + 1) return parts;
  parts.hollow = true;
  const int64_t m = (gVertexCount - i0 - 1) / (s + 1);
  const double heights[3] = {vase.height, 0, vase.bottomThickness};
  for (int64_t k = 0; k < gTriangleCount; ++k) {
    const int64_t* t = &gTriIndex[3 * k];
    for (int p = 0; p < 3; ++p) {
      double z = heights[p];
      if (std::fabs(gVertZ[t[0]] - z) < 1e-9 && std::fabs(gVertZ[t[1]] - z) < 1e-9 &&
          std::fabs(gVertZ[t[2]] - z) < 1e-9) {
        double a = TriangleCross(k) / 2 * (p == 1 ? -1 : 1);
        parts.area[p] += a;
        if (!(a > 0)) ++parts.wrong[p];
        break;
      }
    }
  }
  parts.expected[0] = SliceArea(s * n, n) - SliceArea(i0 + s * m, m);
  parts.expected[1] = SliceArea(0, n);
  parts.expected[2] = SliceArea(i0, m);
  parts.unmatchedEdges = UnmatchedEdges();
  return parts;
}

void ExpectSoundFlatParts(const PreviewFlatParts& parts, const std::string& name) {
  EXPECT_EQ(parts.unmatchedEdges, 0) << name;
  for (int p = 0; p < 3; ++p) {
    EXPECT_EQ(parts.wrong[p], 0) << name << ", part " << p;
    EXPECT_NEAR(parts.area[p], parts.expected[p], 0.005 * parts.expected[p]) << name << ", part " << p;
  }
}

// The renderer's spans and shortcuts must not change a single pixel: frames
// are compared with a plain per-pixel rendering of the same mesh.
#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "tests/support/vase_rings.h"
#include "vase/preview_mesh.h"
#include "vase/preview_renderer.h"

namespace {

struct ReferenceFrame {
  std::vector<uint32_t> colour;
  std::vector<float> depth;
};

ReferenceFrame RenderReference(int64_t w, int64_t h, double yaw, double pitch, double zoom) {
  ReferenceFrame f;
  f.colour.resize(w * h);
  f.depth.assign(w * h, 0.0f);
  for (int64_t y = 0; y < h; ++y)
    for (int64_t x = 0; x < w; ++x) f.colour[y * w + x] = BackgroundColour(y, h);
  if (gVertexCount < 4) return f;
  double cy = std::cos(yaw * M_PI / 180), sy = std::sin(yaw * M_PI / 180);
  double cp = std::cos(pitch * M_PI / 180), sp = std::sin(pitch * M_PI / 180);
  double half = 17.5 * M_PI / 180;
  double focal = (h / 2.0) / std::tan(half);
  double dist = gMeshRadius / std::sin(half) * 1.08 / zoom;
  std::vector<double> sx(gVertexCount), sy2(gVertexCount), depth(gVertexCount), cx(gVertexCount), cu(gVertexCount);
  for (int64_t v = 0; v < gVertexCount; ++v) {
    double z = gVertZ[v] - gMeshHeight / 2;
    double x1 = gVertX[v] * cy + gVertY[v] * sy;
    double y1 = -gVertX[v] * sy + gVertY[v] * cy;
    cx[v] = x1;
    cu[v] = z * cp + y1 * sp;
    depth[v] = dist + y1 * cp - z * sp;
    if (depth[v] > 0.01 * gMeshRadius) {
      sx[v] = w / 2.0 + focal * cx[v] / depth[v];
      sy2[v] = h / 2.0 - focal * cu[v] / depth[v];
    } else {
      depth[v] = 0;
    }
  }
  for (int64_t t = 0; t < gTriangleCount; ++t) {
    int64_t a = gTriIndex[3 * t], b = gTriIndex[3 * t + 1], c = gTriIndex[3 * t + 2];
    uint32_t front = gTriKind[t] == TRI_FLOOR ? FLOOR_COLOUR : WALL_FRONT_COLOUR;
    uint32_t back = gTriKind[t] == TRI_FLOOR ? FLOOR_COLOUR : WALL_BACK_COLOUR;
    if (depth[a] <= 0 || depth[b] <= 0 || depth[c] <= 0) continue;
    double A = (sx[b] - sx[a]) * (sy2[c] - sy2[a]) - (sy2[b] - sy2[a]) * (sx[c] - sx[a]);
    if (std::fabs(A) < 1e-9) continue;
    double e1x = cx[b] - cx[a], e1u = cu[b] - cu[a], e1d = depth[b] - depth[a];
    double e2x = cx[c] - cx[a], e2u = cu[c] - cu[a], e2d = depth[c] - depth[a];
    double nx = e1u * e2d - e1d * e2u, nu = e1d * e2x - e1x * e2d, nd = e1x * e2u - e1u * e2x;
    double len = std::sqrt(nx * nx + nu * nu + nd * nd);
    int64_t k = 256;
    if (len > 0) {
      k = static_cast<int64_t>(
          std::nearbyint((std::fabs(-0.35 * nx + 0.45 * nu - 0.8200000000000001 * nd) * 0.7 / len + 0.3) * 256));
      if (k > 256) k = 256;
    }
    uint32_t base = A < 0 ? front : back;
    uint32_t colour = PackColour(((base & 0xFF) * k) >> 8, (((base >> 8) & 0xFF) * k) >> 8,
                                 (((base >> 16) & 0xFF) * k) >> 8);
    int64_t x0 = static_cast<int64_t>(std::fmin(sx[a], std::fmin(sx[b], sx[c])));
    int64_t x1 = static_cast<int64_t>(std::fmax(sx[a], std::fmax(sx[b], sx[c]))) + 1;
    int64_t y0 = static_cast<int64_t>(std::fmin(sy2[a], std::fmin(sy2[b], sy2[c])));
    int64_t y1 = static_cast<int64_t>(std::fmax(sy2[a], std::fmax(sy2[b], sy2[c]))) + 1;
    if (x0 < 0) x0 = 0;
    if (y0 < 0) y0 = 0;
    if (x1 > w - 1) x1 = w - 1;
    if (y1 > h - 1) y1 = h - 1;
    for (int64_t py = y0; py <= y1; ++py) {
      for (int64_t px = x0; px <= x1; ++px) {
        double X = px + 0.5, Y = py + 0.5;
        double wa = ((sx[c] - sx[b]) * (Y - sy2[b]) - (sy2[c] - sy2[b]) * (X - sx[b])) / A;
        double wb = ((sx[a] - sx[c]) * (Y - sy2[c]) - (sy2[a] - sy2[c]) * (X - sx[c])) / A;
        double wc = 1 - wa - wb;
        if (wa < 0 || wb < 0 || wa + wb > 1) continue;
        float iz = static_cast<float>(wa / depth[a] + wb / depth[b] + wc / depth[c]);
        if (f.depth[py * w + px] < iz) {
          f.depth[py * w + px] = iz;
          f.colour[py * w + px] = colour;
        }
      }
    }
  }
  return f;
}

void ExpectSameFrame(int64_t w, int64_t h, double yaw, double pitch, double zoom) {
  RenderPreviewMesh(w, h, yaw, pitch, zoom);
  ReferenceFrame f = RenderReference(w, h, yaw, pitch, zoom);
  int64_t colourDiffs = 0, depthDiffs = 0;
  for (int64_t i = 0; i < w * h; ++i) {
    colourDiffs += gFrameColour[i] != f.colour[i];
    depthDiffs += gDepthBuffer[i] != f.depth[i];
  }
  EXPECT_EQ(colourDiffs, 0) << "yaw " << yaw << " pitch " << pitch << " zoom " << zoom;
  EXPECT_EQ(depthDiffs, 0) << "yaw " << yaw << " pitch " << pitch << " zoom " << zoom;
}

TEST(PreviewRendererReference, HollowTwistedVaseFromSeveralViews) {
  DesignResult r;
  r.valid = 1;
  r.outlinePoints = GearRing(20, 40, 5, 4);
  r.baseLinePoints = CircleRing(400, 40);
  VaseParams v;
  v.hollow = 1;
  v.steps = 30;
  v.twist = 70;
  v.bulge = 0.3;
  v.topScale = 0.7;
  v.innerWallMode = INNER_WALL_FOLLOW_PATTERN;
  RebuildPreviewMeshFor(r, v, 0);
  ASSERT_GT(gVertexCount, 0);
  ExpectSameFrame(300, 260, 35, 28, 1);
  ExpectSameFrame(300, 260, -120, 75, 1.7);
  ExpectSameFrame(257, 311, 10, -60, 0.6);
  ExpectSameFrame(300, 260, 200, 5, 9);  // vertices behind the camera
}

TEST(PreviewRendererReference, FineSolidVaseWithSliversAndFans) {
  DesignResult r;
  r.valid = 1;
  r.outlinePoints = CircleRing(1400, 30);
  for (size_t i = 0; i < r.outlinePoints.size(); i += 2) {
    r.outlinePoints[i].x *= 1.02;
    r.outlinePoints[i].y *= 1.02;
  }
  r.baseLinePoints = CircleRing(400, 30);
  VaseParams v;
  v.steps = 80;
  v.twist = -30;
  RebuildPreviewMeshFor(r, v, 0);
  ExpectSameFrame(400, 380, 35, 28, 1);
  ExpectSameFrame(400, 380, 90, 89, 2.5);
  ExpectSameFrame(123, 77, 0, 0, 1);
}

}  // namespace

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

struct Projection {
  std::vector<double> sx, sy2, depth, cx, cu;
};

void ReferenceTriangle(ReferenceFrame& f, const Projection& p, int64_t w, int64_t h, int64_t a, int64_t b, int64_t c,
                       uint32_t front, uint32_t back) {
  const std::vector<double>& sx = p.sx;
  const std::vector<double>& sy2 = p.sy2;
  const std::vector<double>& depth = p.depth;
  const std::vector<double>& cx = p.cx;
  const std::vector<double>& cu = p.cu;
  if (depth[a] <= 0 || depth[b] <= 0 || depth[c] <= 0) return;
  double A = (sx[b] - sx[a]) * (sy2[c] - sy2[a]) - (sy2[b] - sy2[a]) * (sx[c] - sx[a]);
  if (std::fabs(A) < 1e-9) return;
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
  Projection p;
  p.sx.resize(gVertexCount);
  p.sy2.resize(gVertexCount);
  p.depth.resize(gVertexCount);
  p.cx.resize(gVertexCount);
  p.cu.resize(gVertexCount);
  std::vector<double>& sx = p.sx;
  std::vector<double>& sy2 = p.sy2;
  std::vector<double>& depth = p.depth;
  std::vector<double>& cx = p.cx;
  std::vector<double>& cu = p.cu;
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
    if (gTriKind[t] == TRI_FLOOR)
      ReferenceTriangle(f, p, w, h, a, b, c, FLOOR_COLOUR, FLOOR_COLOUR);
    else
      ReferenceTriangle(f, p, w, h, a, b, c, WALL_FRONT_COLOUR, WALL_BACK_COLOUR);
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

// A valid design whose outline is a gear about a 40 mm base circle.
DesignResult GearDesign(int teeth, double depth, int perSide) {
  DesignResult r;
  r.valid = 1;
  r.outlinePoints = GearRing(teeth, 40, depth, perSide);
  r.baseLinePoints = CircleRing(400, 40);
  return r;
}

TEST(PreviewRendererReference, HollowTwistedVaseFromSeveralViews) {
  DesignResult r = GearDesign(20, 5, 4);
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

// Draws the triangles (three vertex indices each, of the projection p) over
// a w x h background with the renderer and with the rule, expects the same
// frame, and gives the number of pixels drawn.
int64_t DrawBothAndCompare(const Projection& p, const std::vector<int64_t>& tris, int64_t w, int64_t h) {
  gVertexCount = 0;
  RenderPreviewMesh(w, h, 0, 0, 1);
  ReferenceFrame f;
  f.colour = gFrameColour;
  f.depth = gDepthBuffer;
  gScreenX = p.sx;
  gScreenY = p.sy2;
  gViewDepth = p.depth;
  gCamX = p.cx;
  gCamUp = p.cu;
  for (size_t t = 0; t < tris.size(); t += 3) {
    uint32_t front = t % 2 ? FLOOR_COLOUR : WALL_FRONT_COLOUR;
    RasterizeTriangle(tris[t], tris[t + 1], tris[t + 2], front, WALL_BACK_COLOUR);
    ReferenceTriangle(f, p, w, h, tris[t], tris[t + 1], tris[t + 2], front, WALL_BACK_COLOUR);
  }
  int64_t drawn = 0;
  for (int64_t i = 0; i < w * h; ++i) {
    EXPECT_EQ(gFrameColour[i], f.colour[i]) << i % w << "," << i / w;
    EXPECT_EQ(gDepthBuffer[i], f.depth[i]) << i % w << "," << i / w;
    drawn += f.depth[i] > 0;
  }
  return drawn;
}

// Corners on pixel centres and pixel edges put many centres exactly on
// triangle edges, shared by neighbours: the ties must fall as in the rule.
TEST(PreviewRendererReference, EdgesThroughPixelCentres) {
  const int64_t w = 40, h = 36;
  Projection p;
  auto add = [&p](double x, double y, double d) {
    p.sx.push_back(x);
    p.sy2.push_back(y);
    p.depth.push_back(d);
    p.cx.push_back(x * d / 500);
    p.cu.push_back((18 - y) * d / 500);
  };
  // A fan of 16 triangles about (20.5, 18.5) with corners on a square of
  // half-integer coordinates, and a grid of right triangles.
  add(20.5, 18.5, 100);
  const double ring[][2] = {{10.5, 8.5}, {20.5, 8.5}, {30.5, 8.5}, {30.5, 18.5}, {30.5, 28.5}, {20.5, 28.5},
                            {10.5, 28.5}, {10.5, 18.5}, {14.5, 8.5}, {26, 8.5}, {30.5, 13}, {30.5, 24.5}};
  for (const auto& q : ring) add(q[0], q[1], 100 + q[0] - q[1]);
  for (int gy = 0; gy <= 4; ++gy)
    for (int gx = 0; gx <= 4; ++gx) add(2.5 + 3 * gx, 2.5 + 2 * gy, 90 + gx + gy);
  std::vector<int64_t> tris;
  for (int64_t k = 1; k <= 8; ++k) tris.insert(tris.end(), {0, k, k % 8 + 1});
  for (int64_t k = 9; k <= 12; ++k) tris.insert(tris.end(), {0, k, k == 12 ? 1 : k + 1});
  for (int gy = 0; gy < 4; ++gy)
    for (int gx = 0; gx < 4; ++gx) {
      int64_t v = 13 + gy * 5 + gx;
      tris.insert(tris.end(), {v, v + 1, v + 6, v, v + 6, v + 5});
    }
  EXPECT_GT(DrawBothAndCompare(p, tris, w, h), 400);
}

// Triangles of a pixel or two with corners on a quarter-pixel grid: many
// edges and corners fall exactly on pixel centres, where the ties decide.
TEST(PreviewRendererReference, TinyTrianglesOnAQuarterPixelGrid) {
  const int64_t w = 30, h = 24;
  uint64_t state = 777;
  auto next = [&state](int64_t n) {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<int64_t>((state >> 33) % static_cast<uint64_t>(n));
  };
  Projection p;
  std::vector<int64_t> tris;
  for (int64_t t = 0; t < 3000; ++t) {
    int64_t span = 1 + next(8);  // up to two pixels, in quarters
    double ox = -1 + 0.25 * static_cast<double>(next(4 * (w + 2)));
    double oy = -1 + 0.25 * static_cast<double>(next(4 * (h + 2)));
    for (int k = 0; k < 3; ++k) {
      double x = ox + 0.25 * static_cast<double>(next(span + 1));
      double y = oy + 0.25 * static_cast<double>(next(span + 1));
      double d = 50 + static_cast<double>(next(40));
      p.sx.push_back(x);
      p.sy2.push_back(y);
      p.depth.push_back(d);
      p.cx.push_back(x * d / 300 + static_cast<double>(k));
      p.cu.push_back((12 - y) * d / 300);
      tris.push_back(static_cast<int64_t>(p.sx.size()) - 1);
    }
  }
  EXPECT_GT(DrawBothAndCompare(p, tris, w, h), w * h / 2);
}

// A dense hollow mesh in a small frame: almost every triangle is smaller
// than a pixel.
TEST(PreviewRendererReference, DenseHollowVaseInASmallFrame) {
  DesignResult r = GearDesign(30, 3, 10);
  VaseParams v;
  v.hollow = 1;
  v.steps = 200;
  v.twist = 25;
  RebuildPreviewMeshFor(r, v, 0);
  ASSERT_GT(gTriangleCount, 20000);
  ExpectSameFrame(160, 140, 35, 28, 1);
  ExpectSameFrame(97, 151, -70, 60, 1.3);
}

// Random triangles of every size and shape, many crossing the frame edge,
// some nearly flat, some with near-equal vertices.
TEST(PreviewRendererReference, RandomTriangles) {
  uint64_t state = 12345;
  auto next = [&state]() {
    state = state * 6364136223846793005ULL + 1442695040888963407ULL;
    return static_cast<double>(state >> 11) / 9007199254740992.0;
  };
  const int64_t count = 600;
  gVertexCount = 3 * count;
  gVertX.resize(gVertexCount);
  gVertY.resize(gVertexCount);
  gVertZ.resize(gVertexCount);
  gTriangleCount = 0;
  for (int64_t t = 0; t < count; ++t) {
    double size = t % 3 == 0 ? 60 : (t % 3 == 1 ? 4 : 0.3);
    double cx = next() * 100 - 50, cy = next() * 100 - 50, cz = next() * 100;
    for (int k = 0; k < 3; ++k) {
      int64_t v = 3 * t + k;
      gVertX[v] = cx + (next() - 0.5) * size;
      gVertY[v] = cy + (next() - 0.5) * size;
      gVertZ[v] = t % 7 == 0 ? cz : cz + (next() - 0.5) * size;
      if (t % 11 == 0 && k == 2) gVertX[v] = gVertX[v - 1] + 1e-7;
    }
    AddMeshTriangle(3 * t, 3 * t + 1, 3 * t + 2, t % 5 == 0 ? TRI_FLOOR : TRI_WALL);
  }
  gMeshRadius = 70;
  gMeshHeight = 100;
  ExpectSameFrame(211, 173, 35, 28, 1);
  ExpectSameFrame(211, 173, 0, 0, 1);
  ExpectSameFrame(211, 173, 90, 0, 3);
  ExpectSameFrame(64, 300, -45, 80, 0.4);
}

}  // namespace

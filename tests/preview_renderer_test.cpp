#include <gtest/gtest.h>

#include <cmath>
#include <set>
#include <vector>

#include "tests/support/vase_rings.h"
#include "vase/preview_mesh.h"
#include "vase/preview_renderer.h"

namespace {

uint32_t Scaled(uint32_t colour, uint32_t k) {
  return PackColour(((colour & 0xFF) * k) >> 8, (((colour >> 8) & 0xFF) * k) >> 8, (((colour >> 16) & 0xFF) * k) >> 8);
}

struct Vertex {
  double x, y, z;
};

// A hand-made mesh: the vertices given plus unused ones up to four, the
// renderer's smallest mesh.
void SetMesh(std::vector<Vertex> vertices, const std::vector<int64_t>& triangles, const std::vector<uint8_t>& kinds) {
  while (vertices.size() < 4) vertices.push_back({0, 0, 0});
  gVertexCount = static_cast<int64_t>(vertices.size());
  gVertX.resize(vertices.size());
  gVertY.resize(vertices.size());
  gVertZ.resize(vertices.size());
  for (size_t i = 0; i < vertices.size(); ++i) {
    gVertX[i] = vertices[i].x;
    gVertY[i] = vertices[i].y;
    gVertZ[i] = vertices[i].z;
  }
  gTriangleCount = 0;
  for (size_t k = 0; k < kinds.size(); ++k)
    AddMeshTriangle(triangles[3 * k], triangles[3 * k + 1], triangles[3 * k + 2], kinds[k]);
  gMeshRadius = 30;
  gMeshHeight = 0;
}

int64_t CountPixels(uint32_t colour) {
  int64_t count = 0;
  for (int64_t i = 0; i < gFrameW * gFrameH; ++i) count += gFrameColour[i] == colour;
  return count;
}

int64_t CountBackground() {
  int64_t count = 0;
  for (int64_t y = 0; y < gFrameH; ++y)
    for (int64_t x = 0; x < gFrameW; ++x) count += gFrameColour[y * gFrameW + x] == BackgroundColour(y, gFrameH);
  return count;
}

// A triangle about the view centre whose plane is perpendicular to the
// camera-space normal (right, up, depth), seen at yaw 0 and pitch 0 (world
// x is right, z up, y away from the camera), wound counter-clockwise on the
// screen.
std::vector<Vertex> FacingTriangle(double nr, double nu, double nd) {
  double n[3] = {nr, nd, nu};  // in world x, y, z
  double helper[3] = {0, 0, 1};
  if (std::fabs(nu) > 0.9 * std::sqrt(nr * nr + nu * nu + nd * nd)) helper[0] = 1, helper[2] = 0;
  double u[3] = {n[1] * helper[2] - n[2] * helper[1], n[2] * helper[0] - n[0] * helper[2],
                 n[0] * helper[1] - n[1] * helper[0]};
  double w[3] = {n[1] * u[2] - n[2] * u[1], n[2] * u[0] - n[0] * u[2], n[0] * u[1] - n[1] * u[0]};
  double lu = std::sqrt(u[0] * u[0] + u[1] * u[1] + u[2] * u[2]);
  double lw = std::sqrt(w[0] * w[0] + w[1] * w[1] + w[2] * w[2]);
  std::vector<Vertex> v = {{-10 * u[0] / lu - 8 * w[0] / lw, -10 * u[1] / lu - 8 * w[1] / lw, -10 * u[2] / lu - 8 * w[2] / lw},
                           {12 * u[0] / lu, 12 * u[1] / lu, 12 * u[2] / lu},
                           {10 * w[0] / lw, 10 * w[1] / lw, 10 * w[2] / lw}};
  SetMesh(v, {0, 1, 2}, {TRI_WALL});
  RenderPreviewMesh(160, 120, 0, 0, 1);
  double area = (gScreenX[1] - gScreenX[0]) * (gScreenY[2] - gScreenY[0]) -
                (gScreenY[1] - gScreenY[0]) * (gScreenX[2] - gScreenX[0]);
  if (area > 0) std::swap(v[1], v[2]);
  return v;
}

TEST(PreviewRenderer, BackgroundGradientRows) {
  gVertexCount = 0;
  RenderPreviewMesh(50, 40, 35, 28, 1);
  ASSERT_EQ(gFrameW, 50);
  ASSERT_EQ(gFrameH, 40);
  EXPECT_EQ(gFrameColour[0], PackColour(250, 250, 252));
  EXPECT_EQ(gFrameColour[49], PackColour(250, 250, 252));
  EXPECT_EQ(gFrameColour[20 * 50 + 7], PackColour(235, 236, 241));
  EXPECT_EQ(gFrameColour[39 * 50], PackColour(221, 223, 231));
  EXPECT_EQ(CountBackground(), 50 * 40);
  for (int64_t i = 0; i < 50 * 40; ++i) ASSERT_EQ(gDepthBuffer[i], 0.0f);
}

TEST(PreviewRenderer, SizeBelowOnePixelKeepsTheBuffers) {
  gVertexCount = 0;
  RenderPreviewMesh(10, 10, 35, 28, 1);
  gFrameColour[5] = 1234;
  RenderPreviewMesh(0, 10, 35, 28, 1);
  RenderPreviewMesh(10, -1, 35, 28, 1);
  EXPECT_EQ(gFrameW, 10);
  EXPECT_EQ(gFrameH, 10);
  EXPECT_EQ(gFrameColour[5], 1234u);
}

TEST(PreviewRenderer, LightFactorOfFacingAndPerpendicularFaces) {
  // Facing the light: k = 256, the colours unchanged.
  std::vector<Vertex> v = FacingTriangle(-0.35, 0.45, -0.82);
  SetMesh(v, {0, 1, 2}, {TRI_WALL});
  RenderPreviewMesh(160, 120, 0, 0, 1);
  int64_t front = CountPixels(WALL_FRONT_COLOUR);
  EXPECT_GT(front, 100);
  EXPECT_EQ(front + CountBackground(), 160 * 120);
  // The same face wound the other way shows its back side.
  SetMesh(v, {0, 2, 1}, {TRI_WALL});
  RenderPreviewMesh(160, 120, 0, 0, 1);
  EXPECT_EQ(CountPixels(WALL_BACK_COLOUR), front);
  SetMesh(v, {0, 2, 1}, {TRI_FLOOR});
  RenderPreviewMesh(160, 120, 0, 0, 1);
  EXPECT_EQ(CountPixels(FLOOR_COLOUR), front);

  // Perpendicular to the light: k = 77.
  v = FacingTriangle(0.82, 0, -0.35);
  SetMesh(v, {0, 1, 2}, {TRI_WALL});
  RenderPreviewMesh(160, 120, 0, 0, 1);
  int64_t dim = CountPixels(Scaled(WALL_FRONT_COLOUR, 77));
  EXPECT_GT(dim, 100);
  EXPECT_EQ(dim + CountBackground(), 160 * 120);
}

TEST(PreviewRenderer, EqualDepthKeepsTheFirstTriangle) {
  std::vector<Vertex> v = FacingTriangle(-0.35, 0.45, -0.82);
  SetMesh(v, {0, 1, 2, 0, 1, 2}, {TRI_WALL, TRI_FLOOR});
  RenderPreviewMesh(160, 120, 0, 0, 1);
  EXPECT_GT(CountPixels(WALL_FRONT_COLOUR), 100);
  EXPECT_EQ(CountPixels(FLOOR_COLOUR), 0);
  SetMesh(v, {0, 1, 2, 0, 1, 2}, {TRI_FLOOR, TRI_WALL});
  RenderPreviewMesh(160, 120, 0, 0, 1);
  EXPECT_EQ(CountPixels(WALL_FRONT_COLOUR), 0);
}

TEST(PreviewRenderer, EdgeOnAndBehindTheCameraAreNotDrawn) {
  // The plane x = 0 holds the camera at yaw 0: seen edge-on.
  SetMesh({{0, -5, -5}, {0, 5, -5}, {0, 0, 8}}, {0, 1, 2}, {TRI_WALL});
  RenderPreviewMesh(160, 120, 0, 0, 1);
  EXPECT_EQ(CountBackground(), 160 * 120);
  // Vertex 3 lies behind the camera (about 107.7 mm in front of the centre):
  // its triangle goes, the other one stays.
  SetMesh({{-10, 0, -10}, {10, 0, -10}, {0, 0, 10}, {5, -200, 0}}, {0, 1, 2, 0, 1, 3}, {TRI_WALL, TRI_WALL});
  RenderPreviewMesh(160, 120, 0, 0, 1);
  EXPECT_EQ(gViewDepth[3], 0);
  int64_t drawn = 160 * 120 - CountBackground();
  SetMesh({{-10, 0, -10}, {10, 0, -10}, {0, 0, 10}}, {0, 1, 2}, {TRI_WALL});
  RenderPreviewMesh(160, 120, 0, 0, 1);
  EXPECT_GT(drawn, 100);
  EXPECT_EQ(drawn, 160 * 120 - CountBackground());
}

// A whole vase read back: every pixel is its row's background or one of the
// three colours scaled by a light factor 77..256, and each of the three
// shows up (looking down into the open top of a solid vase).
TEST(PreviewRenderer, FrameOfAVaseUsesOnlyShadedColours) {
  DesignResult r;
  r.valid = 1;
  r.outlinePoints = GearRing(16, 40, 4, 5);
  r.baseLinePoints = CircleRing(400, 40);
  VaseParams v;
  v.steps = 12;
  v.twist = 45;
  v.bulge = 0.2;
  RebuildPreviewMeshFor(r, v, 0);
  ASSERT_GT(gVertexCount, 0);
  RenderPreviewMesh(320, 300, 35, 60, 1.3);

  std::set<uint32_t> allowed[3];
  const uint32_t bases[3] = {WALL_FRONT_COLOUR, WALL_BACK_COLOUR, FLOOR_COLOUR};
  for (int c = 0; c < 3; ++c)
    for (uint32_t k = 77; k <= 256; ++k) allowed[c].insert(Scaled(bases[c], k));
  int64_t seen[3] = {0, 0, 0};
  for (int64_t y = 0; y < gFrameH; ++y) {
    for (int64_t x = 0; x < gFrameW; ++x) {
      uint32_t colour = gFrameColour[y * gFrameW + x];
      bool background = colour == BackgroundColour(y, gFrameH);
      bool shaded = false;
      for (int c = 0; c < 3; ++c)
        if (allowed[c].count(colour)) shaded = true, ++seen[c];
      ASSERT_TRUE(background || shaded) << x << "," << y;
      EXPECT_EQ(gDepthBuffer[y * gFrameW + x] > 0, !background || shaded) << x << "," << y;
    }
  }
  EXPECT_GT(seen[0], 1000);
  EXPECT_GT(seen[1], 100);
  EXPECT_GT(seen[2], 100);
}

TEST(BlitFrameBuffer, FormatsRowPitchAndOrientation) {
  gVertexCount = 0;
  RenderPreviewMesh(3, 2, 0, 0, 1);
  gFrameColour[0] = PackColour(1, 2, 3);
  gFrameColour[2] = PackColour(7, 8, 9);
  gFrameColour[3] = PackColour(10, 11, 12);

  std::vector<uint8_t> out(2 * 12, 0xEE);
  ASSERT_EQ(BlitFrameBuffer(out.data(), 3, 2, 12, PIXELS_RGB24, 0), 1);
  EXPECT_EQ(out[0], 1);
  EXPECT_EQ(out[1], 2);
  EXPECT_EQ(out[2], 3);
  EXPECT_EQ(out[6], 7);
  EXPECT_EQ(out[8], 9);
  EXPECT_EQ(out[9], 0xEE);  // row padding untouched
  EXPECT_EQ(out[11], 0xEE);
  EXPECT_EQ(out[12], 10);

  std::fill(out.begin(), out.end(), 0xEE);
  ASSERT_EQ(BlitFrameBuffer(out.data(), 3, 2, 12, PIXELS_BGRA32, 1), 1);
  // Bottom-up: frame row 0 lands in output row 1.
  EXPECT_EQ(out[12], 3);
  EXPECT_EQ(out[13], 2);
  EXPECT_EQ(out[14], 1);
  EXPECT_EQ(out[15], 255);
  EXPECT_EQ(out[0], 12);
  EXPECT_EQ(out[2], 10);

  std::fill(out.begin(), out.end(), 0xEE);
  ASSERT_EQ(BlitFrameBuffer(out.data(), 2, 1, 8, PIXELS_RGBA32, 0), 1);
  EXPECT_EQ(out[3], 255);
  EXPECT_EQ(out[8], 0xEE);  // only the smaller size is written
  ASSERT_EQ(BlitFrameBuffer(out.data(), 1, 1, 8, PIXELS_BGR24, 0), 1);
  EXPECT_EQ(out[0], 3);
  EXPECT_EQ(out[2], 1);
  EXPECT_EQ(out[3], 255);

  EXPECT_EQ(BlitFrameBuffer(nullptr, 3, 2, 12, PIXELS_RGB24, 0), 0);
  EXPECT_EQ(BlitFrameBuffer(out.data(), 3, 2, 12, static_cast<PixelFormat>(9), 0), 0);
  EXPECT_EQ(BlitFrameBuffer(out.data(), 0, 2, 12, PIXELS_RGB24, 0), 0);
}

}  // namespace

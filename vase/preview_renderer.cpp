#include "vase/preview_renderer.h"

#include <algorithm>
#include <cmath>

#include "vase/preview_mesh.h"

int64_t gFrameW = 0, gFrameH = 0;
std::vector<uint32_t> gFrameColour;
std::vector<float> gDepthBuffer;
std::vector<double> gScreenX, gScreenY, gViewDepth, gCamX, gCamUp;

namespace {

constexpr double NEAR_FRACTION = 0.01;
constexpr double CAMERA_MARGIN = 1.08;

}  // namespace

uint32_t BackgroundColour(int64_t y, int64_t h) {
  return PackColour(static_cast<uint32_t>(250 - (30 * y) / h), static_cast<uint32_t>(250 - (28 * y) / h),
                    static_cast<uint32_t>(252 - (22 * y) / h));
}

void FillBackgroundRows(int64_t y0, int64_t y1) {
  y0 = std::max<int64_t>(y0, 0);
  y1 = std::min(y1, gFrameH);
  for (int64_t y = y0; y < y1; ++y)
    std::fill_n(gFrameColour.data() + y * gFrameW, gFrameW, BackgroundColour(y, gFrameH));
}

void RenderPreviewMesh(int64_t width, int64_t height, double yawDegrees, double pitchDegrees, double zoom) {
  if (width < 1 || height < 1) return;
  if (width != gFrameW || height != gFrameH) {
    // The size is taken only once both buffers hold it, so that memory
    // running out in between leaves them to be made again next time.
    gFrameW = gFrameH = 0;
    gFrameColour.assign(static_cast<size_t>(width * height), 0);
    gDepthBuffer.assign(static_cast<size_t>(width * height), 0.0f);
    gFrameW = width;
    gFrameH = height;
  }
  FillBackgroundRows(0, height);
  std::fill(gDepthBuffer.begin(), gDepthBuffer.end(), 0.0f);
  if (gVertexCount < 4) return;

  double yaw = yawDegrees * (M_PI / 180.0), pitch = pitchDegrees * (M_PI / 180.0);
  double cy = std::cos(yaw), sy = std::sin(yaw);
  double cp = std::cos(pitch), sp = std::sin(pitch);
  double halfFov = HALF_FOV_DEG * (M_PI / 180.0);
  double focal = (static_cast<double>(height) / 2) / std::tan(halfFov);
  double distance = gMeshRadius / std::sin(halfFov) * CAMERA_MARGIN / zoom;
  double nearDepth = NEAR_FRACTION * gMeshRadius;
  double halfW = static_cast<double>(width) / 2, halfH = static_cast<double>(height) / 2;
  double midZ = gMeshHeight / 2;

  // Asked of the array made last, so that arrays left short by memory
  // running out are all made again.
  if (static_cast<int64_t>(gCamUp.size()) < gVertexCount) {
    size_t n = static_cast<size_t>(gVertexCount);
    gScreenX.assign(n, 0);
    gScreenY.assign(n, 0);
    gViewDepth.assign(n, 0);
    gCamX.assign(n, 0);
    gCamUp.assign(n, 0);
  }
  for (int64_t v = 0; v < gVertexCount; ++v) {
    double x = gVertX[v], y = gVertY[v];
    double z = gVertZ[v] - midZ;
    double x1 = x * cy + y * sy;
    double y1 = -x * sy + y * cy;
    double camUp = z * cp + y1 * sp;
    double depth = distance + y1 * cp - z * sp;
    gCamX[v] = x1;
    gCamUp[v] = camUp;
    if (depth > nearDepth) {
      gScreenX[v] = halfW + focal * x1 / depth;
      gScreenY[v] = halfH - focal * camUp / depth;
      gViewDepth[v] = depth;
    } else {
      gViewDepth[v] = 0;
    }
  }

  const int64_t* tri = gTriIndex.data();
  for (int64_t t = 0; t < gTriangleCount; ++t, tri += 3) {
    if (gTriKind[t] == TRI_FLOOR)
      RasterizeTriangle(tri[0], tri[1], tri[2], FLOOR_COLOUR, FLOOR_COLOUR);
    else
      RasterizeTriangle(tri[0], tri[1], tri[2], WALL_FRONT_COLOUR, WALL_BACK_COLOUR);
  }
}

int64_t BlitFrameBuffer(uint8_t* pixels, int64_t width, int64_t height, int64_t rowStride, PixelFormat format,
                        int64_t bottomUp) {
  if (pixels == nullptr) return 0;
  int64_t bytes = format == PIXELS_RGBA32 || format == PIXELS_BGRA32 ? 4 : 3;
  if (format != PIXELS_RGB24 && format != PIXELS_BGR24 && bytes != 4) return 0;
  int64_t w = std::min(gFrameW, width), h = std::min(gFrameH, height);
  if (w < 1 || h < 1) return 0;
  bool redFirst = format == PIXELS_RGB24 || format == PIXELS_RGBA32;
  for (int64_t y = 0; y < h; ++y) {
    int64_t row = bottomUp ? h - 1 - y : y;
    uint8_t* out = pixels + row * rowStride;
    const uint32_t* in = gFrameColour.data() + y * gFrameW;
    for (int64_t x = 0; x < w; ++x, out += bytes) {
      uint32_t colour = in[x];
      uint8_t r = static_cast<uint8_t>(colour), g = static_cast<uint8_t>(colour >> 8),
              b = static_cast<uint8_t>(colour >> 16);
      out[0] = redFirst ? r : b;
      out[1] = g;
      out[2] = redFirst ? b : r;
      if (bytes == 4) out[3] = 255;
    }
  }
  return 1;
}

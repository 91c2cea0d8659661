#include "vase/preview_renderer.h"

#include <algorithm>
#include <cmath>

#include "vase/preview_mesh.h"

int64_t gFrameW = 0, gFrameH = 0;
std::vector<uint32_t> gFrameColour;
std::vector<float> gDepthBuffer;
std::vector<double> gScreenX, gScreenY, gViewDepth, gCamX, gCamUp;

namespace {

constexpr double LIGHT_RIGHT = -0.35;
constexpr double LIGHT_UP = 0.45;
constexpr double LIGHT_DEPTH = 0.8200000000000001;  // subtracted
constexpr double NEAR_FRACTION = 0.01;
constexpr double CAMERA_MARGIN = 1.08;
constexpr double MIN_SCREEN_AREA = 1e-9;

uint32_t ShadeColour(uint32_t colour, int64_t k) {
  uint32_t r = ((colour & 0xFF) * static_cast<uint32_t>(k)) >> 8;
  uint32_t g = (((colour >> 8) & 0xFF) * static_cast<uint32_t>(k)) >> 8;
  uint32_t b = (((colour >> 16) & 0xFF) * static_cast<uint32_t>(k)) >> 8;
  return r | (g << 8) | (b << 16);
}

int64_t LightFactor(double nx, double nu, double nd) {
  double length = std::sqrt(nx * nx + nu * nu + nd * nd);
  if (!(length > 0)) return 256;
  double k = std::nearbyint((std::fabs(LIGHT_RIGHT * nx + LIGHT_UP * nu - LIGHT_DEPTH * nd) * 0.7 / length + 0.3) * 256);
  return k > 256 ? 256 : static_cast<int64_t>(k);
}

}  // namespace

uint32_t BackgroundColour(int64_t y, int64_t h) {
  return PackColour(static_cast<uint32_t>(250 - (30 * y) / h), static_cast<uint32_t>(250 - (28 * y) / h),
                    static_cast<uint32_t>(252 - (22 * y) / h));
}

void RasterizeTriangle(int64_t a, int64_t b, int64_t c, uint32_t front, uint32_t back) {
  double da = gViewDepth[a], db = gViewDepth[b], dc = gViewDepth[c];
  if (da <= 0 || db <= 0 || dc <= 0) return;
  double xa = gScreenX[a], ya = gScreenY[a];
  double xb = gScreenX[b], yb = gScreenY[b];
  double xc = gScreenX[c], yc = gScreenY[c];
  double area = (xb - xa) * (yc - ya) - (yb - ya) * (xc - xa);
  // Also refuses a non-finite area, whose box could not be converted.
  if (!(std::fabs(area) >= MIN_SCREEN_AREA) || !std::isfinite(area)) return;

  double e1x = gCamX[b] - gCamX[a], e1u = gCamUp[b] - gCamUp[a], e1d = db - da;
  double e2x = gCamX[c] - gCamX[a], e2u = gCamUp[c] - gCamUp[a], e2d = dc - da;
  double nx = e1u * e2d - e1d * e2u;
  double nu = e1d * e2x - e1x * e2d;
  double nd = e1x * e2u - e1u * e2x;
  uint32_t colour = ShadeColour(area < 0 ? front : back, LightFactor(nx, nu, nd));

  double minX = std::min(xa, std::min(xb, xc)), maxX = std::max(xa, std::max(xb, xc));
  double minY = std::min(ya, std::min(yb, yc)), maxY = std::max(ya, std::max(yb, yc));
  double lastX = static_cast<double>(gFrameW - 1), lastY = static_cast<double>(gFrameH - 1);
  double fx0 = std::trunc(minX), fx1 = std::trunc(maxX) + 1;
  double fy0 = std::trunc(minY), fy1 = std::trunc(maxY) + 1;
  if (fx0 > lastX || fy0 > lastY || fx1 < 0 || fy1 < 0) return;
  int64_t x0 = fx0 < 0 ? 0 : static_cast<int64_t>(fx0);
  int64_t y0 = fy0 < 0 ? 0 : static_cast<int64_t>(fy0);
  int64_t x1 = fx1 > lastX ? gFrameW - 1 : static_cast<int64_t>(fx1);
  int64_t y1 = fy1 > lastY ? gFrameH - 1 : static_cast<int64_t>(fy1);
  if (x0 > x1 || y0 > y1) return;

  // wa and wb are the edge values divided by the area; their signs are the
  // edge values' signs (times the area's), so the division waits until a
  // pixel has passed both sign tests.
  double kax = xc - xb, kay = yc - yb;
  double kbx = xa - xc, kby = ya - yc;
  bool positive = area > 0;
  for (int64_t py = y0; py <= y1; ++py) {
    double sy = static_cast<double>(py) + 0.5;
    double rowA = kax * (sy - yb);
    double rowB = kbx * (sy - yc);
    uint32_t* colourRow = gFrameColour.data() + py * gFrameW;
    float* depthRow = gDepthBuffer.data() + py * gFrameW;
    for (int64_t px = x0; px <= x1; ++px) {
      double sx = static_cast<double>(px) + 0.5;
      double na = rowA - kay * (sx - xb);
      double nb = rowB - kby * (sx - xc);
      if (positive ? (na < 0 || nb < 0) : (na > 0 || nb > 0)) continue;
      double wa = na / area;
      double wb = nb / area;
      if (wa < 0 || wb < 0 || wa + wb > 1) continue;
      double wc = 1 - wa - wb;
      double iz = wa / da + wb / db + wc / dc;
      if (static_cast<double>(depthRow[px]) < iz) {
        depthRow[px] = static_cast<float>(iz);
        colourRow[px] = colour;
      }
    }
  }
}

void RenderPreviewMesh(int64_t width, int64_t height, double yawDegrees, double pitchDegrees, double zoom) {
  if (width < 1 || height < 1) return;
  if (width != gFrameW || height != gFrameH) {
    gFrameW = width;
    gFrameH = height;
    gFrameColour.assign(static_cast<size_t>(width * height), 0);
    gDepthBuffer.assign(static_cast<size_t>(width * height), 0.0f);
  }
  for (int64_t y = 0; y < height; ++y) {
    uint32_t colour = BackgroundColour(y, height);
    std::fill_n(gFrameColour.data() + y * width, width, colour);
  }
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

  if (static_cast<int64_t>(gScreenX.size()) < gVertexCount) {
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

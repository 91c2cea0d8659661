// The preview's software renderer: perspective, flat shading with one light,
// z-buffer, into a 32-bit colour buffer that the window copies out.
#pragma once

#include <cstdint>
#include <vector>

constexpr double HALF_FOV_DEG = 17.5;

// Colours as 0x00BBGGRR (red in the low byte).
constexpr uint32_t PackColour(uint32_t r, uint32_t g, uint32_t b) { return r | (g << 8) | (b << 16); }
constexpr uint32_t WALL_FRONT_COLOUR = PackColour(226, 200, 166);
constexpr uint32_t WALL_BACK_COLOUR = PackColour(150, 128, 108);
constexpr uint32_t FLOOR_COLOUR = PackColour(200, 176, 146);

extern int64_t gFrameW, gFrameH;
extern std::vector<uint32_t> gFrameColour;
extern std::vector<float> gDepthBuffer;  // 1 / depth; 0 = nothing drawn
extern std::vector<double> gScreenX, gScreenY, gViewDepth, gCamX, gCamUp;

// Background colour of row y of a frame of h rows.
uint32_t BackgroundColour(int64_t y, int64_t h);

// Renders the preview mesh for a canvas of width x height pixels; the camera
// is the view's yaw and pitch in degrees and its zoom factor.
void RenderPreviewMesh(int64_t width, int64_t height, double yawDegrees, double pitchDegrees, double zoom);
// Rows y0 up to y1 of the frame (kept within it) get their background back.
void FillBackgroundRows(int64_t y0, int64_t y1);
// Shades and draws one triangle given by three vertex indices (after the
// vertices were projected by RenderPreviewMesh).
void RasterizeTriangle(int64_t a, int64_t b, int64_t c, uint32_t front, uint32_t back);

enum PixelFormat : int64_t { PIXELS_RGB24 = 0, PIXELS_BGR24 = 1, PIXELS_RGBA32 = 2, PIXELS_BGRA32 = 3 };

// Copies the colour buffer into a caller's pixels (width x height, rowStride
// bytes per row); rows are flipped when bottomUp. 0 when nothing was copied.
int64_t BlitFrameBuffer(uint8_t* pixels, int64_t width, int64_t height, int64_t rowStride, PixelFormat format,
                        int64_t bottomUp);

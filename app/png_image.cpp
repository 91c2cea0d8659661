#include "app/png_image.h"

#include <png.h>

#include <cstring>

namespace {

// Larger images are refused rather than allocated: the program only shows
// its own small logo.
constexpr png_uint_32 MAX_IMAGE_SIDE = 4096;

}  // namespace

int64_t DecodePngImage(const uint8_t* bytes, int64_t size, RgbaImage& image) {
  image = RgbaImage();
  if (bytes == nullptr || size <= 0) return 0;
  png_image png;
  std::memset(&png, 0, sizeof png);
  png.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_memory(&png, bytes, static_cast<size_t>(size))) return 0;
  if (png.width == 0 || png.height == 0 || png.width > MAX_IMAGE_SIDE || png.height > MAX_IMAGE_SIDE) {
    png_image_free(&png);
    return 0;
  }
  png.format = PNG_FORMAT_RGBA;
  std::vector<uint8_t> pixels(PNG_IMAGE_SIZE(png));
  if (!png_image_finish_read(&png, nullptr, pixels.data(), 0, nullptr)) {
    png_image_free(&png);
    return 0;
  }
  image.width = png.width;
  image.height = png.height;
  image.rgba.swap(pixels);
  return 1;
}

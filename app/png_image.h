// PNG images decoded from bytes held in memory.
#pragma once

#include <cstdint>
#include <vector>

struct RgbaImage {
  int64_t width = 0;
  int64_t height = 0;
  std::vector<uint8_t> rgba;  // rows of width * 4 bytes, top row first
};

// Decodes a PNG into 8-bit RGBA; 1 on success, else 0 with the image empty.
int64_t DecodePngImage(const uint8_t* bytes, int64_t size, RgbaImage& image);

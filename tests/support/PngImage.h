// Reads an 8-bit, non-interlaced RGB or RGBA PNG file into pixels, so that tests can look
// at what a real renderer drew.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct PngImage {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> pixels;  // 0xRRGGBB, row by row

  // False when the file is missing or not a PNG of that kind.
  bool read(const std::string& path);
};

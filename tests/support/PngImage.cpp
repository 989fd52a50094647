#include "support/PngImage.h"

#include <zlib.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

namespace {

std::uint32_t bigEndian(const unsigned char* bytes) {
  return (std::uint32_t{bytes[0]} << 24) | (std::uint32_t{bytes[1]} << 16) |
         (std::uint32_t{bytes[2]} << 8) | bytes[3];
}

int paeth(int a, int b, int c) {
  int p = a + b - c;
  int pa = std::abs(p - a);
  int pb = std::abs(p - b);
  int pc = std::abs(p - c);
  return pa <= pb && pa <= pc ? a : pb <= pc ? b : c;
}

// Undoes the row filters in place; rows of `stride` bytes, each after its filter byte.
bool unfilter(std::vector<unsigned char>& data, int height, std::size_t stride, int channels) {
  for (int row = 0; row < height; ++row) {
    unsigned char* line = &data[static_cast<std::size_t>(row) * (stride + 1)];
    unsigned char* previous = row > 0 ? line - (stride + 1) : nullptr;
    int filter = line[0];
    for (std::size_t i = 1; i <= stride; ++i) {
      int left = i > static_cast<std::size_t>(channels) ? line[i - channels] : 0;
      int up = previous ? previous[i] : 0;
      int upLeft = previous && i > static_cast<std::size_t>(channels) ? previous[i - channels] : 0;
      int add = filter == 0   ? 0
                : filter == 1 ? left
                : filter == 2 ? up
                : filter == 3 ? (left + up) / 2
                : filter == 4 ? paeth(left, up, upLeft)
                              : -1;
      if (add < 0) {
        return false;
      }
      line[i] = static_cast<unsigned char>(line[i] + add);
    }
  }
  return true;
}

}  // namespace

bool PngImage::read(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<unsigned char> file((std::istreambuf_iterator<char>(in)),
                                  std::istreambuf_iterator<char>());
  if (file.size() < 33 || file[1] != 'P' || file[2] != 'N' || file[3] != 'G') {
    return false;
  }
  width = static_cast<int>(bigEndian(&file[16]));
  height = static_cast<int>(bigEndian(&file[20]));
  int depth = file[24];
  int colourType = file[25];
  int interlace = file[28];
  int channels = colourType == 6 ? 4 : colourType == 2 ? 3 : 0;
  if (depth != 8 || channels == 0 || interlace != 0) {
    return false;
  }
  std::vector<unsigned char> compressed;
  for (std::size_t at = 8; at + 12 <= file.size();) {
    std::uint32_t length = bigEndian(&file[at]);
    std::string type(file.begin() + static_cast<long>(at) + 4,
                     file.begin() + static_cast<long>(at) + 8);
    if (type == "IDAT") {
      compressed.insert(compressed.end(), file.begin() + static_cast<long>(at) + 8,
                        file.begin() + static_cast<long>(at + 8 + length));
    }
    at += 12 + length;
  }
  std::size_t stride = static_cast<std::size_t>(width) * static_cast<std::size_t>(channels);
  std::vector<unsigned char> data(static_cast<std::size_t>(height) * (stride + 1));
  uLongf size = static_cast<uLongf>(data.size());
  if (uncompress(data.data(), &size, compressed.data(), static_cast<uLong>(compressed.size())) !=
          Z_OK ||
      size != data.size() || !unfilter(data, height, stride, channels)) {
    return false;
  }
  pixels.clear();
  for (int row = 0; row < height; ++row) {
    const unsigned char* line = &data[static_cast<std::size_t>(row) * (stride + 1) + 1];
    for (int column = 0; column < width; ++column) {
      const unsigned char* p =
          line + static_cast<std::size_t>(column) * static_cast<std::size_t>(channels);
      bool transparent = channels == 4 && p[3] == 0;
      pixels.push_back(transparent
                           ? 0xffffffu
                           : (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2]);
    }
  }
  return true;
}

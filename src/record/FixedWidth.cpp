#include "record/FixedWidth.h"

namespace fixed_width {
namespace {

constexpr DigitTable makeTable(char pad) {
  DigitTable table{};
  for (int value = 0; value < 1000; ++value) {
    auto& entry = table[static_cast<std::size_t>(value)];
    entry[0] = static_cast<char>('0' + value / 100);
    entry[1] = static_cast<char>('0' + value / 10 % 10);
    entry[2] = static_cast<char>('0' + value % 10);
    entry[3] = ' ';
    if (value < 100) {
      entry[0] = pad;
    }
    if (value < 10) {
      entry[1] = pad;
    }
  }
  return table;
}

}  // namespace

const DigitTable paddedDigits = makeTable(' ');
const DigitTable zeroPaddedDigits = makeTable('0');

char* putAny(char* out, std::int64_t value, int width) {
  char digits[24];
  int count = 0;
  std::uint64_t magnitude =
      value < 0 ? 0u - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
  do {
    digits[count++] = static_cast<char>('0' + magnitude % 10u);
    magnitude /= 10u;
  } while (magnitude != 0);
  if (value < 0) {
    digits[count++] = '-';
  }
  for (int pad = width - count; pad > 0; --pad) {
    *out++ = ' ';
  }
  while (count > 0) {
    *out++ = digits[--count];
  }
  return out;
}

}  // namespace fixed_width

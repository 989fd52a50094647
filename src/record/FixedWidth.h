// Right-aligned decimal fields of a fixed width, padded with blanks on the left, for the
// output record. A value too wide for its field is written in full. Values that fit, the
// case of almost every field, are copied from tables of ready-made digits.
#pragma once

#include <array>
#include <cstdint>
#include <cstring>

namespace fixed_width {

// Entries of 4 characters, so that one 4-byte copy writes a 3-character field; the 4th
// character lands where the next field, or the record's end, is written next.
using DigitTable = std::array<std::array<char, 4>, 1000>;

// "  0" .. "999": every number below 1000 right-aligned in 3 characters. The last one or
// two of these characters are the same number in widths 1 and 2 when it fits them.
extern const DigitTable paddedDigits;
// "000" .. "999".
extern const DigitTable zeroPaddedDigits;

// Writes value right-aligned in width; returns the end of what was written.
char* putAny(char* out, std::int64_t value, int width);

// Writes value right-aligned in Width (1 to 4) characters; returns the end of the field.
// May also write the character after the field. REQUIRES: room for Width + 1 characters.
template <int Width>
inline char* put(char* out, std::int64_t value) {
  static_assert(Width >= 1 && Width <= 4, "record fields are 1 to 4 characters wide");
  constexpr std::int64_t limit = Width == 1 ? 10 : Width == 2 ? 100 : 1000;
  if (value >= 0 && value < limit) {
    const char* digits = paddedDigits[static_cast<std::size_t>(value)].data();
    if constexpr (Width < 3) {
      std::memcpy(out, digits + 3 - Width, Width);
    } else {
      out[0] = ' ';  // overwritten by the copy when Width is 3
      std::memcpy(out + Width - 3, digits, 4);
    }
    return out + Width;
  }
  if constexpr (Width == 4) {
    if (value >= 1000 && value < 10000) {
      out[0] = static_cast<char>('0' + value / 1000);
      std::memcpy(out + 1, zeroPaddedDigits[static_cast<std::size_t>(value % 1000)].data(), 4);
      return out + 4;
    }
  }
  return putAny(out, value, Width);
}

}  // namespace fixed_width

#include "output/Vehicle.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace {

constexpr int firstYear = 5;

// The integer part of x, cut toward zero. Times are finite and not negative; anything
// else is held at 0 or the largest count instead of being undefined.
int wholePart(double x) {
  if (!(x > 0.0)) {
    return 0;
  }
  if (!(x < 2147483647.0)) {
    return std::numeric_limits<int>::max() / 1000;
  }
  return static_cast<int>(x);
}

// Integer part of (value + 0.5): rounds half up for the non-negative values that occur.
std::int64_t rounded(double value) {
  double shifted = value + 0.5;
  if (!(shifted > -9.2e18)) {
    return shifted != shifted ? 0 : std::numeric_limits<std::int64_t>::min();
  }
  if (!(shifted < 9.2e18)) {
    return std::numeric_limits<std::int64_t>::max();
  }
  return static_cast<std::int64_t>(shifted);
}

// Writes value in decimal, right-aligned in width (written in full when longer).
char* putNumber(char* out, std::int64_t value, int width) {
  char digits[24];
  int count = 0;
  std::uint64_t magnitude = value < 0 ? 0u - static_cast<std::uint64_t>(value) : static_cast<std::uint64_t>(value);
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

}  // namespace

void Vehicle::setAxleCount(int n) {
  axleCount = n;
  axles.resize(axles.size() + static_cast<std::size_t>(n + 1));
}

// The products of counts and lengths are whole numbers of seconds. They are formed in 64
// bits: below 2^31 s this is the same as 32-bit arithmetic, and the last vehicle of the
// longest runs, which may arrive a little after 2^31 s, still gets a true stamp.
void Vehicle::setTime(double t) {
  const std::int64_t dayLength = hoursPerDay * secondsPerHour;
  const std::int64_t monthLength = daysPerMonth * dayLength;
  const std::int64_t yearLength = monthsPerYear * monthLength;
  int y = wholePart(t / yearLength);
  double r = t - static_cast<double>(y * yearLength);
  int mo = wholePart(r / monthLength);
  r = r - static_cast<double>(mo * monthLength);
  int d = wholePart(r / dayLength);
  r = r - static_cast<double>(d * dayLength);
  hour = wholePart(r / secondsPerHour);
  r = r - hour * secondsPerHour;
  minute = wholePart(r / secondsPerMinute);
  r = r - minute * secondsPerMinute;
  second = wholePart(r);
  hundredths = wholePart((r - second) * 100);
  day = d + 1;
  month = mo + 1;
  year = y + firstYear;
}

double Vehicle::getTime() const {
  std::int64_t months = std::int64_t{year - firstYear} * monthsPerYear + month - 1;
  std::int64_t days = months * daysPerMonth + day - 1;
  std::int64_t hours = days * hoursPerDay + hour;
  std::int64_t seconds = hours * secondsPerHour + std::int64_t{secondsPerMinute} * minute + second;
  return static_cast<double>(seconds) + hundredths * 0.01;
}

std::string Vehicle::timeText() const {
  return std::to_string(day) + "/" + std::to_string(month) + "/" + std::to_string(year) + " " +
         std::to_string(hour) + ":" + std::to_string(minute) + ":" + std::to_string(second);
}

int Vehicle::formatRecord(char* buffer) const {
  char* out = buffer;
  out = putNumber(out, headCode, 4);
  out = putNumber(out, day, 2);
  out = putNumber(out, month, 2);
  out = putNumber(out, year, 2);
  out = putNumber(out, hour, 2);
  out = putNumber(out, minute, 2);
  out = putNumber(out, second, 2);
  out = putNumber(out, hundredths, 2);
  out = putNumber(out, rounded(speed), 3);
  out = putNumber(out, rounded(gvw), 4);
  out = putNumber(out, rounded(length), 3);
  out = putNumber(out, axleCount, 1);
  out = putNumber(out, direction, 1);
  out = putNumber(out, lane, 1);
  out = putNumber(out, rounded(trackWidth * 10), 3);
  for (int i = 0; i < maxAxles; ++i) {
    bool real = i < axleCount;
    const Axle* axle = real ? &axles[static_cast<std::size_t>(i)] : nullptr;
    out = putNumber(out, real ? rounded(axle->weight) : 0, 3);
    if (i == maxAxles - 1) {
      break;
    }
    out = putNumber(out, real ? rounded(axle->spacing) : 0, 2);
  }
  *out = '\0';
  return static_cast<int>(out - buffer);
}

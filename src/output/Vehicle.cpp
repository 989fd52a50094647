#include "output/Vehicle.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>

#include "output/FixedWidth.h"

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

// Storage of released vehicles, kept for the next ones. Sanitized builds leave it unused
// so that every use of a released vehicle is still caught.
struct ReleasedStorage {
  ReleasedStorage* next;
};
ReleasedStorage* releasedVehicles = nullptr;
#ifdef VELMORA_SANITIZED
constexpr bool reuseStorage = false;
#else
constexpr bool reuseStorage = true;
#endif

}  // namespace

void* Vehicle::operator new(std::size_t size) {
  if (reuseStorage && size == sizeof(Vehicle) && releasedVehicles != nullptr) {
    ReleasedStorage* storage = releasedVehicles;
    releasedVehicles = storage->next;
    return storage;
  }
  return ::operator new(size);
}

void Vehicle::operator delete(void* storage, std::size_t size) {
  if (reuseStorage && size == sizeof(Vehicle)) {
    releasedVehicles = new (storage) ReleasedStorage{releasedVehicles};
    return;
  }
  ::operator delete(storage);
}

void Vehicle::setAxleCount(int n) {
  axleCount = n;
  int entries = axleEntries + n + 1;
  if (entries > inlineAxleEntries) {
    if (axleEntries <= inlineAxleEntries) {
      extraAxles.assign(inlineAxles, inlineAxles + axleEntries);
    }
    extraAxles.resize(static_cast<std::size_t>(entries));
  }
  axleEntries = entries;
}

// The stamp is worked out in double arithmetic: each step divides what remains by the
// length of a year, a month, a day, an hour and a minute and takes the integer part. Every
// subtraction of whole seconds is exact, so only the divisions round, and their rounding
// can change an integer part only when the time lies within a millionth of a second below
// a whole second. Away from that, integer division of the whole seconds gives the same
// fields much faster; near it, the divisions are made as described.
void Vehicle::setTime(double t) {
  if (t >= 0.0 && t < 2147483647.0) {
    auto wholeSeconds = static_cast<std::int64_t>(t);
    double fraction = t - static_cast<double>(wholeSeconds);  // exact
    if (fraction < 0.999) {
      setCalendar(wholeSeconds);
      hundredths = wholePart(fraction * 100);
      return;
    }
  }
  setTimeByDivision(t);
}

void Vehicle::setCalendar(std::int64_t wholeSeconds) {
  auto rest = static_cast<std::uint32_t>(wholeSeconds);  // below 2^31
  auto take = [&rest](std::int64_t length) {
    std::uint32_t count = rest / static_cast<std::uint32_t>(length);
    rest -= count * static_cast<std::uint32_t>(length);
    return static_cast<int>(count);
  };
  year = take(yearLength) + firstYear;
  month = take(monthLength) + 1;
  day = take(dayLength) + 1;
  hour = take(secondsPerHour);
  minute = take(secondsPerMinute);
  second = static_cast<int>(rest);
}

// The products of counts and lengths are formed in 64 bits: below 2^31 s this is the same
// as 32-bit arithmetic, and the last vehicle of the longest runs, which may arrive a little
// after 2^31 s, still gets a true stamp.
void Vehicle::setTimeByDivision(double t) {
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
  using fixed_width::put;
  char* out = buffer;
  out = put<4>(out, headCode);
  out = put<2>(out, day);
  out = put<2>(out, month);
  out = put<2>(out, year);
  out = put<2>(out, hour);
  out = put<2>(out, minute);
  out = put<2>(out, second);
  out = put<2>(out, hundredths);
  out = put<3>(out, rounded(speed));
  out = put<4>(out, rounded(gvw));
  out = put<3>(out, rounded(length));
  out = put<1>(out, axleCount);
  out = put<1>(out, direction);
  out = put<1>(out, lane);
  out = put<3>(out, rounded(trackWidth * 10));
  int shown = std::clamp(axleCount, 0, maxAxles);
  for (int i = 0; i < shown; ++i) {
    const Axle& axle = axleEntry(i);
    out = put<3>(out, rounded(axle.weight));
    if (i == maxAxles - 1) {
      break;  // the ninth axle has no spacing field
    }
    out = put<2>(out, rounded(axle.spacing));
  }
  // Positions without an axle read "  0" for the weight and " 0" for the spacing.
  if (shown < maxAxles) {
    static const char unusedAxles[] = "  0 0  0 0  0 0  0 0  0 0  0 0  0 0  0 0  0";
    std::size_t unusedLength = sizeof unusedAxles - 1 - 5 * static_cast<std::size_t>(shown);
    std::memcpy(out, unusedAxles + 5 * shown, unusedLength);
    out += unusedLength;
  }
  *out = '\0';
  return static_cast<int>(out - buffer);
}

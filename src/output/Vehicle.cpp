#include "output/Vehicle.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>

#include "output/Calendar.h"
#include "output/FixedWidth.h"
#include "output/RecordLayout.h"

namespace {

using namespace calendar;
namespace layout = record_layout;

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
  year = take(secondsPerYear) + firstYear;
  month = take(secondsPerMonth) + 1;
  day = take(secondsPerDay) + 1;
  hour = take(secondsPerHour);
  minute = take(secondsPerMinute);
  second = static_cast<int>(rest);
}

// The products of counts and lengths are formed in 64 bits: below 2^31 s this is the same
// as 32-bit arithmetic, and the last vehicle of the longest runs, which may arrive a little
// after 2^31 s, still gets a true stamp.
void Vehicle::setTimeByDivision(double t) {
  int y = wholePart(t / secondsPerYear);
  double r = t - static_cast<double>(y * secondsPerYear);
  int mo = wholePart(r / secondsPerMonth);
  r = r - static_cast<double>(mo * secondsPerMonth);
  int d = wholePart(r / secondsPerDay);
  r = r - static_cast<double>(d * secondsPerDay);
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

std::int64_t Vehicle::stampSeconds() const {
  std::int64_t months = std::int64_t{year - firstYear} * monthsPerYear + month - 1;
  std::int64_t days = months * daysPerMonth + day - 1;
  std::int64_t hours = days * hoursPerDay + hour;
  return hours * secondsPerHour + std::int64_t{secondsPerMinute} * minute + second;
}

double Vehicle::getTime() const {
  return static_cast<double>(stampSeconds()) + hundredths * 0.01;
}

std::string Vehicle::timeText() const {
  return recordValues().timeText();
}

int Vehicle::formatRecord(char* buffer) const {
  using fixed_width::put;
  using layout::widthOf;
  char* out = buffer;
  out = put<widthOf(layout::headCode)>(out, headCode);
  out = put<widthOf(layout::day)>(out, day);
  out = put<widthOf(layout::month)>(out, month);
  out = put<widthOf(layout::year)>(out, year);
  out = put<widthOf(layout::hour)>(out, hour);
  out = put<widthOf(layout::minute)>(out, minute);
  out = put<widthOf(layout::second)>(out, second);
  out = put<widthOf(layout::hundredths)>(out, hundredths);
  out = put<widthOf(layout::speed)>(out, rounded(speed));
  out = put<widthOf(layout::grossWeight)>(out, rounded(gvw));
  out = put<widthOf(layout::length)>(out, rounded(length));
  out = put<widthOf(layout::axleCount)>(out, axleCount);
  out = put<widthOf(layout::direction)>(out, direction);
  out = put<widthOf(layout::lane)>(out, lane);
  out = put<widthOf(layout::trackWidth)>(out, rounded(trackWidth * 10));
  int shown = std::clamp(axleCount, 0, layout::maxAxles);
  for (int i = 0; i < shown; ++i) {
    const Axle& axle = axleEntry(i);
    out = put<layout::axleWeightWidth>(out, rounded(axle.weight));
    if (i == layout::maxAxles - 1) {
      break;  // the ninth axle has no spacing field
    }
    out = put<layout::axleSpacingWidth>(out, rounded(axle.spacing));
  }
  // Positions without an axle read "  0" for the weight and " 0" for the spacing.
  if (shown < layout::maxAxles) {
    static const char unusedAxles[] = "  0 0  0 0  0 0  0 0  0 0  0 0  0 0  0 0  0";
    constexpr std::size_t axleFields = layout::axleWeightWidth + layout::axleSpacingWidth;
    static_assert(sizeof unusedAxles - 1 ==
                  layout::maxAxles * axleFields - layout::axleSpacingWidth);
    std::size_t unusedLength =
        sizeof unusedAxles - 1 - axleFields * static_cast<std::size_t>(shown);
    std::memcpy(out, unusedAxles + axleFields * static_cast<std::size_t>(shown), unusedLength);
    out += unusedLength;
  }
  *out = '\0';
  return static_cast<int>(out - buffer);
}

RecordValues Vehicle::recordValues() const {
  RecordValues values;
  values.day = day;
  values.month = month;
  values.year = year;
  values.hour = hour;
  values.minute = minute;
  values.second = second;
  values.hundredths = hundredths;
  values.speed = rounded(speed);
  values.grossWeight = rounded(gvw);
  values.length = rounded(length);
  values.axleCount = axleCount;
  values.direction = direction;
  values.lane = lane;
  values.trackWidth = rounded(trackWidth * 10);
  int shown = std::clamp(axleCount, 0, layout::maxAxles);
  for (int i = 0; i < shown; ++i) {
    values.axleWeights[static_cast<std::size_t>(i)] = rounded(axleEntry(i).weight);
    if (i < layout::maxAxles - 1) {
      values.axleSpacings[static_cast<std::size_t>(i)] = rounded(axleEntry(i).spacing);
    }
  }
  return values;
}

std::string Vehicle::csvHeader() {
  std::string header = "time_s";
  for (int field = layout::day; field < layout::leadingFieldCount; ++field) {
    header += ",";
    header += layout::leadingColumns[static_cast<std::size_t>(field)].csvName;
  }
  for (int axle = 1; axle <= layout::maxAxles; ++axle) {
    header += ",axle" + std::to_string(axle) + "_weight";
    if (axle < layout::maxAxles) {
      header += ",axle" + std::to_string(axle) + "_spacing_dm";
    }
  }
  return header;
}

int Vehicle::formatCsvRecord(char* buffer) const {
  using fixed_width::putAny;
  char* out = putAny(buffer, stampSeconds(), 0);
  *out++ = '.';
  auto cents = static_cast<std::size_t>(std::clamp(hundredths, 0, 99));
  std::memcpy(out, fixed_width::zeroPaddedDigits[cents].data() + 1, 2);
  out += 2;
  const std::int64_t leading[] = {day,           month,           year,         hour,
                                  minute,        second,          hundredths,   rounded(speed),
                                  rounded(gvw),  rounded(length), axleCount,    direction,
                                  lane,          rounded(trackWidth * 10)};
  for (std::int64_t value : leading) {
    *out++ = ',';
    out = putAny(out, value, 0);
  }
  int shown = std::clamp(axleCount, 0, layout::maxAxles);
  for (int i = 0; i < layout::maxAxles; ++i) {
    *out++ = ',';
    out = putAny(out, i < shown ? rounded(axleEntry(i).weight) : 0, 0);
    if (i < layout::maxAxles - 1) {
      *out++ = ',';
      out = putAny(out, i < shown ? rounded(axleEntry(i).spacing) : 0, 0);
    }
  }
  *out = '\0';
  return static_cast<int>(out - buffer);
}

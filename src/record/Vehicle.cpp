#include "record/Vehicle.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <utility>

#include "base/Calendar.h"
#include "record/FixedWidth.h"
#include "record/RecordLayout.h"

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

// Both are inlined where a record is formed, so that the switch folds away for every field
// known at compile time: the record text costs what it cost with each field written out.
__attribute__((always_inline)) inline std::int64_t Vehicle::leadingValue(
    layout::Field field) const {
  switch (field) {
    case layout::headCode:
      return headCode;
    case layout::day:
      return day;
    case layout::month:
      return month;
    case layout::year:
      return year;
    case layout::hour:
      return hour;
    case layout::minute:
      return minute;
    case layout::second:
      return second;
    case layout::hundredths:
      return hundredths;
    case layout::speed:
      return rounded(speed);
    case layout::grossWeight:
      return rounded(gvw);
    case layout::length:
      return rounded(length);
    case layout::axleCount:
      return axleCount;
    case layout::direction:
      return direction;
    case layout::lane:
      return lane;
    case layout::trackWidth:
      return rounded(trackWidth * 10);
    case layout::leadingFieldCount:
      break;
  }
  return 0;
}

__attribute__((always_inline)) inline std::int64_t Vehicle::axleValue(int axle,
                                                                      bool spacing) const {
  if (axle >= std::clamp(axleCount, 0, layout::maxAxles)) {
    return 0;
  }
  const Axle& entry = axleEntry(axle);
  return rounded(spacing ? entry.spacing : entry.weight);
}

namespace {

// Writes the leading fields from Field... on, each in its width.
template <typename Source, std::size_t... Field>
char* putLeadingFields(char* out, const Source& value, std::index_sequence<Field...>) {
  ((out = fixed_width::put<layout::widthOf(static_cast<layout::Field>(Field))>(
        out, value(static_cast<layout::Field>(Field)))),
   ...);
  return out;
}

}  // namespace

int Vehicle::formatRecord(char* buffer) const {
  auto value = [this](layout::Field field) { return leadingValue(field); };
  char* out =
      putLeadingFields(buffer, value, std::make_index_sequence<layout::leadingFieldCount>());
  int shown = std::clamp(axleCount, 0, layout::maxAxles);
  for (int i = 0; i < shown; ++i) {
    out = fixed_width::put<layout::axleWeightWidth>(out, axleValue(i, false));
    if (i == layout::maxAxles - 1) {
      break;  // the ninth axle has no spacing field
    }
    out = fixed_width::put<layout::axleSpacingWidth>(out, axleValue(i, true));
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

namespace {

// Sets the fields Field... of values (record_fields' indices), each to value(index).
template <typename Value, std::size_t... Field>
void setFields(RecordValues& values, const Value& value, std::index_sequence<Field...>) {
  (record_fields::set(values, static_cast<int>(Field), value(static_cast<int>(Field))), ...);
}

}  // namespace

RecordValues Vehicle::recordValues() const {
  RecordValues values;
  auto value = [this](int field) {
    int leading = field + layout::day;
    if (leading < layout::leadingFieldCount) {
      return leadingValue(static_cast<layout::Field>(leading));
    }
    int axleField = leading - layout::leadingFieldCount;
    return axleValue(axleField / 2, axleField % 2 == 1);
  };
  setFields(values, value, std::make_index_sequence<record_fields::count>());
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
  for (int leading = layout::day; leading < layout::leadingFieldCount; ++leading) {
    *out++ = ',';
    out = putAny(out, leadingValue(static_cast<layout::Field>(leading)), 0);
  }
  for (int axle = 0; axle < layout::maxAxles; ++axle) {
    *out++ = ',';
    out = putAny(out, axleValue(axle, false), 0);
    if (axle < layout::maxAxles - 1) {
      *out++ = ',';
      out = putAny(out, axleValue(axle, true), 0);
    }
  }
  *out = '\0';
  return static_cast<int>(out - buffer);
}

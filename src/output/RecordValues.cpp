#include "output/RecordValues.h"

#include "output/Calendar.h"
#include "output/CarRecord.h"

std::int64_t RecordValues::stampHundredths() const {
  using namespace calendar;
  std::int64_t months = std::int64_t{year - firstYear} * monthsPerYear + month - 1;
  std::int64_t days = months * daysPerMonth + day - 1;
  std::int64_t seconds = (days * hoursPerDay + hour) * secondsPerHour +
                         std::int64_t{secondsPerMinute} * minute + second;
  return seconds * 100 + hundredths;
}

std::string RecordValues::timeText() const {
  return std::to_string(day) + "/" + std::to_string(month) + "/" + std::to_string(year) + " " +
         std::to_string(hour) + ":" + std::to_string(minute) + ":" + std::to_string(second);
}

bool RecordValues::isCar() const {
  return axleCount == 2 && grossWeight == static_cast<std::int64_t>(car_record::grossWeight) &&
         length == static_cast<std::int64_t>(car_record::length) &&
         axleWeights[0] == static_cast<std::int64_t>(car_record::axleWeight) &&
         axleWeights[1] == static_cast<std::int64_t>(car_record::axleWeight) &&
         axleSpacings[0] == static_cast<std::int64_t>(car_record::spacing);
}

namespace record_fields {

void set(RecordValues& r, int index, std::int64_t value) {
  namespace layout = record_layout;
  auto whole = static_cast<int>(value);
  switch (index + 1) {
    case layout::day: r.day = whole; return;
    case layout::month: r.month = whole; return;
    case layout::year: r.year = whole; return;
    case layout::hour: r.hour = whole; return;
    case layout::minute: r.minute = whole; return;
    case layout::second: r.second = whole; return;
    case layout::hundredths: r.hundredths = whole; return;
    case layout::speed: r.speed = value; return;
    case layout::grossWeight: r.grossWeight = value; return;
    case layout::length: r.length = value; return;
    case layout::axleCount: r.axleCount = whole; return;
    case layout::direction: r.direction = whole; return;
    case layout::lane: r.lane = whole; return;
    case layout::trackWidth: r.trackWidth = value; return;
    default: break;
  }
  auto axleField = static_cast<std::size_t>(index + 1 - layout::leadingFieldCount);
  (axleField % 2 == 0 ? r.axleWeights[axleField / 2] : r.axleSpacings[axleField / 2]) = value;
}

}  // namespace record_fields

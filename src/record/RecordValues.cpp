#include "record/RecordValues.h"

#include "base/Calendar.h"
#include "record/CarRecord.h"

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

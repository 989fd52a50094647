// The numbers of one vehicle's record exactly as the record shows them: the calendar stamp,
// the rounded speed, weights, length and spacings. Whatever reads a written stream and
// whatever takes the vehicles in process see the same values through this.
#pragma once

#include <array>
#include <cassert>
#include <cstdint>
#include <string>

#include "record/RecordLayout.h"

struct RecordValues {
  int day = 0;    // 1 to 25
  int month = 0;  // 1 to 10
  int year = 0;   // from 5
  int hour = 0;
  int minute = 0;
  int second = 0;
  int hundredths = 0;
  std::int64_t speed = 0;        // dm/s
  std::int64_t grossWeight = 0;  // weight unit of the site files
  std::int64_t length = 0;       // dm
  int axleCount = 0;
  int direction = 0;                                                     // 1 or 2
  int lane = 0;                                                          // from 1
  std::int64_t trackWidth = 0;                                           // dm
  std::array<std::int64_t, record_layout::maxAxles> axleWeights{};       // site weight unit
  std::array<std::int64_t, record_layout::maxAxles - 1> axleSpacings{};  // dm to the next axle

  // Hundredths of a second from the start of the first day.
  std::int64_t stampHundredths() const;
  // "day/month/year hour:minute:second", no leading zeros, no hundredths.
  std::string timeText() const;
  // Whether the record carries the car's fixed values: two axles of the car's weight at
  // the car's spacing.
  bool isCar() const;
};

// The record's fields after the head code, in record order, as a reader fills them in.
namespace record_fields {

// The leading fields from the day to the track width, then each axle's weight and the
// spacing to the next, the ninth axle's weight last.
constexpr int count = record_layout::leadingFieldCount - 1 + 2 * record_layout::maxAxles - 1;

// Sets field `index` of r to value. REQUIRES: 0 <= index < count, value within the field's
// type. Inline, so that the switch folds away where the index is known.
inline void set(RecordValues& r, int index, std::int64_t value) {
  assert(0 <= index && index < count);
  namespace layout = record_layout;
  auto whole = static_cast<int>(value);
  switch (index + 1) {
    case layout::day:
      r.day = whole;
      return;
    case layout::month:
      r.month = whole;
      return;
    case layout::year:
      r.year = whole;
      return;
    case layout::hour:
      r.hour = whole;
      return;
    case layout::minute:
      r.minute = whole;
      return;
    case layout::second:
      r.second = whole;
      return;
    case layout::hundredths:
      r.hundredths = whole;
      return;
    case layout::speed:
      r.speed = value;
      return;
    case layout::grossWeight:
      r.grossWeight = value;
      return;
    case layout::length:
      r.length = value;
      return;
    case layout::axleCount:
      r.axleCount = whole;
      return;
    case layout::direction:
      r.direction = whole;
      return;
    case layout::lane:
      r.lane = whole;
      return;
    case layout::trackWidth:
      r.trackWidth = value;
      return;
    default:
      break;
  }
  auto axleField = static_cast<std::size_t>(index + 1 - layout::leadingFieldCount);
  (axleField % 2 == 0 ? r.axleWeights[axleField / 2] : r.axleSpacings[axleField / 2]) = value;
}

// Field `index` of r, as set() fills it. REQUIRES: 0 <= index < count.
inline std::int64_t get(const RecordValues& r, int index) {
  assert(0 <= index && index < count);
  namespace layout = record_layout;
  switch (index + 1) {
    case layout::day:
      return r.day;
    case layout::month:
      return r.month;
    case layout::year:
      return r.year;
    case layout::hour:
      return r.hour;
    case layout::minute:
      return r.minute;
    case layout::second:
      return r.second;
    case layout::hundredths:
      return r.hundredths;
    case layout::speed:
      return r.speed;
    case layout::grossWeight:
      return r.grossWeight;
    case layout::length:
      return r.length;
    case layout::axleCount:
      return r.axleCount;
    case layout::direction:
      return r.direction;
    case layout::lane:
      return r.lane;
    case layout::trackWidth:
      return r.trackWidth;
    default:
      break;
  }
  auto axleField = static_cast<std::size_t>(index + 1 - layout::leadingFieldCount);
  return axleField % 2 == 0 ? r.axleWeights[axleField / 2] : r.axleSpacings[axleField / 2];
}

}  // namespace record_fields

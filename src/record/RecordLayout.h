// The fixed-column record of one vehicle: its fields in order, each right-aligned in a
// width of its own, with the name and unit that the documentation and the CSV form use.
// A value too wide for its field is written in full and pushes the rest of the line right.
#pragma once

#include <array>
#include <cstddef>

// How each vehicle is written: the fixed-column record, or comma-separated values under a
// header line.
enum class RecordFormat { fixedColumns, csv };

namespace record_layout {

// The leading fields, in record order; the axle fields follow them.
enum Field {
  headCode,
  day,
  month,
  year,
  hour,
  minute,
  second,
  hundredths,
  speed,
  grossWeight,
  length,
  axleCount,
  direction,
  lane,
  trackWidth,
  leadingFieldCount
};

struct Column {
  int width;
  const char* title;    // as the documentation names it
  const char* csvName;  // the CSV form's header: a name with its unit; the CSV form has no
                        // head code and begins with the stamp in seconds, "time_s"
};

constexpr std::array<Column, leadingFieldCount> leadingColumns = {{
    {4, "head code, always 1001", "head_code"},
    {2, "day of the month, 1 to 25", "day"},
    {2, "month, 1 to 10", "month"},
    {2, "year, from 5", "year"},
    {2, "hour", "hour"},
    {2, "minute", "minute"},
    {2, "second", "second"},
    {2, "hundredths of a second", "hundredths"},
    {3, "speed, dm/s", "speed_dm_per_s"},
    {4, "gross weight, in the weight unit of the site files", "gross_weight"},
    {3, "length, dm (the sum of the axle spacings)", "length_dm"},
    {1, "number of axles", "axles"},
    {1, "direction, 1 or 2", "direction"},
    {1, "lane, numbered from 1 over the whole road, direction-1 lanes first", "lane"},
    {3, "track width, dm", "track_width_dm"},
}};

constexpr int maxAxles = 9;
constexpr int axleWeightWidth = 3;   // in the weight unit of the site files
constexpr int axleSpacingWidth = 2;  // dm to the next axle; the ninth axle has none

constexpr int widthOf(Field field) {
  return leadingColumns[static_cast<std::size_t>(field)].width;
}

// The largest whole number that `width` digits hold: 10^width - 1.
constexpr int largestOfWidth(int width) {
  int largest = 1;
  for (int i = 0; i < width; ++i) {
    largest *= 10;
  }
  return largest - 1;
}

// The largest value that field holds without widening the record.
constexpr int largestValue(Field field) {
  return largestOfWidth(widthOf(field));
}

// The 0-based column at which field starts when no field before it overflows.
constexpr int startOf(Field field) {
  int start = 0;
  for (int i = 0; i < field; ++i) {
    start += leadingColumns[static_cast<std::size_t>(i)].width;
  }
  return start;
}

// Characters of a record whose every value fits its field.
constexpr int recordLength =
    startOf(leadingFieldCount) + maxAxles * axleWeightWidth + (maxAxles - 1) * axleSpacingWidth;
static_assert(recordLength == 77, "the record is 77 characters wide");

}  // namespace record_layout

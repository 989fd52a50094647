#include "output/RecordReader.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "output/Calendar.h"

namespace {

namespace layout = record_layout;

constexpr int axleFieldCount = 2 * layout::maxAxles - 1;
constexpr int fieldCount = layout::leadingFieldCount + axleFieldCount;
constexpr std::size_t maxSplits = 64;   // a line with more readings is refused as unclear
constexpr int maxNumberLength = 18;     // digits that always fit 64 bits

int widthOfField(int index) {
  if (index < layout::leadingFieldCount) {
    return layout::widthOf(static_cast<layout::Field>(index));
  }
  return (index - layout::leadingFieldCount) % 2 == 0 ? layout::axleWeightWidth
                                                      : layout::axleSpacingWidth;
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// The number that text[from, to) spells as a value is written: an optional minus, then
// digits without a leading zero (a lone 0 aside). False when it spells none.
bool readNumber(const std::string& text, std::size_t from, std::size_t to, std::int64_t& value) {
  bool negative = from < to && text[from] == '-';
  std::size_t first = from + (negative ? 1 : 0);
  if (first == to || to - first > maxNumberLength || (text[first] == '0' && to - first > 1)) {
    return false;
  }
  std::int64_t number = 0;
  for (std::size_t i = first; i < to; ++i) {
    if (!isDigit(text[i])) {
      return false;
    }
    number = number * 10 + (text[i] - '0');
  }
  value = negative ? -number : number;
  return true;
}

using Split = std::vector<std::int64_t>;  // the value of every field, in record order

// Every way the line from `at` on reads as fields index.. to the end, appended to splits.
void findSplits(const std::string& line, std::size_t at, int index, Split& values,
                std::vector<Split>& splits) {
  if (splits.size() > maxSplits) {
    return;
  }
  if (index == fieldCount) {
    if (at == line.size()) {
      splits.push_back(values);
    }
    return;
  }
  auto width = static_cast<std::size_t>(widthOfField(index));
  if (at + width > line.size()) {
    return;
  }
  std::size_t digits = at;
  while (digits < at + width && line[digits] == ' ') {
    ++digits;
  }
  std::int64_t value = 0;
  if (readNumber(line, digits, at + width, value)) {  // a value that fits its field
    values.push_back(value);
    findSplits(line, at + width, index + 1, values, splits);
    values.pop_back();
  }
  if (digits != at) {
    return;  // a value that outgrows its field starts at the field's first column
  }
  for (std::size_t end = at + width + 1; end <= line.size() && line[end - 1] != ' '; ++end) {
    if (readNumber(line, at, end, value)) {
      values.push_back(value);
      findSplits(line, end, index + 1, values, splits);
      values.pop_back();
    }
  }
}

bool within(std::int64_t value, std::int64_t low, std::int64_t high) {
  return value >= low && value <= high;
}

// Fills record from the values in record order (time_s, for the CSV form, left out).
void fillRecord(const std::int64_t* v, RecordValues& r) {
  r.day = static_cast<int>(v[0]);
  r.month = static_cast<int>(v[1]);
  r.year = static_cast<int>(v[2]);
  r.hour = static_cast<int>(v[3]);
  r.minute = static_cast<int>(v[4]);
  r.second = static_cast<int>(v[5]);
  r.hundredths = static_cast<int>(v[6]);
  r.speed = v[7];
  r.grossWeight = v[8];
  r.length = v[9];
  r.axleCount = static_cast<int>(v[10]);
  r.direction = static_cast<int>(v[11]);
  r.lane = static_cast<int>(v[12]);
  r.trackWidth = v[13];
  for (int i = 0; i < layout::maxAxles; ++i) {
    r.axleWeights[static_cast<std::size_t>(i)] = v[14 + 2 * i];
    if (i < layout::maxAxles - 1) {
      r.axleSpacings[static_cast<std::size_t>(i)] = v[15 + 2 * i];
    }
  }
}

// The ranges of the stamp and of the axle count, direction and lane. Empty when all hold.
std::string rangeProblem(const std::int64_t* v) {
  using namespace calendar;
  struct Range {
    const char* name;
    std::int64_t low;
    std::int64_t high;
  };
  const Range ranges[] = {{"day", 1, daysPerMonth},       {"month", 1, monthsPerYear},
                          {"year", firstYear, 1000000},   {"hour", 0, hoursPerDay - 1},
                          {"minute", 0, 59},              {"second", 0, 59},
                          {"hundredths", 0, 99},          {"speed", -1000000, 1000000},
                          {"gross weight", 0, 1000000000}, {"length", 0, 1000000000},
                          {"axles", 1, layout::maxAxles}, {"direction", 1, 2},
                          {"lane", 1, 1000000}};
  for (std::size_t i = 0; i < sizeof ranges / sizeof ranges[0]; ++i) {
    if (!within(v[i], ranges[i].low, ranges[i].high)) {
      return std::string(ranges[i].name) + " " + std::to_string(v[i]) + " is outside " +
             std::to_string(ranges[i].low) + " to " + std::to_string(ranges[i].high);
    }
  }
  return "";
}

// Whether the axle spacings add up to the length and the axle weights to the gross weight,
// each within the half units the record's rounding of every value may lose.
bool sumsAgree(const RecordValues& r) {
  std::int64_t spacings = 0;
  std::int64_t weights = 0;
  for (int i = 0; i < r.axleCount; ++i) {
    weights += r.axleWeights[static_cast<std::size_t>(i)];
    if (i < layout::maxAxles - 1) {
      spacings += r.axleSpacings[static_cast<std::size_t>(i)];
    }
  }
  return 2 * std::llabs(spacings - r.length) <= r.axleCount &&
         2 * std::llabs(weights - r.grossWeight) <= r.axleCount + 1;
}

bool refuse(const std::string& reason, std::string* why) {
  *why = reason;
  return false;
}

}  // namespace

bool readFixedRecord(const std::string& line, RecordValues* record, std::string* why) {
  if (line.size() < static_cast<std::size_t>(layout::recordLength)) {
    return refuse("shorter than the record's " + std::to_string(layout::recordLength) +
                      " characters",
                  why);
  }
  std::vector<Split> splits;
  Split values;
  findSplits(line, 0, 0, values, splits);
  if (splits.empty()) {
    return refuse("its fields are not right-aligned whole numbers in the record's columns", why);
  }
  std::vector<RecordValues> readings;
  std::string problem;
  for (const Split& split : splits) {
    problem = rangeProblem(split.data() + 1);  // the head code comes first
    if (problem.empty()) {
      readings.emplace_back();
      fillRecord(split.data() + 1, readings.back());
    }
  }
  if (readings.empty()) {
    return refuse(problem, why);
  }
  if (readings.size() > 1) {
    std::vector<RecordValues> agreeing;
    for (const RecordValues& reading : readings) {
      if (sumsAgree(reading)) {
        agreeing.push_back(reading);
      }
    }
    if (agreeing.size() != 1) {
      return refuse("its overflowed fields can be read in more than one way, and the sums of "
                    "its axle spacings and weights do not tell which",
                    why);
    }
    readings = agreeing;
  }
  *record = readings.front();
  return true;
}

bool readCsvRecord(const std::string& line, RecordValues* record, std::string* why) {
  constexpr int columns = fieldCount;  // time_s takes the head code's place
  std::int64_t values[columns];
  std::size_t start = 0;
  for (int i = 0; i < columns; ++i) {
    std::size_t comma = line.find(',', start);
    std::size_t end = comma == std::string::npos ? line.size() : comma;
    if ((comma == std::string::npos) != (i == columns - 1)) {
      return refuse("not " + std::to_string(columns) + " comma-separated fields", why);
    }
    if (i > 0 && !readNumber(line, start, end, values[i])) {
      return refuse("field " + std::to_string(i + 1) + " \"" + line.substr(start, end - start) +
                        "\" is not a whole number",
                    why);
    }
    start = end + 1;
  }
  std::string problem = rangeProblem(values + 1);
  if (!problem.empty()) {
    return refuse(problem, why);
  }
  fillRecord(values + 1, *record);
  return true;
}

#include "record/RecordReader.h"

#include <cstdint>
#include <cstdlib>
#include <vector>

#include "base/Calendar.h"
#include "base/Refusal.h"

namespace {

namespace layout = record_layout;

constexpr int axleFieldCount = 2 * layout::maxAxles - 1;
constexpr int fieldCount = layout::leadingFieldCount + axleFieldCount;
constexpr std::size_t maxSplits = 10000;  // a line with more readings is refused as unclear
constexpr int maxNumberLength = 18;       // digits that always fit 64 bits

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

// The least characters the fields from index on take: their widths.
std::size_t leastLengthFrom(int index) {
  std::size_t length = 0;
  for (int i = index; i < fieldCount; ++i) {
    length += static_cast<std::size_t>(widthOfField(i));
  }
  return length;
}

// Whether value can stand in field index: the stamp's fields and the axle count and
// direction within their ranges, the lane from 1, weights, spacings and length not negative.
bool fieldAccepts(int index, std::int64_t value) {
  using namespace calendar;
  switch (index) {
    case layout::headCode:
    case layout::speed:
    case layout::trackWidth:
      return true;
    case layout::day:
      return value >= 1 && value <= daysPerMonth;
    case layout::month:
      return value >= 1 && value <= monthsPerYear;
    case layout::year:
      return value >= firstYear;
    case layout::hour:
      return value >= 0 && value < hoursPerDay;
    case layout::minute:
    case layout::second:
      return value >= 0 && value < secondsPerMinute;
    case layout::hundredths:
      return value >= 0 && value < 100;
    case layout::axleCount:
      return value >= 1 && value <= layout::maxAxles;
    case layout::direction:
      return value == 1 || value == 2;
    case layout::lane:
      return value >= 1;
    default:  // gross weight, length, axle weights and spacings
      return value >= 0;
  }
}

// The search for every way a line reads as fields. A state (a column and the field that
// starts there) from which the rest of the line cannot be read is noted and not tried
// again, so the search takes at most a few steps for every column and field.
struct SplitSearch {
  explicit SplitSearch(const std::string& text)
      : line(text), dead((text.size() + 1) * (fieldCount + 1), false) {}

  const std::string& line;
  std::vector<Split> splits;
  Split values;
  std::vector<bool> dead;
  bool gaveUp = false;  // more than maxSplits readings

  // Every way the line from `at` on reads as fields index.. to the end.
  void from(std::size_t at, int index) {
    std::size_t state = at * (fieldCount + 1) + static_cast<std::size_t>(index);
    if (gaveUp || dead[state]) {
      return;
    }
    if (splits.size() > maxSplits) {
      gaveUp = true;
      return;
    }
    std::size_t found = splits.size();
    explore(at, index);
    if (splits.size() == found) {
      dead[state] = true;
    }
  }

  void explore(std::size_t at, int index) {
    if (index == fieldCount) {
      if (at == line.size()) {
        splits.push_back(values);
      }
      return;
    }
    auto width = static_cast<std::size_t>(widthOfField(index));
    std::size_t rest = leastLengthFrom(index + 1);
    if (at + width + rest > line.size()) {
      return;
    }
    std::size_t digits = at;
    while (digits < at + width && line[digits] == ' ') {
      ++digits;
    }
    if (digits == at) {  // a value that outgrows its field starts at the field's first column
      for (std::size_t end = at + width + 1; end + rest <= line.size() && line[end - 1] != ' ';
           ++end) {
        take(at, end, index);
      }
    }
    take(digits, at + width, index);  // a value that fits its field
  }

  void take(std::size_t begin, std::size_t end, int index) {
    std::int64_t value = 0;
    if (readNumber(line, begin, end, value) && fieldAccepts(index, value)) {
      values.push_back(value);
      from(end, index + 1);
      values.pop_back();
    }
  }
};

bool within(std::int64_t value, std::int64_t low, std::int64_t high) {
  return value >= low && value <= high;
}

// Fills record from the values in record order (time_s, for the CSV form, left out).
void fillRecord(const std::int64_t* v, RecordValues& r) {
  for (int i = 0; i < record_fields::count; ++i) {
    record_fields::set(r, i, v[i]);
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
  const Range ranges[] = {{"day", 1, daysPerMonth},
                          {"month", 1, monthsPerYear},
                          {"year", firstYear, 1000000},
                          {"hour", 0, hoursPerDay - 1},
                          {"minute", 0, 59},
                          {"second", 0, 59},
                          {"hundredths", 0, 99},
                          {"speed", -1000000, 1000000},
                          {"gross weight", 0, 1000000000},
                          {"length", 0, 1000000000},
                          {"axles", 1, layout::maxAxles},
                          {"direction", 1, 2},
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

}  // namespace

bool readFixedRecord(const std::string& line, RecordValues* record, std::string* why) {
  if (line.size() < static_cast<std::size_t>(layout::recordLength)) {
    return refuse(
        "shorter than the record's " + std::to_string(layout::recordLength) + " characters", why);
  }
  SplitSearch search(line);
  search.from(0, 0);
  if (search.gaveUp) {
    return refuse("its fields can be read in too many ways", why);
  }
  const std::vector<Split>& splits = search.splits;
  if (splits.empty()) {
    return refuse(
        "its fields are not right-aligned whole numbers within their ranges in the "
        "record's columns",
        why);
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
      return refuse(
          "its overflowed fields can be read in more than one way, and the sums of "
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
  return readRecordFields(values + 1, record, why);
}

bool readRecordFields(const std::int64_t* values, RecordValues* record, std::string* why) {
  std::string problem = rangeProblem(values);
  if (!problem.empty()) {
    return refuse(problem, why);
  }
  fillRecord(values, *record);
  return true;
}

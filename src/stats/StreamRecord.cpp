#include "stats/StreamRecord.h"

#include <iterator>
#include <vector>

#include "output/Calendar.h"
#include "output/RecordLayout.h"
#include "stats/StreamSummary.h"
#include "traffic/VehicleGenerator.h"

namespace {

namespace layout = record_layout;

constexpr std::size_t recordLength = layout::recordLength;
constexpr std::size_t laneColumn = layout::startOf(layout::lane);
constexpr std::size_t maxLaneDigits = 3;  // up to 100 lanes

// The right-aligned number of width characters at column `at` (blanks, an optional minus,
// then digits). False when the field holds anything else.
bool readField(const std::string& line, std::size_t at, std::size_t width, int& value) {
  std::size_t i = at;
  std::size_t end = at + width;
  while (i < end && line[i] == ' ') {
    ++i;
  }
  bool negative = i < end && line[i] == '-';
  i += negative ? 1 : 0;
  if (i == end) {
    return false;
  }
  int number = 0;
  for (; i < end; ++i) {
    if (line[i] < '0' || line[i] > '9') {
      return false;
    }
    number = number * 10 + (line[i] - '0');
  }
  value = negative ? -number : number;
  return true;
}

bool within(int value, int low, int high) {
  return value >= low && value <= high;
}

// Everything after the lane is blanks, digits and minus signs.
bool axleFieldsLookRight(const std::string& line, std::size_t from) {
  for (std::size_t i = from; i < line.size(); ++i) {
    char c = line[i];
    if (c != ' ' && c != '-' && (c < '0' || c > '9')) {
      return false;
    }
  }
  return true;
}

}  // namespace

double StreamRecord::time() const {
  using namespace calendar;
  double days = (static_cast<double>(year - firstYear) * monthsPerYear + (month - 1)) *
                    daysPerMonth + (day - 1);
  return days * secondsPerDay + static_cast<double>(hour) * secondsPerHour +
         static_cast<double>(minute) * secondsPerMinute + second + hundredths * 0.01;
}

bool StreamRecord::isCar() const {
  return axles == 2 && grossWeight == static_cast<int>(VehicleGenerator::carGrossWeight) &&
         length == static_cast<int>(VehicleGenerator::carLength);
}

std::string StreamRecord::timeText() const {
  auto twoDigits = [](int value) { return (value < 10 ? "0" : "") + std::to_string(value); };
  return std::to_string(day) + "/" + std::to_string(month) + "/" + std::to_string(year) + " " +
         std::to_string(hour) + ":" + twoDigits(minute) + ":" + twoDigits(second) + "." +
         twoDigits(hundredths);
}

namespace {

bool inRange(const StreamRecord& r) {
  return within(r.day, 1, calendar::daysPerMonth) && within(r.month, 1, calendar::monthsPerYear) &&
         r.year >= calendar::firstYear && within(r.hour, 0, 23) && within(r.minute, 0, 59) &&
         within(r.second, 0, 59) && within(r.hundredths, 0, 99) &&
         within(r.axles, 2, layout::maxAxles) && within(r.direction, 1, 2) &&
         within(r.lane, 1, StreamSummary::maxLanes) && r.grossWeight >= 0;
}

// A whole number, optionally negative, that fits an int.
bool readWhole(const std::string& text, int& value) {
  std::size_t at = !text.empty() && text[0] == '-' ? 1 : 0;
  if (at == text.size() || text.size() > 10) {
    return false;
  }
  long long number = 0;
  for (std::size_t i = at; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') {
      return false;
    }
    number = number * 10 + (text[i] - '0');
  }
  value = static_cast<int>(at == 1 ? -number : number);
  return number <= 2147483647;
}

// The lane's digits: one in place, more on roads of 10 lanes or more, where the lane
// pushes the track width, which always begins with a blank, to the right.
std::size_t laneWidth(const std::string& line) {
  std::size_t width = 1;
  while (width < maxLaneDigits && laneColumn + width < line.size() &&
         line[laneColumn + width] >= '0' && line[laneColumn + width] <= '9') {
    ++width;
  }
  return width;
}

}  // namespace

bool parseRecord(const std::string& line, StreamRecord& record) {
  if (line.size() < recordLength) {
    return false;
  }
  std::size_t laneDigits = laneWidth(line);
  std::size_t trackColumn = laneColumn + laneDigits;
  if (line.size() < recordLength + laneDigits - 1 || !axleFieldsLookRight(line, trackColumn)) {
    return false;
  }
  int headCode = 0;
  int trackWidth = 0;
  StreamRecord r;
  auto in = [&line](layout::Field field, int& value) {
    return readField(line, static_cast<std::size_t>(layout::startOf(field)),
                     static_cast<std::size_t>(layout::widthOf(field)), value);
  };
  bool numbers = in(layout::headCode, headCode) && in(layout::day, r.day) &&
                 in(layout::month, r.month) && in(layout::year, r.year) &&
                 in(layout::hour, r.hour) && in(layout::minute, r.minute) &&
                 in(layout::second, r.second) && in(layout::hundredths, r.hundredths) &&
                 in(layout::speed, r.speed) && in(layout::grossWeight, r.grossWeight) &&
                 in(layout::length, r.length) && in(layout::axleCount, r.axles) &&
                 in(layout::direction, r.direction) &&
                 readField(line, laneColumn, laneDigits, r.lane) &&
                 readField(line, trackColumn, layout::widthOf(layout::trackWidth), trackWidth);
  if (!numbers || !inRange(r)) {
    return false;
  }
  record = r;
  return true;
}

bool parseCsvRecord(const std::string& line, StreamRecord& record) {
  constexpr std::size_t fields = 1 + (layout::leadingFieldCount - 1) + 2 * layout::maxAxles - 1;
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (parts.size() <= fields) {
    std::size_t comma = line.find(',', start);
    parts.push_back(line.substr(start, comma == std::string::npos ? comma : comma - start));
    if (comma == std::string::npos) {
      break;
    }
    start = comma + 1;
  }
  if (parts.size() != fields) {
    return false;
  }
  StreamRecord r;
  int* const targets[] = {&r.day,    &r.month,       &r.year,   &r.hour,       &r.minute,
                          &r.second, &r.hundredths,  &r.speed,  &r.grossWeight, &r.length,
                          &r.axles,  &r.direction,   &r.lane};
  for (std::size_t i = 0; i < std::size(targets); ++i) {
    if (!readWhole(parts[i + 1], *targets[i])) {
      return false;
    }
  }
  int other = 0;
  for (std::size_t i = 1 + std::size(targets); i < parts.size(); ++i) {
    if (!readWhole(parts[i], other)) {
      return false;
    }
  }
  if (!inRange(r)) {
    return false;
  }
  record = r;
  return true;
}

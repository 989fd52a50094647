#include "stats/StreamRecord.h"

#include "stats/StreamSummary.h"

namespace {

constexpr std::size_t recordLength = 77;
constexpr std::size_t laneColumn = 30;  // from 0
constexpr std::size_t maxLaneDigits = 3;

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
  double days = ((year - 5) * 10.0 + (month - 1)) * 25.0 + (day - 1);
  return days * 86400.0 + hour * 3600.0 + minute * 60.0 + second + hundredths * 0.01;
}

std::string StreamRecord::timeText() const {
  std::string text = std::to_string(day) + "/" + std::to_string(month) + "/" +
                     std::to_string(year) + " " + std::to_string(hour) + ":" +
                     std::to_string(minute) + ":" + std::to_string(second) + ".";
  return text + (hundredths < 10 ? "0" : "") + std::to_string(hundredths);
}

namespace {

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
  bool numbers = readField(line, 0, 4, headCode) && readField(line, 4, 2, r.day) &&
                 readField(line, 6, 2, r.month) && readField(line, 8, 2, r.year) &&
                 readField(line, 10, 2, r.hour) && readField(line, 12, 2, r.minute) &&
                 readField(line, 14, 2, r.second) && readField(line, 16, 2, r.hundredths) &&
                 readField(line, 18, 3, r.speed) && readField(line, 21, 4, r.grossWeight) &&
                 readField(line, 25, 3, r.length) && readField(line, 28, 1, r.axles) &&
                 readField(line, 29, 1, r.direction) &&
                 readField(line, laneColumn, laneDigits, r.lane) &&
                 readField(line, trackColumn, 3, trackWidth);
  if (!numbers || !within(r.day, 1, 25) || !within(r.month, 1, 10) || r.year < 5 ||
      !within(r.hour, 0, 23) || !within(r.minute, 0, 59) || !within(r.second, 0, 59) ||
      !within(r.hundredths, 0, 99) || !within(r.axles, 2, 9) || !within(r.direction, 1, 2) ||
      !within(r.lane, 1, StreamSummary::maxLanes) || r.grossWeight < 0) {
    return false;
  }
  record = r;
  return true;
}

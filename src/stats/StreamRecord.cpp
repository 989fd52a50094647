#include "stats/StreamRecord.h"

namespace {

constexpr std::size_t recordLength = 77;
constexpr std::size_t fixedColumns = 34;

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

// Everything after the fixed columns is blanks, digits and minus signs.
bool axleFieldsLookRight(const std::string& line) {
  for (std::size_t i = fixedColumns; i < line.size(); ++i) {
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

bool parseRecord(const std::string& line, StreamRecord& record) {
  if (line.size() < recordLength || !axleFieldsLookRight(line)) {
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
                 readField(line, 29, 1, r.direction) && readField(line, 30, 1, r.lane) &&
                 readField(line, 31, 3, trackWidth);
  if (!numbers || !within(r.day, 1, 25) || !within(r.month, 1, 10) || r.year < 5 ||
      !within(r.hour, 0, 23) || !within(r.minute, 0, 59) || !within(r.second, 0, 59) ||
      !within(r.hundredths, 0, 99) || !within(r.axles, 2, 9) || !within(r.direction, 1, 2) ||
      !within(r.lane, 1, 9) || r.grossWeight < 0) {
    return false;
  }
  record = r;
  return true;
}

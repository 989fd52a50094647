#include "loadtool/StreamLoading.h"

#include "output/Calendar.h"
#include "output/RecordReader.h"
#include "output/Vehicle.h"

namespace {

constexpr std::size_t maxLineLength = 4096;  // far beyond any record
constexpr std::int64_t hundredthsPerDay = calendar::secondsPerDay * 100;

// Reads the next line without its line end (LF or CRLF). False at the end of the input,
// and when the line is longer than maxLineLength (*tooLong is then set).
bool readLine(std::istream& in, std::string& line, bool* tooLong) {
  char buffer[maxLineLength + 2];
  in.getline(buffer, sizeof buffer);
  std::streamsize count = in.gcount();
  if (in.fail() && !in.eof() && count == static_cast<std::streamsize>(sizeof buffer) - 1) {
    *tooLong = true;  // the buffer filled before the line ended
    return false;
  }
  if (count == 0) {
    return false;  // the end of the input, or a read that failed
  }
  line.assign(buffer, static_cast<std::size_t>(in.eof() ? count : count - 1));  // no '\n'
  if (!line.empty() && line.back() == '\r') {
    line.pop_back();
  }
  return true;
}

}  // namespace

bool loadStream(std::istream& in, const std::string& name, int days, LoadEffectEngine& engine,
                std::string* error) {
  const std::string csvHeader = Vehicle::csvHeader();
  long long lineNumber = 0;
  bool csv = false;
  std::int64_t lastStamp = -1;
  bool tooLong = false;
  for (std::string line; readLine(in, line, &tooLong);) {
    ++lineNumber;
    if (lineNumber == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) {
      line.erase(0, 3);
    }
    if (lineNumber == 1 && line == csvHeader) {
      csv = true;
      continue;
    }
    RecordValues record;
    std::string why;
    bool read = csv ? readCsvRecord(line, &record, &why) : readFixedRecord(line, &record, &why);
    std::string where = "error: " + name + " line " + std::to_string(lineNumber);
    if (!read) {
      *error = where + " is not a " + (csv ? "CSV" : "fixed-column") + " record: " + why;
      return false;
    }
    if (days > 0 && record.stampHundredths() >= days * hundredthsPerDay) {
      break;  // past the days asked for
    }
    if (!engine.add(record, &why)) {
      *error = where + ": " + why;
      return false;
    }
    lastStamp = record.stampHundredths();
  }
  if (tooLong) {
    *error = "error: " + name + " line " + std::to_string(lineNumber + 1) +
             " is longer than " + std::to_string(maxLineLength) + " characters; it is no record";
    return false;
  }
  if (in.bad()) {
    *error = "error: " + name + " could not be read to its end";
    return false;
  }
  int lastDay = lastStamp < 0 ? 0 : static_cast<int>(lastStamp / hundredthsPerDay);
  engine.finish(days > 0 ? days : lastDay);
  return true;
}

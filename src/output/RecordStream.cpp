#include "output/RecordStream.h"

#include "output/RecordReader.h"
#include "output/Vehicle.h"

bool RecordStream::readLine(std::string& line, bool* tooLong) {
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

RecordStream::Outcome RecordStream::next(RecordValues* record, std::string* why) {
  std::string line;
  bool tooLong = false;
  if (!readLine(line, &tooLong)) {
    if (tooLong) {
      *why = "line " + std::to_string(lines + 1) + " is longer than " +
             std::to_string(maxLineLength) + " characters; it is no record";
      return Outcome::failed;
    }
    if (in.bad()) {
      *why = "could not be read to its end";
      return Outcome::failed;
    }
    return Outcome::end;
  }
  ++lines;
  if (lines == 1 && line.compare(0, 3, "\xEF\xBB\xBF") == 0) {
    line.erase(0, 3);
  }
  if (lines == 1 && line == Vehicle::csvHeader()) {
    csv = true;
    return next(record, why);
  }
  bool read = csv ? readCsvRecord(line, record, why) : readFixedRecord(line, record, why);
  return read ? Outcome::record : Outcome::notRecord;
}

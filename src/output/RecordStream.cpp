#include "output/RecordStream.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "output/RecordReader.h"
#include "output/Vehicle.h"

namespace {

std::vector<std::string> columnsOf(const std::string& header) {
  std::vector<std::string> columns;
  std::string::size_type start = 0;
  for (std::string::size_type comma; (comma = header.find(',', start)) != std::string::npos;
       start = comma + 1) {
    columns.push_back(header.substr(start, comma - start));
  }
  columns.push_back(header.substr(start));
  return columns;
}

bool holds(const std::vector<std::string>& columns, const std::string& column) {
  return std::find(columns.begin(), columns.end(), column) != columns.end();
}

// A first line that starts with a letter and holds a comma is meant as a CSV header.
bool looksLikeHeader(const std::string& line) {
  bool letter = !line.empty() && ((line[0] >= 'a' && line[0] <= 'z') || (line[0] >= 'A' && line[0] <= 'Z'));
  return letter && line.find(',') != std::string::npos;
}

// What keeps header from being the CSV form's header: a column it lacks, one it has that
// records do not, or the order of its columns.
std::string headerProblem(const std::string& header) {
  std::vector<std::string> expected = columnsOf(Vehicle::csvHeader());
  std::vector<std::string> found = columnsOf(header);
  for (const std::string& column : expected) {
    if (!holds(found, column)) {
      return "the header has no column `" + column + "`";
    }
  }
  for (const std::string& column : found) {
    if (!holds(expected, column)) {
      return "the header has a column `" + column + "` that records do not have";
    }
  }
  return "the header's columns are not in the order of velmora --format csv";
}

}  // namespace

bool RecordStream::readLine(std::string& line, bool* tooLong) {
  char buffer[maxLineLength + 2];
  in.getline(buffer, sizeof buffer);
  std::streamsize count = in.gcount();
  if (in.fail() && !in.eof() && count == static_cast<std::streamsize>(sizeof buffer) - 1) {
    *tooLong = true;  // the buffer filled before the line ended: skip the rest of it
    in.clear();
    in.ignore(std::numeric_limits<std::streamsize>::max(), '\n');
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
    if (tooLong && !in.bad()) {
      ++lines;
      length = maxLineLength + 1;
      *why = "longer than " + std::to_string(maxLineLength) + " characters";
      return Outcome::notRecord;
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
  length = line.size();
  if (lines == 1 && line == Vehicle::csvHeader()) {
    csv = true;
    return next(record, why);
  }
  if (lines == 1 && looksLikeHeader(line)) {
    *why = "line 1 is a CSV header, but " + headerProblem(line) +
           "; accepted: the header line of velmora --format csv";
    return Outcome::failed;
  }
  bool read = csv ? readCsvRecord(line, record, why) : readFixedRecord(line, record, why);
  return read ? Outcome::record : Outcome::notRecord;
}

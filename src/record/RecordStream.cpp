#include "record/RecordStream.h"

#include <algorithm>
#include <vector>

#include "base/BoundedLine.h"
#include "record/RecordReader.h"
#include "record/Vehicle.h"

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
  bool letter =
      !line.empty() && ((line[0] >= 'a' && line[0] <= 'z') || (line[0] >= 'A' && line[0] <= 'Z'));
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

RecordStream::Outcome RecordStream::next(RecordValues* record, std::string* why) {
  std::string line;
  LineRead lineRead = readBoundedLine(in, &line, maxLineLength);
  if (lineRead == LineRead::end) {
    return Outcome::end;
  }
  if (lineRead != LineRead::line) {
    ++lines;
    *why = lineRead == LineRead::readError
               ? lineReadProblem(lineRead, maxLineLength)
               : "line " + std::to_string(lines) + " " + lineReadProblem(lineRead, maxLineLength) +
                     "; accepted: records of velmora, one a line";
    return Outcome::failed;
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

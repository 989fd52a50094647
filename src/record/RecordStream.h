// A written stream read back record by record, in either form: the CSV form is told by its
// header line, and a leading UTF-8 byte-order mark is skipped. Lines end with LF or CRLF.
#pragma once

#include <istream>
#include <string>

#include "record/RecordValues.h"

class RecordStream {
 public:
  static constexpr std::size_t maxLineLength = 4096;  // far beyond any record

  enum class Outcome {
    record,     // *record holds the line's record
    notRecord,  // the line is no record of the stream's form; *why says why
    end,        // no more lines
    failed,     // a read error, a line longer than maxLineLength or holding a NUL byte
                // (no text: nothing after it is read), or a first line meant as a CSV
                // header that is not the CSV form's; *why says which
  };

  // REQUIRES: in outlives the stream.
  explicit RecordStream(std::istream& in) : in(in) {}

  // Reads the next line that is not the CSV header.
  Outcome next(RecordValues* record, std::string* why);
  // Reads every line to the end: visit(&record) for each record, visit(nullptr) for each
  // line that is no record (lineNumber() and the form are the line's while visit runs).
  // False, with *why, when the stream fails before its end.
  template <typename Visit>
  bool visitLines(Visit visit, std::string* why) {
    RecordValues record;
    for (Outcome outcome; (outcome = next(&record, why)) != Outcome::end;) {
      if (outcome == Outcome::failed) {
        return false;
      }
      visit(outcome == Outcome::record ? &record : nullptr);
    }
    return true;
  }
  // The number of the line read last, from 1.
  long long lineNumber() const { return lines; }
  // Characters of the line read last, without its line end.
  std::size_t lineLength() const { return length; }
  bool isCsv() const { return csv; }
  // "CSV" or "fixed-column".
  const char* formName() const { return csv ? "CSV" : "fixed-column"; }

 private:
  std::istream& in;
  long long lines = 0;
  std::size_t length = 0;
  bool csv = false;
};

// Feeds a written stream, in either form, to a load-effect engine.
#pragma once

#include <istream>
#include <string>

#include "base/StopRequest.h"
#include "load/LoadEffectEngine.h"
#include "record/RecordStream.h"
#include "record/SkippedLines.h"

// How a stream is read, and what reading it found.
struct StreamReading {
  // false: the first line that is no record, or a record the engine refuses, stops the
  // reading; true: such lines are skipped and counted in `skipped`.
  bool skipBadLines = false;
  SkippedLines skipped;
  int highestLane = 0;  // of the records taken
  StopRequest stop;     // asked at every record; a stopped reading fails
};

// Records read one after another, from a written stream or from the rows of a table.
class RecordSource {
 public:
  virtual ~RecordSource() = default;
  // The next record into *record, as RecordStream::next tells.
  virtual RecordStream::Outcome next(RecordValues* record, std::string* why) = 0;
  // Where the record read last stands, for messages: "line 12", "row 12".
  virtual std::string place() const = 0;
  // Its number, from 1.
  virtual long long number() const = 0;
  // The records' form: "CSV", "fixed-column", ...
  virtual std::string formName() const = 0;
};

// As loadStream, from any source of records.
bool loadRecords(RecordSource& source, const std::string& name, int days, LoadEffectEngine& engine,
                 StreamReading* reading, std::string* error);

// True when the lane factors, if any, give one for each lane the records held (named
// `name` in the message); else false, with *error one line.
bool laneFactorsFitRecords(const LoadSettings& settings, const StreamReading& reading,
                           const std::string& name, std::string* error);

// Reads every record of in (named `name` in messages) into engine, then writes the rows of
// `days` days, or, when days is 0, of every day before the day of the last record (a run of
// N days ends with one record past its end, so its stream gives the same N days). The CSV
// form is told by its header line. False, with *error one line naming the line
// and what is wrong, for a stream that cannot be read to its end or, unless
// reading->skipBadLines, a line that is not a record or a record the engine refuses; and
// when days is 0 and the records end within their first day, which leaves no day to report.
bool loadStream(std::istream& in, const std::string& name, int days, LoadEffectEngine& engine,
                StreamReading* reading, std::string* error);

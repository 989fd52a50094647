// Feeds a written stream, in either form, to a load-effect engine.
#pragma once

#include <istream>
#include <string>

#include "load/LoadEffectEngine.h"
#include "output/SkippedLines.h"

// How a stream is read, and what reading it found.
struct StreamReading {
  // false: the first line that is no record, or a record the engine refuses, stops the
  // reading; true: such lines are skipped and counted in `skipped`.
  bool skipBadLines = false;
  SkippedLines skipped;
  int highestLane = 0;  // of the records taken
};

// Reads every record of in (named `name` in messages) into engine, then writes the rows of
// `days` days, or, when days is 0, of every day before the day of the last record (a run of
// N days ends with one record past its end, so its stream gives the same N days). The CSV
// form is told by its header line. False, with *error one line naming the line
// and what is wrong, for a stream that cannot be read to its end or, unless
// reading->skipBadLines, a line that is not a record or a record the engine refuses.
bool loadStream(std::istream& in, const std::string& name, int days, LoadEffectEngine& engine,
                StreamReading* reading, std::string* error);

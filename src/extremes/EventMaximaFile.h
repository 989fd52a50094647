// Event maxima files, as velmora and velmora-load write them with --event-maxima, read back
// for the composite model: each effect's daily greatest values by the number of trucks on
// the bridge, one run for each file.
#pragma once

#include <string>
#include <vector>

#include "extremes/MaximaFile.h"

struct EffectEvents {
  std::string effect;
  std::string unit;  // "kN·m", ...
  int topClass = 0;  // K: the classes are 0, 1, ..., K trucks, K meaning K or more
  // By class, the value of every day of every run, run after run; NaN for a day without a
  // moment of that class.
  std::vector<std::vector<double>> byClass;
  std::vector<std::size_t> runDays;  // the days of each run
};

// True when the file's first line is the event maxima header.
bool isEventMaximaFile(const std::string& path);

// Reads the files into *effects, the effects in the order they first appear. False, with
// *error one line naming the file (and line), for a file that is not an event maxima file, a
// row that is not one, rows out of the order day then class, a day cut short of its
// classes, a file without rows, or a file whose effects, days, classes or units differ from
// the first file's.
bool readEventMaximaFiles(const std::vector<std::string>& paths, std::vector<EffectEvents>* effects,
                          std::string* error);

// As readEventMaximaFiles, from streams in the event maxima files' form: one run each.
bool readEventMaximaStreams(const std::vector<NamedStream>& inputs,
                            std::vector<EffectEvents>* effects, std::string* error);

// The daily maxima the events make: each day's greatest value over its classes, run by run.
EffectMaxima dailyMaximaOf(const EffectEvents& events);

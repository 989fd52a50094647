// What the command line asks of a run beyond its parameter file.
#pragma once

#include <optional>
#include <string>

#include "base/StopRequest.h"
#include "load/LoadEffectEngine.h"
#include "record/RecordLayout.h"
#include "traffic/DrawLimit.h"
#include "traffic/TrafficPatterns.h"

struct RunOptions {
  RecordFormat format = RecordFormat::fixedColumns;  // of the output file
  // With effects, their daily maxima are computed from the vehicles as they are made and
  // written to maximaFile, and their event maxima to eventMaximaFile when it is named.
  LoadSettings load;
  std::string maximaFile;
  std::string eventMaximaFile;  // empty: no event maxima
  std::string spectrumFile;     // the fatigue spectra; empty: none
  std::string damageFile;       // the fatigue damage; empty: none
  TrafficPatterns patterns;     // jams and platoons; none: steady traffic all day
  bool writeRecords = true;     // false: no output file is written or touched
  // Where the parameter file and the site data are read; "": the working folder.
  std::string runFolder;
  std::optional<int> days;  // replaces the parameter file's days when given
  bool console = true;      // false: nothing is printed (a run inside another program)
  StopRequest stop;         // asked at every vehicle; a stopped run fails
  // Rejections in a row after which a draw gives up and the run fails (tests and the
  // fuzzing harness take small ones).
  long drawLimit = maxRejections;
};

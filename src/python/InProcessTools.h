// The tools' work done in process, on settings the caller has read with the programs' own
// option readers, into texts in the form of the programs' files: what the Python module
// asks of velmora --maxima, velmora-load and velmora-extremes. Nothing is written to disk.
// Like the generator, single-threaded: the caller lets one thread at a time in.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "base/StopRequest.h"
#include "extremes/EffectAnalysis.h"
#include "load/LoadEffectEngine.h"
#include "run/RunOptions.h"

// How a tool's work ended: done, refused for its input (nothing made), or failed on the way.
enum class ToolOutcome { done, refused, failed };

// Which of the load effects' tables are asked for besides the daily maxima.
struct LoadTables {
  bool events = false;   // the event maxima
  bool spectra = false;  // the rainflow range spectra
  bool damage = false;   // the Miner damage
};

// The load effects' tables, each as the file of its option holds it; "" when not asked.
struct LoadEffectTexts {
  std::string maxima;
  std::string events;
  std::string spectra;
  std::string damage;
};

// The load effects of options.load over the run of options.runFolder seeded with seed, as
// `velmora --seed N --no-records --maxima ...` writes them. refused, with *error one line,
// for what velmora refuses (the tables asked for need the options velmora's files need);
// failed, with *error, when a draw gives up, the effects cannot take a vehicle or
// options.stop comes due (StopRequest::message).
ToolOutcome runLoadEffects(std::uint32_t seed, const RunOptions& options, const LoadTables& tables,
                           LoadEffectTexts* texts, std::string* error);

// The load effects of rows records, each record_fields::count fields from the day to the
// last axle's weight, row after row, as velmora-load computes them from a stream (named
// `name` in messages) of those records: the days given, or, with days 0, every day before
// the last record's. refused, with *error one line naming the row, for a record out of its
// ranges or one the effects cannot take, or lane factors that do not fit the lanes.
// Asked at every row, stop refuses the rows with StopRequest::message when it comes due.
ToolOutcome recordLoadEffects(const std::int64_t* fields, std::size_t rows, const std::string& name,
                              int days, const LoadSettings& settings, const LoadTables& tables,
                              StopRequest stop, LoadEffectTexts* texts, std::string* error);

// Maxima and event maxima in the form of their files, one text a run each, under names for
// messages.
struct MaximaTexts {
  std::vector<std::string> maxima;
  std::vector<std::string> events;
  std::vector<std::string> maximaNames;
  std::vector<std::string> eventNames;
};

// The fits and return levels of every effect of the texts, as velmora-extremes --csv writes
// them into *csv, with its warnings. refused, with *error one line, for what velmora-extremes
// refuses.
ToolOutcome analyseMaxima(const MaximaTexts& inputs, const AnalysisSettings& settings,
                          std::string* csv, std::vector<std::string>* warnings, std::string* error);

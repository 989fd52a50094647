// The run: the banner, the set-up of one arrival process per lane, and the merge of all
// lanes' vehicles, in time order, into the output file. Every problem is reported as one
// "error: " line on standard error: refused input before the output file is touched (exit
// status 2), a failure while running (exit status 1).
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "run/RunConfig.h"
#include "run/RunOptions.h"
#include "traffic/LaneFlowGenerator.h"
#include "traffic/VehicleGenerator.h"

// The lanes of a run with the vehicle generator they share; owns both for the run's life.
struct LaneSet {
  // One generator makes the vehicles of every lane: it keeps one copy of the site data,
  // and the draws come from the one process-wide stream in any case.
  std::unique_ptr<VehicleGenerator> vehicleGenerator;
  std::vector<std::unique_ptr<LaneFlowGenerator>> lanes;  // creation order: lane index
  // With jams, the schedule of each direction (1 and 2), shared by its lanes.
  std::unique_ptr<JamSchedule> directionJams[2];

  // The lanes in creation order, as the merge loop takes them.
  std::vector<LaneFlowGenerator*> laneList() const;
  // The message of a draw that gave up while the lanes were set up, or "".
  const std::string& drawFailure() const;
};

// s: the end of config's days, days * 86400; 0 for 0 days or less.
double endTimeOfRun(const RunConfig& config);

// Writes the four banner lines to standard output.
void printBanner();
// True when the options' lane factors, if any, give one factor for every lane of config's
// road; else false, with *error one line.
bool laneFactorsCoverLanes(const RunConfig& config, const RunOptions& options, std::string* error);
// True when config's traffic can take the patterns: jams need a free-flow traffic model and
// usable congested-model parameters. Else false, with *error one line.
bool patternsSuitRun(const RunConfig& config, const TrafficPatterns& patterns, std::string* error);
// Reads the options' run folder's "VLMin.txt" into config (or keeps its defaults, saying so
// on the console), takes the options' days when given, loads and checks the
// site data, checks that every output can be written and sets up every lane of set,
// direction-1 lanes first. False, with *error set and the output files untouched, when
// the parameters or the site data cannot be used or an output cannot be written or would
// overwrite an input.
// When a lane's first vehicle cannot be drawn, the set-up stops there and
// set.drawFailure() says so.
bool setUpRun(RunConfig& config, const RunOptions& options, LaneSet& set, std::string* error);
// Where a run's vehicles go: their records, and the rows of the options' load effects.
struct RunSinks {
  std::ostream* records = nullptr;  // null: no records are written
  std::ostream* maxima = nullptr;   // REQUIRES: given when the options ask for load effects
  std::ostream* events = nullptr;   // the event maxima; null: none
  FatigueStreams fatigue;           // the spectra and damage; null: none
};

// Merges the lanes until the end of config's days into the sinks: the records in the
// options' format, the load effects' rows (written when the last day is done). False, with
// *error set, when the records cannot be written, a draw gave up or the load effects cannot
// take a vehicle (the vehicles before it are written).
bool generateInto(const RunConfig& config, const RunOptions& options,
                  const std::vector<LaneFlowGenerator*>& laneList, const RunSinks& sinks,
                  std::string* error);

// Merges the lanes until the end of config's days into config's output file, in the
// options' format, and into the daily maxima of the options' load effects. False, with
// *error set, when a file cannot be written, a draw gave up or the load effects cannot
// take a vehicle. Every output is written beside its file and put in place only when the
// run succeeds: a failed run leaves the earlier files as they were.
bool runGeneration(const RunConfig& config, const RunOptions& options,
                   std::vector<LaneFlowGenerator*> laneList, std::string* error);
// The whole program with config's parameters: banner, set-up, generation and "Generation
// complete". Returns the exit status.
int runProgram(RunConfig& config, const RunOptions& options = RunOptions());

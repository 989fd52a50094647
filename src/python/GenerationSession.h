// A run folder's traffic made in process and taken in chunks of vehicles, with the numbers
// of `velmora --seed N --format csv` for the same seed: what the Python module streams.
// Several sessions may be open at once: each puts the one random stream aside after every
// chunk and takes it up again for its next, so its vehicles depend on its seed alone,
// whatever draws in between. Like the generator, single-threaded: the caller lets one
// thread at a time use any session or run.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "base/StopRequest.h"
#include "random/RandomGenerator.h"
#include "run/LaneMerge.h"
#include "run/Run.h"
#include "run/RunConfig.h"
#include "run/RunOptions.h"

class GenerationSession {
 public:
  GenerationSession() = default;
  GenerationSession(const GenerationSession&) = delete;
  GenerationSession& operator=(const GenerationSession&) = delete;
  virtual ~GenerationSession() = default;

  // Seeds the stream with seed and sets up the run of options.runFolder (its days replaced
  // by options.days when given), writing nothing. False, with *error one line, for what
  // velmora refuses, or a lane whose first vehicle cannot be drawn.
  bool open(std::uint32_t seed, const RunOptions& options, std::string* error);

  // Appends up to maxVehicles next vehicles: the stamp in seconds to *times, and the
  // record's fields from the day to the last axle's weight (record_fields::count a
  // vehicle) to *fields. Ends, as velmora's stream does, with the first vehicle that
  // reaches the end of the days. False, with *error the lane's line, when a draw gave up,
  // or StopRequest::message when stop came due (the session can go on from there).
  // REQUIRES: open() succeeded.
  bool nextChunk(std::size_t maxVehicles, std::vector<double>* times,
                 std::vector<std::int64_t>* fields, StopRequest stop, std::string* error);

  // True once the last vehicle has been handed over (or a draw gave up).
  bool finished() const { return done; }

 private:
  RunConfig config;
  LaneSet lanes;
  std::unique_ptr<LaneMerge> merge;
  RandomGenerator::Snapshot stream{};  // where this session's draws stand
  bool done = false;
};

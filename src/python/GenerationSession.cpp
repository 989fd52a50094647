#include "python/GenerationSession.h"

bool GenerationSession::open(std::uint32_t seed, const RunOptions& options, std::string* error) {
  RandomGenerator::seedWithWord(seed);
  RandomGenerator::clearNormalCache();
  if (!setUpRun(config, options, lanes, error)) {
    return false;
  }
  if (!lanes.drawFailure().empty()) {
    *error = lanes.drawFailure();
    return false;
  }
  merge = std::make_unique<LaneMerge>(lanes.laneList(), endTimeOfRun(config));
  stream = RandomGenerator::snapshot();
  return true;
}

bool GenerationSession::nextChunk(std::size_t maxVehicles, std::vector<double>* times,
                                  std::vector<std::int64_t>* fields, StopRequest stop,
                                  std::string* error) {
  RandomGenerator::restore(stream);
  std::string drawFailure;
  for (std::size_t taken = 0; taken < maxVehicles && !done; ++taken) {
    if (stop.due()) {
      drawFailure = StopRequest::message;
      break;
    }
    std::unique_ptr<Vehicle> vehicle = merge->next(&drawFailure);
    if (!vehicle) {
      done = true;
      break;
    }
    RecordValues values = vehicle->recordValues();
    times->push_back(static_cast<double>(values.stampHundredths()) / 100.0);
    for (int field = 0; field < record_fields::count; ++field) {
      fields->push_back(record_fields::get(values, field));
    }
  }
  stream = RandomGenerator::snapshot();
  *error = drawFailure;
  return drawFailure.empty();
}

#include "run/Run.h"

#include <array>
#include <iostream>

#include "base/Calendar.h"
#include "cli/ExitStatus.h"
#include "cli/OutputFile.h"
#include "cli/ProgramFrame.h"
#include "data/RunFolderFiles.h"
#include "load/BackgroundLoadEngine.h"
#include "options/LoadOptions.h"
#include "record/VehicleWriter.h"
#include "run/LaneMerge.h"
#include "run/SiteLoading.h"

namespace {

// How messages name the records' file.
const char* const recordsOutput = "the run parameter outputFile (value line 1)";

void printLine(const char* text) {
  std::cout << text << std::endl;
}

// Every output file can be written, and none overwrites the parameter file, a site file,
// an influence line or another output, under any name: checked before any is emptied.
bool outputsCanBeWritten(const RunConfig& config, const RunOptions& options,
                         const CheckedSite& site, std::string* error) {
  std::vector<std::string> inputs = {run_folder_files::parameters};
  inputs.insert(inputs.end(), site.inputPaths.begin(), site.inputPaths.end());
  std::vector<std::string> lines = load_options::influenceFiles(options.load);
  inputs.insert(inputs.end(), lines.begin(), lines.end());
  std::vector<OutputRequest> outputs;
  if (options.writeRecords) {
    outputs.push_back({recordsOutput, config.outputFile});
  }
  if (!options.maximaFile.empty()) {
    outputs.push_back({"--maxima", options.maximaFile});
  }
  if (!options.eventMaximaFile.empty()) {
    outputs.push_back({"--event-maxima", options.eventMaximaFile});
  }
  if (!options.spectrumFile.empty()) {
    outputs.push_back({"--fatigue", options.spectrumFile});
  }
  if (!options.damageFile.empty()) {
    outputs.push_back({"--damage", options.damageFile});
  }
  return checkOutputs(outputs, inputs, error);
}

// Reads the run folder's parameters and site data, saying so on the console when the
// defaults are used.
bool readRunFolder(RunConfig& config, const RunOptions& options, CheckedSite* site,
                   std::string* error) {
  bool parametersFound = false;
  bool read = loadRunFolder(options.runFolder, options.days, config, site, &parametersFound, error);
  if (!parametersFound && options.console) {
    printLine("VLMin file could not be opened");
    printLine("Using default values");
  }
  return read;
}

void reportError(const std::string& error) {
  std::cout.flush();
  std::cerr << program_frame::errorPrefix << error << std::endl;
}

// With jams, one schedule for each direction, from the hourly flows of all its lanes.
void makeJamSchedules(const RunConfig& config, const TrafficPatterns& patterns,
                      const TrafficData& data, LaneSet& set) {
  if (!patterns.jams) {
    return;
  }
  std::array<double, TrafficData::hoursPerDay> flows[2] = {};
  for (int lane = 0; lane < config.totalLanes; ++lane) {
    std::vector<double> laneFlows = data.laneFlows(lane);
    auto& directionFlows = flows[lane < config.lanesDir1 ? 0 : 1];
    for (std::size_t hour = 0; hour < directionFlows.size() && hour < laneFlows.size(); ++hour) {
      directionFlows[hour] += laneFlows[hour];
    }
  }
  for (int direction = 0; direction < 2; ++direction) {
    set.directionJams[direction] = std::make_unique<JamSchedule>(*patterns.jams, flows[direction]);
  }
}

}  // namespace

double endTimeOfRun(const RunConfig& config) {
  // days is at most 24855, so the product fits.
  return config.days > 0 ? static_cast<double>(config.days * calendar::secondsPerDay) : 0;
}

bool patternsSuitRun(const RunConfig& config, const TrafficPatterns& patterns, std::string* error) {
  return traffic_patterns::suitsModel(patterns, config.model(), error) &&
         (!patterns.jams || config.suitsJams(error));
}

bool laneFactorsCoverLanes(const RunConfig& config, const RunOptions& options, std::string* error) {
  std::size_t factors = options.load.laneFactors.size();
  if (factors == 0 || factors == static_cast<std::size_t>(config.totalLanes)) {
    return true;
  }
  *error = "--lane-factors gives " + std::to_string(factors) + " factors; the road has " +
           std::to_string(config.totalLanes) + " lanes; accepted: one factor for every lane";
  return false;
}

namespace {

const char* const loadRefusal = "the load effects cannot take ";

// Hands the vehicle to the load effects when it arrives within the run's days (the merge
// ends with one vehicle past them). False, with *error set, once they refused a vehicle.
bool addToLoadEffects(BackgroundLoadEngine& engine, const Vehicle& vehicle, std::int64_t endStamp,
                      std::string* error) {
  RecordValues values = vehicle.recordValues();
  if (values.stampHundredths() >= endStamp || engine.add(values)) {
    return true;
  }
  *error = loadRefusal + engine.refusal();
  return false;
}

// Without a record file the console still shows how far the run has come: a line every
// `every` vehicles, and the total at the end.
class ProgressReport {
 public:
  explicit ProgressReport(int every) : interval(every > 0 ? every : 1) {}
  void count(const Vehicle& vehicle) {
    if (++counted % interval == 0) {
      std::cout << "Generated " << counted << " vehicles up to " << vehicle.timeText() << std::endl;
    }
  }
  void finish() const { std::cout << "Generated " << counted << " vehicles" << std::endl; }

 private:
  long long interval;
  long long counted = 0;
};

}  // namespace

const std::string& LaneSet::drawFailure() const {
  static const std::string none;
  return lanes.empty() ? none : lanes.back()->drawFailure();
}

std::vector<LaneFlowGenerator*> LaneSet::laneList() const {
  std::vector<LaneFlowGenerator*> list;
  for (const auto& lane : lanes) {
    list.push_back(lane.get());
  }
  return list;
}

void printBanner() {
  printLine("--------------------------------------------");
  printLine("     Velmora - Tarnwell\t ");
  printLine("--------------------------------------------");
  printLine("");
}

bool setUpRun(RunConfig& config, const RunOptions& options, LaneSet& set, std::string* error) {
  CheckedSite site;
  if (!readRunFolder(config, options, &site, error) ||
      !outputsCanBeWritten(config, options, site, error) ||
      !laneFactorsCoverLanes(config, options, error) ||
      !patternsSuitRun(config, options.patterns, error)) {
    return false;
  }
  TrafficParameters parameters = config.trafficParameters();
  parameters.drawLimit = options.drawLimit;
  set.vehicleGenerator = std::make_unique<VehicleGenerator>(site.data, parameters);
  makeJamSchedules(config, options.patterns, site.data, set);
  for (int i = 0; i < config.totalLanes && set.drawFailure().empty(); ++i) {
    int direction = i < config.lanesDir1 ? 1 : 2;
    set.lanes.push_back(std::make_unique<LaneFlowGenerator>(parameters));
    set.lanes.back()->usePatterns(set.directionJams[direction - 1].get(),
                                  options.patterns.platoons);
    set.lanes.back()->setUp(set.vehicleGenerator.get(), site.data.laneFlows(i),
                            site.data.getCarFraction(), i, direction);
  }
  return true;
}

bool generateInto(const RunConfig& config, const RunOptions& options,
                  const std::vector<LaneFlowGenerator*>& laneList, const RunSinks& sinks,
                  std::string* error) {
  std::unique_ptr<VehicleWriter> writer;
  if (sinks.records) {
    writer = std::make_unique<VehicleWriter>(*sinks.records, config.bufferSize, options.format);
  }
  std::unique_ptr<BackgroundLoadEngine> engine;
  if (!options.load.effects.empty()) {
    engine = std::make_unique<BackgroundLoadEngine>(options.load, *sinks.maxima, sinks.events,
                                                    sinks.fatigue);
  }
  ProgressReport progress(config.bufferSize);
  error->clear();
  std::int64_t endStamp = std::int64_t{config.days} * calendar::secondsPerDay * 100;
  std::string drawFailure;
  StopRequest stop = options.stop;
  bool drawn = mergeLanes(
      laneList, endTimeOfRun(config),
      [&](std::unique_ptr<Vehicle> vehicle) {
        if (stop.due()) {
          *error = StopRequest::message;
          return false;
        }
        if (engine && !addToLoadEffects(*engine, *vehicle, endStamp, error)) {
          return false;
        }
        if (!writer) {
          if (options.console) {
            progress.count(*vehicle);
          }
          return true;
        }
        writer->add(std::move(vehicle));
        return !writer->failed();
      },
      &drawFailure);
  if (!drawn) {
    *error = drawFailure;  // the vehicles before it are still written
  }
  if (writer) {
    writer->flush();
    if (!writer->finish()) {
      *error =
          "cannot write the output file \"" + config.outputFile + "\": " + writer->failureReason();
      return false;
    }
  } else if (options.console) {
    progress.finish();
  }
  if (engine && error->empty() && !engine->finish(config.days)) {
    *error = loadRefusal + engine->refusal();
  }
  return error->empty();
}

bool runGeneration(const RunConfig& config, const RunOptions& options,
                   std::vector<LaneFlowGenerator*> laneList, std::string* error) {
  // Each output is written beside its file and put in place only once the run has
  // succeeded, so that a run that fails part-way leaves the earlier files as they were.
  OutputFile records(recordsOutput, config.outputFile);
  OutputFile maxima("--maxima", options.maximaFile);
  OutputFile events("--event-maxima", options.eventMaximaFile);
  OutputFile spectra("--fatigue", options.spectrumFile);
  OutputFile damage("--damage", options.damageFile);
  std::vector<OutputFile*> asked;
  auto ask = [&asked](bool wanted, OutputFile& output) -> std::ostream* {
    if (!wanted) {
      return nullptr;
    }
    asked.push_back(&output);
    return &output.stream();
  };
  RunSinks sinks;
  sinks.records = ask(options.writeRecords, records);
  sinks.maxima = ask(!options.maximaFile.empty(), maxima);
  sinks.events = ask(!options.eventMaximaFile.empty(), events);
  sinks.fatigue = {ask(!options.spectrumFile.empty(), spectra),
                   ask(!options.damageFile.empty(), damage)};
  for (OutputFile* output : asked) {
    if (!output->open(error)) {
      return false;
    }
  }
  if (!generateInto(config, options, laneList, sinks, error)) {
    return false;
  }
  for (OutputFile* output : asked) {
    if (!output->commit(error)) {
      return false;
    }
  }
  return true;
}

int runProgram(RunConfig& config, const RunOptions& options) {
  printBanner();
  LaneSet set;
  std::string error;
  if (!setUpRun(config, options, set, &error)) {
    reportError(error);
    return exit_status::refused;
  }
  if (!set.drawFailure().empty()) {
    reportError(set.drawFailure());  // a lane's first vehicle could not be drawn
    return exit_status::failure;
  }
  if (!runGeneration(config, options, set.laneList(), &error)) {
    reportError(error);
    return exit_status::failure;
  }
  printLine("Generation complete");
  return 0;
}

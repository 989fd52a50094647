#include "run/Run.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>

#include "data/FileIdentity.h"
#include "output/Calendar.h"
#include "output/VehicleWriter.h"
#include "run/LaneMerge.h"
#include "run/SiteLoading.h"
#include "traffic/DrawLimit.h"

namespace {

const char* const parameterFile = "VLMin.txt";

void printLine(const char* text) {
  std::cout << text << std::endl;
}

// Creates or truncates the output file. False, with *error set, when it cannot be.
bool openOutputFile(const RunConfig& config, std::ofstream& file, std::string* error) {
  errno = 0;
  file.open(config.outputFile, std::ios::out | std::ios::trunc);
  if (!file.is_open()) {
    *error = "error: cannot create the output file \"" + config.outputFile +
             "\": " + std::strerror(errno != 0 ? errno : EIO);
    return false;
  }
  return true;
}

// The output must not overwrite the parameter file or a site file, under any name.
bool outputIsNoInput(const RunConfig& config, const CheckedSite& site, std::string* error) {
  std::vector<std::string> inputs = {parameterFile};
  inputs.insert(inputs.end(), site.inputPaths.begin(), site.inputPaths.end());
  for (const std::string& input : inputs) {
    if (isSameFile(config.outputFile, input)) {
      *error = "error: the run parameter outputFile (value line 1) is \"" + config.outputFile +
               "\", which is the run's input " + input +
               "; accepted: a file that is not one of the run's inputs";
      return false;
    }
  }
  return true;
}

bool readParameters(RunConfig& config, std::string* error) {
  if (!config.readFile(parameterFile, error)) {
    if (!error->empty()) {
      return false;
    }
    printLine("VLMin file could not be opened");
    printLine("Using default values");
  }
  return true;
}

void reportError(const std::string& error) {
  std::cout.flush();
  std::cerr << error << std::endl;
}

// days * 86400 s (days is at most 24855, so the product fits); no time for 0 days or less.
double endTimeOfRun(const RunConfig& config) {
  return config.days > 0 ? static_cast<double>(config.days * calendar::secondsPerDay) : 0;
}

}  // namespace

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

bool setUpRun(RunConfig& config, LaneSet& set, std::string* error) {
  CheckedSite site;
  std::ofstream emptied;
  if (!readParameters(config, error) || !config.isUsable(error) ||
      !loadCheckedSiteData(config, "", &site, error) || !outputIsNoInput(config, site, error) ||
      !openOutputFile(config, emptied, error)) {
    return false;
  }
  TrafficParameters parameters = config.trafficParameters();
  set.vehicleGenerator = std::make_unique<VehicleGenerator>(site.data, parameters);
  for (int i = 0; i < config.totalLanes; ++i) {
    int direction = i < config.lanesDir1 ? 1 : 2;
    set.lanes.push_back(std::make_unique<LaneFlowGenerator>(parameters));
    set.lanes.back()->setUp(set.vehicleGenerator.get(), site.data.laneFlows(i),
                            site.data.getCarFraction(), i, direction);
  }
  return true;
}

bool runGeneration(const RunConfig& config, const RunOptions& options,
                   std::vector<LaneFlowGenerator*> laneList, std::string* error) {
  std::ofstream file;
  if (!openOutputFile(config, file, error)) {
    return false;
  }
  VehicleWriter writer(file, config.bufferSize, options.format);
  error->clear();
  try {
    mergeLanes(laneList, endTimeOfRun(config), [&writer](std::unique_ptr<Vehicle> vehicle) {
      writer.add(std::move(vehicle));
      return !writer.failed();
    });
  } catch (const UndrawableValueError& failure) {
    *error = failure.what();  // the vehicles before it are still written
  }
  writer.flush();
  if (!writer.finish()) {
    *error = "error: cannot write the output file \"" + config.outputFile +
             "\": " + writer.failureReason();
    return false;
  }
  return error->empty();
}

int runProgram(RunConfig& config, const RunOptions& options) {
  printBanner();
  LaneSet set;
  std::string error;
  try {
    if (!setUpRun(config, set, &error)) {
      reportError(error);
      return exitRefusedInput;
    }
  } catch (const UndrawableValueError& failure) {
    reportError(failure.what());  // a lane's first vehicle could not be drawn
    return exitRunFailure;
  }
  if (!runGeneration(config, options, set.laneList(), &error)) {
    reportError(error);
    return exitRunFailure;
  }
  printLine("Generation complete");
  return 0;
}

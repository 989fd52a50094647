#include "run/Run.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iostream>

#include "data/FileIdentity.h"
#include "data/TrafficDataLoader.h"
#include "output/VehicleWriter.h"
#include "run/RunConfig.h"
#include "traffic/DrawLimit.h"
#include "traffic/SiteDataCheck.h"

namespace {

constexpr int secondsPerDay = 86400;
const char* const parameterFile = "VLMin.txt";

void printLine(const char* text) {
  std::cout << text << std::endl;
}

bool emptyOutputFile(std::string& error) {
  errno = 0;
  std::ofstream file(runConfig.outputFile, std::ios::out | std::ios::trunc);
  if (!file.is_open()) {
    error = "error: cannot create the output file \"" + runConfig.outputFile +
            "\": " + std::strerror(errno != 0 ? errno : EIO);
    return false;
  }
  return true;
}

// The output must not overwrite the parameter file or a site file, under any name.
std::string findOutputClash(const std::vector<SiteFileReport>& reports) {
  std::vector<std::string> inputs = {parameterFile};
  for (const SiteFileReport& report : reports) {
    inputs.push_back(report.path);
  }
  for (const std::string& input : inputs) {
    if (isSameFile(runConfig.outputFile, input)) {
      return "error: the run parameter outputFile (value line 1) is \"" + runConfig.outputFile +
             "\", which is the run's input " + input +
             "; accepted: a file that is not one of the run's inputs";
    }
  }
  return "";
}

bool loadSiteData(TrafficData& data, std::string& error) {
  TrafficDataLoader loader(runConfig.vehicleSite, runConfig.flowSite);
  loader.readFiles(runConfig.trafficModel);
  loader.fillTrafficData(data);
  data.setCarFraction(runConfig.carFraction);
  RoadLayout road{runConfig.lanesDir1, runConfig.lanesDir2, runConfig.trafficModel};
  error = checkSiteData(data, loader.getFileReports(), road);
  if (error.empty()) {
    error = findOutputClash(loader.getFileReports());
  }
  return error.empty();
}

// Takes the earliest lane's vehicle until one whose time stamp reaches endTime has been
// handed over, no lane has any flow left, or the writer failed.
void mergeLanes(std::vector<LaneFlowGenerator*>& laneList, double endTime, VehicleWriter& writer) {
  bool reachedEnd = false;
  while (!reachedEnd && !writer.failed()) {
    reorderLanes(laneList);
    if (!std::isfinite(laneList.front()->nextArrivalTime())) {
      break;  // no lane has any flow
    }
    std::unique_ptr<Vehicle> vehicle = laneList.front()->nextVehicle();
    reachedEnd = vehicle->getTime() >= endTime;
    writer.add(std::move(vehicle));
  }
}

void reportError(const std::string& error) {
  std::cout.flush();
  std::cerr << error << std::endl;
}

// days * 86400 s (days is at most 24855, so the product fits); no time for 0 days or less.
double endTimeOfRun() {
  return runConfig.days > 0 ? runConfig.days * secondsPerDay : 0;
}

std::string writeError(const VehicleWriter& writer) {
  return "error: cannot write the output file \"" + runConfig.outputFile +
         "\": " + writer.failureReason();
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

bool setUpRun(LaneSet& set, std::string& error) {
  if (!runConfig.readFile(parameterFile, &error)) {
    if (!error.empty()) {
      return false;
    }
    printLine("VLMin file could not be opened");
    printLine("Using default values");
  }
  error = runConfig.findProblem();
  TrafficData data;
  if (!error.empty() || !loadSiteData(data, error) || !emptyOutputFile(error)) {
    return false;
  }
  for (int i = 0; i < runConfig.totalLanes; ++i) {
    int direction = i < runConfig.lanesDir1 ? 1 : 2;
    set.lanes.push_back(std::make_unique<LaneFlowGenerator>());
    set.vehicleGenerators.push_back(std::make_unique<VehicleGenerator>(data));
    set.lanes.back()->setUp(set.vehicleGenerators.back().get(), data.laneFlows(i),
                            data.getCarFraction(), i, direction);
  }
  return true;
}

bool earlierArrival(const LaneFlowGenerator* a, const LaneFlowGenerator* b) {
  return a->nextArrivalTime() < b->nextArrivalTime();
}

void reorderLanes(std::vector<LaneFlowGenerator*>& laneList) {
  for (std::size_t i = 1; i < laneList.size(); ++i) {
    LaneFlowGenerator* lane = laneList[i];
    std::size_t j = i;
    while (j > 0 && earlierArrival(lane, laneList[j - 1])) {
      laneList[j] = laneList[j - 1];
      --j;
    }
    laneList[j] = lane;
  }
}

bool runGeneration(std::vector<LaneFlowGenerator*> laneList, double endTime, std::string& error) {
  VehicleWriter writer(runConfig.outputFile, runConfig.bufferSize);
  error.clear();
  if (endTime > 0 && !laneList.empty()) {
    try {
      mergeLanes(laneList, endTime, writer);
    } catch (const UndrawableValueError& failure) {
      error = failure.what();  // the vehicles before it are still written
    }
  }
  writer.flush();
  if (!writer.finish()) {
    error = writeError(writer);
    return false;
  }
  return error.empty();
}

int runProgram() {
  printBanner();
  LaneSet set;
  std::string error;
  try {
    if (!setUpRun(set, error)) {
      reportError(error);
      return exitRefusedInput;
    }
  } catch (const UndrawableValueError& failure) {
    reportError(failure.what());  // a lane's first vehicle could not be drawn
    return exitRunFailure;
  }
  if (!runGeneration(set.laneList(), endTimeOfRun(), error)) {
    reportError(error);
    return exitRunFailure;
  }
  printLine("Generation complete");
  return 0;
}

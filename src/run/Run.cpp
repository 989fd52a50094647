#include "run/Run.h"

#include <cerrno>
#include <cmath>
#include <cstring>
#include <fstream>
#include <iostream>

#include "data/TrafficDataLoader.h"
#include "output/VehicleWriter.h"
#include "run/RunConfig.h"
#include "traffic/SiteDataCheck.h"

namespace {

constexpr int secondsPerDay = 86400;

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

bool loadSiteData(TrafficData& data, std::string& error) {
  TrafficDataLoader loader(runConfig.vehicleSite, runConfig.flowSite);
  loader.readFiles(runConfig.trafficModel);
  loader.fillTrafficData(data);
  data.setCarFraction(runConfig.carFraction);
  RoadLayout road{runConfig.lanesDir1, runConfig.lanesDir2, runConfig.trafficModel};
  error = checkSiteData(data, loader.getFileReports(), road);
  return error.empty();
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
  if (!runConfig.readFile("VLMin.txt")) {
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
  if (endTime > 0 && !laneList.empty()) {
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
  writer.flush();
  if (!writer.finish()) {
    error = writeError(writer);
    return false;
  }
  return true;
}

int runProgram() {
  printBanner();
  LaneSet set;
  std::string error;
  if (!setUpRun(set, error)) {
    reportError(error);
    return exitRefusedInput;
  }
  if (!runGeneration(set.laneList(), endTimeOfRun(), error)) {
    reportError(error);
    return exitRunFailure;
  }
  printLine("Generation complete");
  return 0;
}

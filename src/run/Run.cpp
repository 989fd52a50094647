#include "run/Run.h"

#include <fstream>
#include <iostream>

#include "data/TrafficDataLoader.h"
#include "output/VehicleWriter.h"
#include "run/RunConfig.h"

namespace {

constexpr int secondsPerDay = 86400;

void printLine(const char* text) { std::cout << text << std::endl; }

void emptyOutputFile() { std::ofstream(runConfig.outputFile, std::ios::out | std::ios::trunc); }

TrafficData loadSiteData() {
  TrafficDataLoader loader(runConfig.vehicleSite, runConfig.flowSite);
  loader.readFiles(runConfig.trafficModel);
  TrafficData data;
  loader.fillTrafficData(data);
  data.setCarFraction(runConfig.carFraction);
  return data;
}

// Restores ascending arrival order after only the first lane's time has changed. Stable:
// lanes with equal times keep their order from the previous step.
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

// days * 86400 in 32-bit arithmetic, wrapping like the calendar's own products.
double endTimeOfRun() {
  return static_cast<int>(static_cast<unsigned>(runConfig.days) * unsigned{secondsPerDay});
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

LaneSet setUpRun() {
  if (!runConfig.readFile("VLMin.txt")) {
    printLine("VLMin file could not be opened");
    printLine("Using default values");
  }
  emptyOutputFile();
  TrafficData data = loadSiteData();
  LaneSet set;
  for (int i = 0; i < runConfig.totalLanes; ++i) {
    int direction = i < runConfig.lanesDir1 ? 1 : 2;
    set.lanes.push_back(std::make_unique<LaneFlowGenerator>());
    set.vehicleGenerators.push_back(std::make_unique<VehicleGenerator>(data));
    set.lanes.back()->setUp(set.vehicleGenerators.back().get(), data.laneFlows(i),
                            data.getCarFraction(), i, direction);
  }
  return set;
}

bool earlierArrival(const LaneFlowGenerator* a, const LaneFlowGenerator* b) {
  return a->nextArrivalTime() < b->nextArrivalTime();
}

void runGeneration(std::vector<LaneFlowGenerator*> laneList, double endTime) {
  VehicleWriter writer(runConfig.outputFile, runConfig.bufferSize);
  if (endTime > 0 && !laneList.empty()) {
    bool reachedEnd = false;
    while (!reachedEnd) {
      reorderLanes(laneList);
      std::unique_ptr<Vehicle> vehicle = laneList.front()->nextVehicle();
      reachedEnd = vehicle->getTime() >= endTime;
      writer.add(std::move(vehicle));
    }
  }
  writer.flush();
}

int runProgram() {
  printBanner();
  LaneSet set = setUpRun();
  runGeneration(set.laneList(), endTimeOfRun());
  printLine("Generation complete");
  return 0;
}

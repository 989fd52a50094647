// The merge of all lanes' vehicles into one stream in time order. The stream goes to any
// consumer: the writer of the record file, or a tool that takes the vehicles in process.
#pragma once

#include <cmath>
#include <memory>
#include <vector>

#include "output/Vehicle.h"
#include "traffic/LaneFlowGenerator.h"

// True when a's pending vehicle arrives strictly before b's.
bool earlierArrival(const LaneFlowGenerator* a, const LaneFlowGenerator* b);
// Restores ascending arrival order (by insertion, linear when only the first lane's time has
// changed). Stable: lanes with equal times keep their order from the previous step.
void reorderLanes(std::vector<LaneFlowGenerator*>& laneList);

// Hands the earliest lane's vehicle to consume (a callable taking a
// std::unique_ptr<Vehicle> and returning false to stop) until one whose time stamp reaches
// endTime (seconds) has been handed over, or no lane has any flow left. Hands over nothing
// when endTime <= 0 or there are no lanes. Draws that give up throw UndrawableValueError.
template <typename Consume>
void mergeLanes(std::vector<LaneFlowGenerator*>& laneList, double endTime, Consume&& consume) {
  if (!(endTime > 0) || laneList.empty()) {
    return;
  }
  bool reachedEnd = false;
  while (!reachedEnd) {
    reorderLanes(laneList);
    if (!std::isfinite(laneList.front()->nextArrivalTime())) {
      return;  // no lane has any flow
    }
    std::unique_ptr<Vehicle> vehicle = laneList.front()->nextVehicle();
    reachedEnd = vehicle->getTime() >= endTime;
    if (!consume(std::move(vehicle))) {
      return;
    }
  }
}

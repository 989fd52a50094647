// The merge of all lanes' vehicles into one stream in time order, equal times in the order
// of a stable insertion sort of the lanes at every step. The stream goes to any consumer:
// the writer of the record file, or a tool that takes the vehicles in process.
#pragma once

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "output/Vehicle.h"
#include "run/LaneQueue.h"
#include "traffic/LaneFlowGenerator.h"

// Whether the vehicle's stamp, which lies within a second of its arrival time, reaches
// endTime; the stamp is rebuilt only when the arrival is that close to endTime.
inline bool stampReaches(double arrival, const Vehicle& vehicle, double endTime) {
  if (arrival < endTime - 1.0) {
    return false;
  }
  return arrival >= endTime + 1.0 || vehicle.getTime() >= endTime;
}

// Hands the earliest lane's vehicle to consume (a callable taking a
// std::unique_ptr<Vehicle> and returning false to stop) until one whose time stamp reaches
// endTime (seconds) has been handed over, or no lane has any flow left. Hands over nothing
// when endTime <= 0 or there are no lanes. False, with *drawFailure the lane's message
// line, when a draw gave up: the vehicle taken when it did is not handed over.
template <typename Consume>
bool mergeLanes(const std::vector<LaneFlowGenerator*>& laneList, double endTime,
                Consume&& consume, std::string* drawFailure) {
  if (!(endTime > 0) || laneList.empty()) {
    return true;
  }
  LaneQueue queue(laneList);
  bool reachedEnd = false;
  while (!reachedEnd) {
    LaneFlowGenerator* lane = queue.earliest();
    double arrival = lane->nextArrivalTime();
    if (!std::isfinite(arrival)) {
      return true;  // no lane has any flow
    }
    std::unique_ptr<Vehicle> vehicle = lane->nextVehicle();
    if (!lane->drawFailure().empty()) {
      *drawFailure = lane->drawFailure();
      return false;
    }
    queue.requeueEarliest();
    reachedEnd = stampReaches(arrival, *vehicle, endTime);
    if (!consume(std::move(vehicle))) {
      return true;
    }
  }
  return true;
}

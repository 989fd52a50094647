// The merge of all lanes' vehicles into one stream in time order, equal times in the order
// of a stable insertion sort of the lanes at every step. The stream goes to any consumer:
// the writer of the record file, or a tool that takes the vehicles in process.
#pragma once

#include <cmath>
#include <memory>
#include <string>
#include <vector>

#include "record/Vehicle.h"
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

// The merge taken one vehicle at a time, so that a caller can stop and go on later (the
// in-process streams hand their vehicles over in chunks). REQUIRES: the lanes outlive it.
class LaneMerge {
 public:
  // Merges laneList's vehicles up to the first whose stamp reaches endTime (seconds);
  // nothing when endTime <= 0 or there are no lanes.
  LaneMerge(const std::vector<LaneFlowGenerator*>& laneList, double endTime)
      : endTime(endTime), done(!(endTime > 0) || laneList.empty()) {
    if (!done) {
      queue = std::make_unique<LaneQueue>(laneList);
    }
  }

  // The next vehicle in time order; null once the vehicle that reaches the end time has been
  // handed over, no lane has any flow left, or a draw gave up (*drawFailure then holds the
  // lane's message line, and the vehicle taken when it did is not handed over).
  std::unique_ptr<Vehicle> next(std::string* drawFailure) {
    if (done) {
      return nullptr;
    }
    LaneFlowGenerator* lane = queue->earliest();
    double arrival = lane->nextArrivalTime();
    if (!std::isfinite(arrival)) {
      done = true;  // no lane has any flow
      return nullptr;
    }
    std::unique_ptr<Vehicle> vehicle = lane->nextVehicle();
    if (!lane->drawFailure().empty()) {
      *drawFailure = lane->drawFailure();
      done = true;
      return nullptr;
    }
    queue->requeueEarliest();
    done = stampReaches(arrival, *vehicle, endTime);
    return vehicle;
  }

 private:
  double endTime;
  bool done;
  std::unique_ptr<LaneQueue> queue;
};

// Hands the earliest lane's vehicle to consume (a callable taking a
// std::unique_ptr<Vehicle> and returning false to stop) until one whose time stamp reaches
// endTime (seconds) has been handed over, or no lane has any flow left. Hands over nothing
// when endTime <= 0 or there are no lanes. False, with *drawFailure the lane's message
// line, when a draw gave up: the vehicle taken when it did is not handed over.
template <typename Consume>
bool mergeLanes(const std::vector<LaneFlowGenerator*>& laneList, double endTime, Consume&& consume,
                std::string* drawFailure) {
  LaneMerge merge(laneList, endTime);
  drawFailure->clear();
  while (std::unique_ptr<Vehicle> vehicle = merge.next(drawFailure)) {
    if (!consume(std::move(vehicle))) {
      return true;
    }
  }
  return drawFailure->empty();
}

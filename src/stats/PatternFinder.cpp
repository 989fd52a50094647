#include "stats/PatternFinder.h"

#include <algorithm>
#include <cmath>

#include "base/Calendar.h"
#include "traffic/TrafficPatterns.h"

namespace {

// m: 0.01 s at 40 m/s is 0.4 m, and a speed rounded to whole dm/s moves a gap of a second's
// headway by at most 0.05 m.
constexpr double measuredGapTolerance = 1.0;
constexpr double secondsPerHour = calendar::secondsPerHour;

}  // namespace

double PatternFinder::platoonGapLimit() {
  return traffic_patterns::maxPlatoonGap + measuredGapTolerance;
}

void PatternFinder::add(const RecordValues& record, double time) {
  auto index = static_cast<std::size_t>(record.direction - 1);
  Direction& direction = directions[index];
  if (direction.runs.empty() || record.speed != direction.runSpeed) {
    direction.runs.push_back({direction.nextRun++, 0});
    direction.runSpeed = record.speed;
  }
  ++direction.runs.back().vehicles;
  direction.waiting.push_back(
      {record.lane, !record.isCar(), record.speed, record.length, time, direction.runs.back().id});
  if (direction.waiting.size() >= static_cast<std::size_t>(minJamVehicles)) {
    release(direction, static_cast<int>(index));
  }
}

void PatternFinder::finish() {
  for (std::size_t index = 0; index < directions.size(); ++index) {
    Direction& direction = directions[index];
    while (!direction.waiting.empty()) {
      release(direction, static_cast<int>(index));
    }
    closeJam(direction, static_cast<int>(index));
    direction = Direction();
  }
  for (Chain& chain : chains) {
    closeChain(chain);
  }
}

// The oldest waiting vehicle has minJamVehicles - 1 after it, or the stream has ended: when
// its run is still going on all of those belong to it, so its run's count so far decides.
void PatternFinder::release(Direction& direction, int directionIndex) {
  Vehicle vehicle = direction.waiting.front();
  direction.waiting.pop_front();
  while (direction.runs.front().id != vehicle.run) {
    direction.runs.pop_front();
  }
  bool jammed = direction.runs.front().vehicles >= minJamVehicles;
  classify(vehicle, jammed, direction, directionIndex);
}

void PatternFinder::classify(const Vehicle& vehicle, bool jammed, Direction& direction,
                             int directionIndex) {
  DirectionJams& counts = directionJams[static_cast<std::size_t>(directionIndex)];
  ++counts.vehicles;
  truckCount += vehicle.truck ? 1 : 0;
  if (!jammed) {
    closeJam(direction, directionIndex);
  } else if (direction.inJam && direction.jamRun == vehicle.run) {
    ++counts.jammedVehicles;
    direction.jamEnd = vehicle.time;
  } else {
    closeJam(direction, directionIndex);
    ++counts.jammedVehicles;
    direction.inJam = true;
    direction.jamRun = vehicle.run;
    direction.jamStart = vehicle.time;
    direction.jamEnd = vehicle.time;
  }
  extendChain(vehicle, jammed);
}

void PatternFinder::closeJam(Direction& direction, int directionIndex) {
  if (!direction.inJam) {
    return;
  }
  direction.inJam = false;
  DirectionJams& counts = directionJams[static_cast<std::size_t>(directionIndex)];
  ++counts.jams;
  counts.jammedSeconds += direction.jamEnd - direction.jamStart;
  for (double time = direction.jamStart; time < direction.jamEnd;) {
    double hours = std::floor(time / secondsPerHour);
    double upTo = std::min((hours + 1) * secondsPerHour, direction.jamEnd);
    jamHours[static_cast<std::size_t>(static_cast<long long>(hours) % 24)] += upTo - time;
    time = upTo;
  }
}

void PatternFinder::extendChain(const Vehicle& vehicle, bool jammed) {
  Chain& chain = chains[static_cast<std::size_t>(vehicle.lane)];
  if (jammed || !vehicle.truck) {
    closeChain(chain);
    return;
  }
  if (chain.trucks > 0 && vehicle.speed == chain.speed && vehicle.speed > 0) {
    double gap = (vehicle.time - chain.time) * (static_cast<double>(vehicle.speed) * 0.1) -
                 static_cast<double>(chain.length) * 0.1;
    if (gap <= platoonGapLimit()) {
      auto bin = static_cast<std::size_t>(std::max(gap, 0.0) / gapBinWidth + 0.5);
      if (gapCounts.size() <= bin) {
        gapCounts.resize(bin + 1, 0);
      }
      ++gapCounts[bin];
      ++chain.trucks;
      chain.length = vehicle.length;
      chain.time = vehicle.time;
      return;
    }
  }
  closeChain(chain);
  chain = {1, vehicle.speed, vehicle.length, vehicle.time};
}

void PatternFinder::closeChain(Chain& chain) {
  if (chain.trucks >= 2) {
    ++platoonCounts[static_cast<std::size_t>(std::min(chain.trucks, largestSizeKept))];
    trucksInPlatoons += chain.trucks;
  }
  chain.trucks = 0;
}

#include "stats/StreamSummary.h"

#include <algorithm>
#include <cmath>

#include "output/Calendar.h"
#include "output/RecordLayout.h"
#include "output/Vehicle.h"
#include "traffic/LaneFlowGenerator.h"

namespace {

std::size_t at(int index) {
  return static_cast<std::size_t>(index);
}

}  // namespace

const char* className(VehicleClass vehicleClass) {
  static const char* const names[] = {"cars",          "2-axle trucks", "3-axle trucks",
                                      "4-axle trucks", "5-axle trucks", "other trucks"};
  return names[static_cast<int>(vehicleClass)];
}

VehicleClass classOf(const StreamRecord& record) {
  if (record.isCar()) {
    return VehicleClass::car;
  }
  if (record.axles >= 2 && record.axles <= 5) {
    return static_cast<VehicleClass>(record.axles - 1);
  }
  return VehicleClass::other;
}

StreamSummary::StreamSummary(double catchUpLength)
    : grossWeightCounts(2 * vehicleClassCount, std::vector<long long>(maxGrossWeight + 1, 0)),
      speedCounts(2, std::vector<long long>(maxSpeed + 1, 0)),
      classSpeedCounts(vehicleClassCount, std::vector<long long>(maxSpeed + 1, 0)),
      catchUp(catchUpLength) {}

void StreamSummary::addLine(const std::string& line, long long lineNumber) {
  if (lineNumber == 1 && line == Vehicle::csvHeader()) {
    csvInput = true;
    return;
  }
  StreamRecord record;
  if (csvInput ? parseCsvRecord(line, record) : parseRecord(line, record)) {
    widenedCount += !csvInput && line.size() > static_cast<std::size_t>(record_layout::recordLength);
    addRecord(record);
    return;
  }
  ++unparseableCount;
  if (badLines.size() < unparseableLinesKept) {
    badLines.push_back(lineNumber);
  }
}

void StreamSummary::addRecord(const StreamRecord& record) {
  ++recordCount;
  auto vehicleClass = static_cast<std::size_t>(classOf(record));
  lastTime = std::max(lastTime, record.time());
  topLane = std::max(topLane, record.lane);
  laneDirection[at(record.lane)] = record.direction;
  ++perLane[at(record.lane)][vehicleClass];
  ++perHour[at(record.lane)][at(record.hour)];
  int weight = std::min(record.grossWeight, maxGrossWeight);
  ++grossWeightCounts[vehicleClass * 2 + at(record.direction - 1)][at(weight)];
  int speed = std::clamp(record.speed, 0, maxSpeed);
  ++speedCounts[at(record.direction - 1)][at(speed)];
  ++classSpeedCounts[vehicleClass][at(speed)];
  keepIfHeavy(record);
  addHeadwayPair(record);
}

void StreamSummary::addHeadwayPair(const StreamRecord& record) {
  Leader& leader = leaders[at(record.lane)];
  if (leader.seen) {
    HeadwayPairs& pairs = pairsByHour[at(record.lane)][at(leader.hour)];
    double minimum = LaneFlowGenerator::minimumHeadwayBehind(
        leader.speed, leader.length, record.speed, catchUp, LaneFlowGenerator::clearanceBehindLeader);
    ++pairs.pairs;
    if (minimum > 0) {
      ++pairs.drawn;
      pairs.minimumSum += minimum;
    }
  }
  leader = {true, record.speed, record.length, record.hour};
}

void StreamSummary::keepIfHeavy(const StreamRecord& record) {
  if (heavy.size() == heaviestKept && heavy.back().grossWeight >= record.grossWeight) {
    return;
  }
  Heavy entry{record.grossWeight, record.axles, record.lane, record.timeText()};
  auto place = std::upper_bound(
      heavy.begin(), heavy.end(), entry,
      [](const Heavy& a, const Heavy& b) { return a.grossWeight > b.grossWeight; });
  heavy.insert(place, entry);
  if (heavy.size() > heaviestKept) {
    heavy.pop_back();
  }
}

int StreamSummary::days() const {
  return std::max(1, static_cast<int>(lastTime / static_cast<double>(calendar::secondsPerDay)));
}

long long StreamSummary::vehicles(int lane, VehicleClass vehicleClass) const {
  return perLane[at(lane)][static_cast<std::size_t>(vehicleClass)];
}

long long StreamSummary::vehiclesOfLane(int lane) const {
  long long total = 0;
  for (long long count : perLane[at(lane)]) {
    total += count;
  }
  return total;
}

long long StreamSummary::vehiclesOfClass(VehicleClass vehicleClass) const {
  long long total = 0;
  for (int lane = 1; lane <= maxLanes; ++lane) {
    total += vehicles(lane, vehicleClass);
  }
  return total;
}

long long StreamSummary::vehiclesInHour(int lane, int hour) const {
  return perHour[at(lane)][at(hour)];
}

const std::vector<long long>& StreamSummary::grossWeights(VehicleClass vehicleClass,
                                                          int direction) const {
  return grossWeightCounts[static_cast<std::size_t>(vehicleClass) * 2 + at(direction - 1)];
}

std::vector<long long> StreamSummary::grossWeightsOfClass(VehicleClass vehicleClass) const {
  std::vector<long long> both = grossWeights(vehicleClass, 1);
  const std::vector<long long>& second = grossWeights(vehicleClass, 2);
  for (std::size_t i = 0; i < both.size(); ++i) {
    both[i] += second[i];
  }
  return both;
}

const std::vector<long long>& StreamSummary::speeds(int direction) const {
  return speedCounts[at(direction - 1)];
}

const std::vector<long long>& StreamSummary::speedsOfClass(VehicleClass vehicleClass) const {
  return classSpeedCounts[static_cast<std::size_t>(vehicleClass)];
}

long long total(const std::vector<long long>& histogram) {
  long long sum = 0;
  for (long long count : histogram) {
    sum += count;
  }
  return sum;
}

int percentile(const std::vector<long long>& histogram, double share) {
  long long count = total(histogram);
  if (count == 0) {
    return -1;
  }
  auto needed = static_cast<long long>(std::ceil(share * static_cast<double>(count)));
  long long running = 0;
  for (std::size_t value = 0; value < histogram.size(); ++value) {
    running += histogram[value];
    if (running >= std::max(needed, 1LL)) {
      return static_cast<int>(value);
    }
  }
  return static_cast<int>(histogram.size()) - 1;
}

int maximum(const std::vector<long long>& histogram) {
  for (std::size_t value = histogram.size(); value > 0; --value) {
    if (histogram[value - 1] > 0) {
      return static_cast<int>(value - 1);
    }
  }
  return -1;
}

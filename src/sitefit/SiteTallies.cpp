#include "sitefit/SiteTallies.h"

#include <algorithm>

#include "output/Calendar.h"
#include "traffic/DrawnQuantity.h"
#include "traffic/LaneFlowGenerator.h"

bool SiteTallies::countsAsCar(const RecordValues& record) const {
  return record.isCar() ||
         (record.axleCount == 2 && static_cast<double>(record.grossWeight) < grossWeightRange.low);
}

bool SiteTallies::add(const RecordValues& record, std::string* why) {
  if (record.lane < 1 || record.lane > maxLanes) {
    *why = "a lane outside 1 to " + std::to_string(maxLanes);
    return false;
  }
  if (record.direction != 1 && record.direction != 2) {
    *why = "a direction other than 1 or 2";
    return false;
  }
  if (laneTallies.size() < static_cast<std::size_t>(record.lane)) {
    laneTallies.resize(static_cast<std::size_t>(record.lane));
    leaders.resize(static_cast<std::size_t>(record.lane));
  }
  LaneTallies& lane = laneTallies[static_cast<std::size_t>(record.lane - 1)];
  if (lane.direction != 0 && lane.direction != record.direction) {
    *why = "a lane seen in both directions";
    return false;
  }
  bool car = countsAsCar(record);
  if (!car && (record.axleCount < 2 || record.axleCount > 5)) {
    *why = "trucks of other than 2 to 5 axles";
    return false;
  }
  if (!car && !grossWeightRange.contains(static_cast<double>(record.grossWeight))) {
    *why = "truck gross weights outside " + rangeText(grossWeightRange);
    return false;
  }
  lane.direction = record.direction;
  int hour = static_cast<int>(record.stampHundredths() / (calendar::secondsPerHour * 100) %
                              calendar::hoursPerDay);
  addHeadway(record, hour);
  speedTallies[static_cast<std::size_t>(record.direction - 1)].add(record.speed);
  if (car) {
    ++lane.cars;
    ++carCount;
    return true;
  }
  ++truckCount;
  std::size_t axles = static_cast<std::size_t>(record.axleCount);
  ++lane.trucksByHour[static_cast<std::size_t>(hour)];
  ++lane.trucksByClass[axles - 2];
  ClassTallies& tallies = classes[axles - 2];
  tallies.grossWeights[static_cast<std::size_t>(record.direction - 1)].add(record.grossWeight);
  for (std::size_t i = 0; i + 1 < axles; ++i) {
    tallies.spacings[i].add(record.axleSpacings[i]);
  }
  if (axles <= 3) {
    for (std::size_t i = 0; i < axles; ++i) {
      tallies.axleWeights[i].add(record.axleWeights[i]);
    }
    return true;
  }
  int row = std::min(bandRowOf(static_cast<double>(record.grossWeight)), bandRows - 1);
  BandSums& band = tallies.bands[static_cast<std::size_t>(row)];
  double rear = 0.0;
  for (std::size_t i = 2; i < axles; ++i) {
    rear += static_cast<double>(record.axleWeights[i]);
  }
  const std::array<double, 3> groups = {static_cast<double>(record.axleWeights[0]),
                                        static_cast<double>(record.axleWeights[1]), rear};
  ++band.trucks;
  for (std::size_t g = 0; g < 3; ++g) {
    band.sums[g] += groups[g];
    band.squares[g] += groups[g] * groups[g];
  }
  return true;
}

void SiteTallies::addHeadway(const RecordValues& record, int hour) {
  Leader& leader = leaders[static_cast<std::size_t>(record.lane - 1)];
  double speed = static_cast<double>(record.speed);
  if (leader.seen && record.stampHundredths() >= leader.stamp) {  // out of order: no pair
    LaneTallies& lane = laneTallies[static_cast<std::size_t>(record.lane - 1)];
    std::int64_t headway = record.stampHundredths() - leader.stamp;
    ++lane.headwayCountsByHour[leader.hour][std::min<std::int64_t>(headway, shortHeadways)];
    double minimum = LaneFlowGenerator::minimumHeadwayBehind(
        leader.speed, leader.length, speed, catchUp, LaneFlowGenerator::clearanceBehindLeader);
    if (minimum > 0) {
      HeadwaySums& sums = lane.headwaysByHour[leader.hour];
      ++sums.drawn;
      sums.headways += static_cast<double>(headway) / 100.0;
      sums.minimums += minimum;
    }
  }
  leader = {true, record.stampHundredths(), speed, static_cast<double>(record.length), hour};
}

#include "sitefit/SiteTallies.h"

#include <algorithm>

#include "base/Calendar.h"
#include "traffic/DrawnQuantity.h"
#include "traffic/LaneFlowGenerator.h"

namespace {

constexpr std::int64_t hundredthsPerHour = calendar::secondsPerHour * 100;
constexpr std::int64_t hundredthsPerDay = hundredthsPerHour * calendar::hoursPerDay;

}  // namespace

bool SiteTallies::countsAsCar(const RecordValues& record) {
  return record.isCar() ||
         (record.axleCount == 2 && static_cast<double>(record.grossWeight) < grossWeightRange.low);
}

bool SiteTallies::hasHeavyTrucks() const {
  for (int axles = firstHeavyAxles; axles <= maxTruckAxles; ++axles) {
    if (truckClass(axles).grossWeights[0].size() + truckClass(axles).grossWeights[1].size() > 0) {
      return true;
    }
  }
  return false;
}

bool SiteTallies::add(const RecordValues& record, std::int64_t stamp, std::string* why) {
  if (record.lane < 1 || record.lane > maxLanes) {
    *why = "a lane outside 1 to " + std::to_string(maxLanes);
    return false;
  }
  if (record.direction != 1 && record.direction != 2) {
    *why = "a direction other than 1 or 2";
    return false;
  }
  auto laneCount = static_cast<std::size_t>(record.lane);
  if (laneTallies.size() < laneCount) {
    laneTallies.resize(laneCount);
    leaders.resize(laneCount);
    heldBack.resize(laneCount);
    latestStamps.resize(laneCount, 0);
  }
  LaneTallies& lane = laneTallies[laneCount - 1];
  if (lane.direction != 0 && lane.direction != record.direction) {
    *why = "a lane seen in both directions";
    return false;
  }
  bool car = countsAsCar(record);
  if (!car && (record.axleCount < minTruckAxles || record.axleCount > maxTruckAxles)) {
    *why = "trucks of other than 2 to 9 axles";
    return false;
  }
  const AcceptedRange& accepted = grossWeightRangeOf(record.axleCount);
  if (!car && !accepted.contains(static_cast<double>(record.grossWeight))) {
    *why = "truck gross weights outside " + rangeText(accepted) +
           (record.axleCount < firstHeavyAxles ? " (2 to 5 axles)" : " (6 to 9 axles)");
    return false;
  }
  lane.direction = record.direction;
  lane.days.insert(stamp / hundredthsPerDay);
  int hour = static_cast<int>(stamp / hundredthsPerHour % calendar::hoursPerDay);
  std::int64_t& latest = latestStamps[laneCount - 1];
  lateRecords += stamp < latest;
  latest = std::max(latest, stamp);
  HeldBack& held = heldBack[laneCount - 1];
  held.push({stamp, static_cast<double>(record.speed), static_cast<double>(record.length), hour});
  if (held.size() > reorderWindow) {
    takeHeadway(record.lane, held.top());
    held.pop();
  }
  speedTallies[static_cast<std::size_t>(record.direction - 1)].add(record.speed);
  if (car) {
    ++lane.cars;
    ++carCount;
  } else {
    addTruck(record, lane, hour);
  }
  return true;
}

void SiteTallies::addTruck(const RecordValues& record, LaneTallies& lane, int hour) {
  ++truckCount;
  auto axles = static_cast<std::size_t>(record.axleCount);
  ++lane.trucksByHour[static_cast<std::size_t>(hour)];
  ++lane.trucksByClass[axles - minTruckAxles];
  ClassTallies& tallies = classes[axles - minTruckAxles];
  tallies.grossWeights[static_cast<std::size_t>(record.direction - 1)].add(record.grossWeight);
  for (std::size_t i = 0; i + 1 < axles; ++i) {
    tallies.spacings[i].add(record.axleSpacings[i]);
  }
  if (axles <= 3) {
    for (std::size_t i = 0; i < axles; ++i) {
      tallies.axleWeights[i].add(record.axleWeights[i]);
    }
    return;
  }
  if (static_cast<int>(axles) >= firstHeavyAxles) {
    HeavyBandSums& band = tallies.heavyBands[static_cast<std::size_t>(
        heavyBandRowOf(static_cast<double>(record.grossWeight)))];
    ++band.trucks;
    for (std::size_t i = 0; i < axles; ++i) {
      auto weight = static_cast<double>(record.axleWeights[i]);
      band.sums[i] += weight;
      band.squares[i] += weight * weight;
    }
    return;
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
}

void SiteTallies::finish() {
  for (std::size_t lane = 0; lane < heldBack.size(); ++lane) {
    for (HeldBack& held = heldBack[lane]; !held.empty(); held.pop()) {
      takeHeadway(static_cast<int>(lane + 1), held.top());
    }
  }
}

// A pair a day or more apart is a gap in the records (days left out, a station down), not a
// headway.
void SiteTallies::takeHeadway(int laneNumber, const Passage& passage) {
  Leader& leader = leaders[static_cast<std::size_t>(laneNumber - 1)];
  if (leader.seen && passage.stamp < leader.passage.stamp) {
    ++unorderedRecords;
    return;
  }
  std::int64_t headway = passage.stamp - leader.passage.stamp;
  if (leader.seen && headway < hundredthsPerDay) {
    LaneTallies& lane = laneTallies[static_cast<std::size_t>(laneNumber - 1)];
    const Passage& ahead = leader.passage;
    ++lane.headwayCountsByHour[ahead.hour][std::min<std::int64_t>(headway, shortHeadways)];
    double minimum =
        LaneFlowGenerator::minimumHeadwayBehind(ahead.speed, ahead.length, passage.speed, catchUp,
                                                LaneFlowGenerator::clearanceBehindLeader);
    if (minimum > 0) {
      HeadwaySums& sums = lane.headwaysByHour[ahead.hour];
      ++sums.drawn;
      sums.headways += static_cast<double>(headway) / 100.0;
      sums.minimums += minimum;
    }
  }
  leader = {true, passage};
}

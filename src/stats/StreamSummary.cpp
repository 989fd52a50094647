#include "stats/StreamSummary.h"

#include <algorithm>
#include <cmath>

#include "base/Calendar.h"
#include "data/TrafficData.h"
#include "record/RecordLayout.h"
#include "record/RecordStream.h"
#include "traffic/LaneFlowGenerator.h"

namespace {

std::size_t at(int index) {
  return static_cast<std::size_t>(index);
}

bool within(std::int64_t value, std::int64_t low, std::int64_t high) {
  return value >= low && value <= high;
}

// Whether the summary can place the record: its clock within the day, its lane within the
// lanes a road has, a truck of 2 axles or more.
bool canPlace(const RecordValues& r) {
  return within(r.day, 1, calendar::daysPerMonth) && within(r.month, 1, calendar::monthsPerYear) &&
         r.year >= calendar::firstYear && within(r.hour, 0, 23) && within(r.minute, 0, 59) &&
         within(r.second, 0, 59) && within(r.hundredths, 0, 99) &&
         within(r.axleCount, 2, record_layout::maxAxles) && within(r.direction, 1, 2) &&
         within(r.lane, 1, StreamSummary::maxLanes) && r.grossWeight >= 0;
}

// Seconds from the start of the first day.
double timeOf(const RecordValues& record) {
  std::int64_t stamp = record.stampHundredths();
  return static_cast<double>(stamp / 100) + static_cast<double>(stamp % 100) * 0.01;
}

// "day/month/year hour:minute:second.hundredths", the clock zero-padded: "1/1/5 5:09:01.11".
std::string clockText(const RecordValues& record) {
  auto twoDigits = [](int value) { return (value < 10 ? "0" : "") + std::to_string(value); };
  return std::to_string(record.day) + "/" + std::to_string(record.month) + "/" +
         std::to_string(record.year) + " " + std::to_string(record.hour) + ":" +
         twoDigits(record.minute) + ":" + twoDigits(record.second) + "." +
         twoDigits(record.hundredths);
}

}  // namespace

const char* className(VehicleClass vehicleClass) {
  static const char* const names[] = {
      "cars",          "2-axle trucks", "3-axle trucks", "4-axle trucks", "5-axle trucks",
      "6-axle trucks", "7-axle trucks", "8-axle trucks", "9-axle trucks", "other trucks"};
  return names[static_cast<int>(vehicleClass)];
}

VehicleClass classOf(const RecordValues& record) {
  if (record.isCar()) {
    return VehicleClass::car;
  }
  if (record.axleCount >= minTruckAxles && record.axleCount <= maxTruckAxles) {
    return truckClass(record.axleCount);
  }
  return VehicleClass::other;
}

StreamSummary::StreamSummary(double catchUpLength)
    : grossWeightCounts(2 * vehicleClassCount, std::vector<long long>(maxGrossWeight + 1, 0)),
      speedCounts(2, std::vector<long long>(maxSpeed + 1, 0)),
      classSpeedCounts(vehicleClassCount, std::vector<long long>(maxSpeed + 1, 0)),
      catchUp(catchUpLength) {}

bool StreamSummary::addStream(std::istream& in, const std::string& name, std::string* error) {
  RecordStream stream(in);
  std::string why;
  bool read = stream.visitLines(
      [&](const RecordValues* record) {
        csvInput = stream.isCsv();
        if (record == nullptr || !canPlace(*record)) {
          addNotRecord(stream.lineNumber());
          return;
        }
        auto recordLength = static_cast<std::size_t>(record_layout::recordLength);
        widenedCount += !csvInput && stream.lineLength() > recordLength;
        addRecord(*record);
      },
      &why);
  csvInput = stream.isCsv();
  patternFinder.finish();
  if (!read) {
    *error = "the stream \"" + name + "\" " + why;
  }
  return read;
}

void StreamSummary::addNotRecord(long long lineNumber) {
  ++unparseableCount;
  if (badLines.size() < unparseableLinesKept) {
    badLines.push_back(lineNumber);
  }
}

void StreamSummary::addRecord(const RecordValues& record) {
  ++recordCount;
  auto vehicleClass = static_cast<std::size_t>(classOf(record));
  lastTime = std::max(lastTime, timeOf(record));
  topLane = std::max(topLane, record.lane);
  laneDirection[at(record.lane)] = record.direction;
  ++perLane[at(record.lane)][vehicleClass];
  ++perHour[at(record.lane)][at(record.hour)];
  auto weight = static_cast<int>(std::min<std::int64_t>(record.grossWeight, maxGrossWeight));
  ++grossWeightCounts[vehicleClass * 2 + at(record.direction - 1)][at(weight)];
  auto speed = static_cast<int>(std::clamp<std::int64_t>(record.speed, 0, maxSpeed));
  ++speedCounts[at(record.direction - 1)][at(speed)];
  ++classSpeedCounts[vehicleClass][at(speed)];
  keepIfHeavy(record);
  addHeadwayPair(record);
  patternFinder.add(record, timeOf(record));
}

void StreamSummary::addHeadwayPair(const RecordValues& record) {
  Leader& leader = leaders[at(record.lane)];
  if (leader.seen) {
    HeadwayPairs& pairs = pairsByHour[at(record.lane)][at(leader.hour)];
    double minimum =
        LaneFlowGenerator::minimumHeadwayBehind(leader.speed, leader.length, record.speed, catchUp,
                                                LaneFlowGenerator::clearanceBehindLeader);
    ++pairs.pairs;
    if (minimum > 0) {
      ++pairs.drawn;
      pairs.minimumSum += minimum;
    }
  }
  leader = {true, record.speed, record.length, record.hour};
}

void StreamSummary::keepIfHeavy(const RecordValues& record) {
  if (heavy.size() == heaviestKept && heavy.back().grossWeight >= record.grossWeight) {
    return;
  }
  Heavy entry{record.grossWeight, record.axleCount, record.lane, clockText(record)};
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

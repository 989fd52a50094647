// What a generated stream holds, gathered record by record in memory that does not depend
// on the stream's length: counts per lane, class and hour of day, histograms of gross
// weight and speed, the heaviest vehicles, and the lines that are not records.
#pragma once

#include <array>
#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "record/RecordLayout.h"
#include "record/RecordValues.h"
#include "run/RunConfig.h"
#include "stats/PatternFinder.h"

// The classes a summary tells apart: cars, then trucks by number of axles.
enum class VehicleClass {
  car,
  twoAxle,
  threeAxle,
  fourAxle,
  fiveAxle,
  sixAxle,
  sevenAxle,
  eightAxle,
  nineAxle,
  other
};
constexpr int vehicleClassCount = 10;
// The class of trucks with `axles` axles (2..9).
constexpr VehicleClass truckClass(int axles) {
  return static_cast<VehicleClass>(axles - 1);
}
// "cars", "2-axle trucks", ... "other trucks".
const char* className(VehicleClass vehicleClass);
VehicleClass classOf(const RecordValues& record);

class StreamSummary {
 public:
  static constexpr int maxLanes = RunConfig::maxLanes;
  // The largest values the record's columns hold.
  static constexpr int maxGrossWeight = record_layout::largestValue(record_layout::grossWeight);
  static constexpr int maxSpeed = record_layout::largestValue(record_layout::speed);  // dm/s
  static constexpr int heaviestKept = 10;
  static constexpr int unparseableLinesKept = 20;

  struct Heavy {
    std::int64_t grossWeight = 0;
    int axles = 0;
    int lane = 0;
    std::string time;
  };

  // Consecutive vehicles of a lane, by the hour of day of the first: how many pairs, how
  // many of them the free-flow model draws a headway for (a positive minimum headway), and
  // the sum of those minimum headways in s.
  struct HeadwayPairs {
    long long pairs = 0;
    long long drawn = 0;
    double minimumSum = 0.0;
  };

  // catchUpLength (m) is the run's, for the minimum headways.
  explicit StreamSummary(double catchUpLength = RunConfig::defaultCatchUpLength);
  virtual ~StreamSummary() = default;

  // Takes every line of in, a stream of either form (the CSV form told by its header
  // line); lines that are no records, or whose values lie outside what a summary can place
  // (a lane beyond maxLanes, a clock beyond the day), are counted. False, with *error one
  // line, when in cannot be read to its end (a line of more than
  // RecordStream::maxLineLength characters, a read error, a CSV header that is not the
  // CSV form's); what was read so far stays counted.
  // `name` names the stream in messages.
  bool addStream(std::istream& in, const std::string& name, std::string* error);
  bool isCsv() const { return csvInput; }
  // Fixed-column records with a value wider than its column, which push the fields after
  // it right: a reader of fixed columns misreads them.
  long long widened() const { return widenedCount; }

  long long records() const { return recordCount; }
  long long unparseable() const { return unparseableCount; }
  // The first unparseableLinesKept line numbers of lines that are not records.
  const std::vector<long long>& unparseableLines() const { return badLines; }
  // Whole days the stream covers (at least 1): the time of its last vehicle in days.
  int days() const;
  // Lanes seen, 1 to highestLane().
  int highestLane() const { return topLane; }
  int directionOfLane(int lane) const { return laneDirection[static_cast<std::size_t>(lane)]; }
  long long vehicles(int lane, VehicleClass vehicleClass) const;
  long long vehiclesOfLane(int lane) const;
  long long vehiclesOfClass(VehicleClass vehicleClass) const;
  // Vehicles of lane that arrived in hour (0 to 23) of any day.
  long long vehiclesInHour(int lane, int hour) const;
  // Gross weights of a class in a direction: count of each whole value 0..maxGrossWeight.
  const std::vector<long long>& grossWeights(VehicleClass vehicleClass, int direction) const;
  // The same over both directions.
  std::vector<long long> grossWeightsOfClass(VehicleClass vehicleClass) const;
  // Speeds in dm/s of all vehicles of a direction: count of each whole value 0..maxSpeed.
  const std::vector<long long>& speeds(int direction) const;
  const std::vector<long long>& speedsOfClass(VehicleClass vehicleClass) const;
  const HeadwayPairs& headwayPairs(int lane, int hour) const {
    return pairsByHour[static_cast<std::size_t>(lane)][static_cast<std::size_t>(hour)];
  }
  // The jams and platoons found in the stream.
  const PatternFinder& patterns() const { return patternFinder; }
  // Heaviest vehicles first, at most heaviestKept.
  const std::vector<Heavy>& heaviest() const { return heavy; }

 private:
  void addRecord(const RecordValues& record);
  void addNotRecord(long long lineNumber);
  void keepIfHeavy(const RecordValues& record);
  void addHeadwayPair(const RecordValues& record);

  struct Leader {
    bool seen = false;
    std::int64_t speed = 0;   // dm/s
    std::int64_t length = 0;  // dm
    int hour = 0;
  };

  long long recordCount = 0;
  long long widenedCount = 0;
  bool csvInput = false;
  long long unparseableCount = 0;
  std::vector<long long> badLines;
  double lastTime = 0.0;
  int topLane = 0;
  std::array<int, maxLanes + 1> laneDirection{};
  std::array<std::array<long long, vehicleClassCount>, maxLanes + 1> perLane{};
  std::array<std::array<long long, 24>, maxLanes + 1> perHour{};
  std::vector<std::vector<long long>> grossWeightCounts;  // class * 2 + direction - 1
  std::vector<std::vector<long long>> speedCounts;        // by direction - 1
  std::vector<std::vector<long long>> classSpeedCounts;   // by class
  std::vector<Heavy> heavy;
  double catchUp;  // m
  std::array<Leader, maxLanes + 1> leaders{};
  std::array<std::array<HeadwayPairs, 24>, maxLanes + 1> pairsByHour{};
  PatternFinder patternFinder;
};

// The sum of a histogram's counts.
long long total(const std::vector<long long>& histogram);
// The smallest whole value v of a histogram (counts of 0, 1, 2, ...) with at least share
// of the total at or below v; -1 for an empty histogram.
int percentile(const std::vector<long long>& histogram, double share);
// The largest value with a count; -1 for an empty histogram.
int maximum(const std::vector<long long>& histogram);

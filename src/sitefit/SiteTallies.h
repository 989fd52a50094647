// What a site's measured vehicle records say, gathered record by record for fitting: per
// lane its direction, the days it has records on, hourly truck counts and class counts; per
// direction the speeds of all vehicles and the gross weights of each truck class; per class
// the axle spacings and axle weights. Cars are records with the car's fixed values or light
// two-axle vehicles (below the lightest truck); trucks have 2 to 9 axles and an accepted
// gross weight. Headways are taken per lane in time order: records that come a little out of
// order (as from merged per-lane files) are held back and put in order.
#pragma once

#include <array>
#include <cstdint>
#include <queue>
#include <set>
#include <string>
#include <vector>

#include "data/TrafficData.h"
#include "record/RecordValues.h"
#include "run/RunConfig.h"
#include "sitefit/MixtureFit.h"

// The running sums of one gross-weight band of 4- or 5-axle trucks: the first axle, the
// second axle and the rear group.
struct BandSums {
  long long trucks = 0;
  std::array<double, 3> sums{};
  std::array<double, 3> squares{};
};

// The running sums of one gross-weight band of trucks of 6 to 9 axles, by axle.
struct HeavyBandSums {
  long long trucks = 0;
  std::array<double, maxTruckAxles> sums{};
  std::array<double, maxTruckAxles> squares{};
};

struct ClassTallies {
  std::array<ValueTally, 2> grossWeights;              // by direction - 1
  std::array<ValueTally, maxTruckAxles - 1> spacings;  // spacing i behind axle i + 1
  std::array<ValueTally, 3> axleWeights;               // 2- and 3-axle trucks: by axle
  std::array<BandSums, 12> bands;                      // 4- and 5-axle trucks: by band row
  std::array<HeavyBandSums, TrafficData::heavyBandRowCount> heavyBands;  // 6 to 9 axles
};

// The headways of consecutive vehicles of a lane in one hour of day (of the first), as far
// as the free-flow model draws them: pairs with a positive minimum headway.
struct HeadwaySums {
  long long drawn = 0;
  double headways = 0.0;  // s
  double minimums = 0.0;  // s
};

// Headways of consecutive vehicles in hundredths of a second, 0 to 4 s, and those above.
constexpr int shortHeadways = 401;
using HeadwayCounts = std::array<long long, shortHeadways + 1>;  // the last: above 4 s

struct LaneTallies {
  int direction = 0;  // 0 until a record is seen
  std::array<HeadwaySums, 24> headwaysByHour;
  std::array<HeadwayCounts, 24> headwayCountsByHour{};  // all pairs, by the first's hour
  std::array<long long, 24> trucksByHour{};
  std::array<long long, truckClassCount> trucksByClass{};  // 2- to 9-axle
  std::set<std::int64_t> days;                             // the days with records
  long long cars = 0;
};

class SiteTallies {
 public:
  static constexpr int bandRows = 12;
  static constexpr int maxLanes = RunConfig::maxLanes;
  // Records a lane holds back to put them in time order.
  static constexpr std::size_t reorderWindow = 4096;

  // catchUpLength (m): the run parameter the minimum headways are computed with.
  explicit SiteTallies(double catchUpLength) : catchUp(catchUpLength) {}

  // Takes one record stamped `stamp` hundredths of a second from the first fitted day's
  // midnight. False, with *why the reason to count it under, when it cannot be used: it is
  // then left out of every table.
  bool add(const RecordValues& record, std::int64_t stamp, std::string* why);
  // Takes the headways of the records still held back. Call once, after the last add.
  void finish();

  const std::vector<LaneTallies>& lanes() const { return laneTallies; }  // index lane - 1
  const ValueTally& speeds(int direction) const { return speedTallies[direction - 1]; }
  const ClassTallies& truckClass(int axles) const { return classes[axles - minTruckAxles]; }
  long long cars() const { return carCount; }
  long long trucks() const { return truckCount; }
  bool hasHeavyTrucks() const;
  // Whether a measured vehicle counts as a car: one with the car's fixed values, or any
  // two-axle vehicle lighter than the lightest truck the tables hold (a station's cars
  // carry their own weights).
  static bool countsAsCar(const RecordValues& record);
  // Records that came before a record of their lane they follow, and of those the ones
  // that came too late to be put in order (their headways are not taken).
  long long outOfOrder() const { return lateRecords; }
  long long tooLate() const { return unorderedRecords; }

 private:
  void addTruck(const RecordValues& record, LaneTallies& lane, int hour);

  struct Passage {
    std::int64_t stamp = 0;  // hundredths of a second
    double speed = 0.0;      // dm/s
    double length = 0.0;     // dm
    int hour = 0;
    bool operator>(const Passage& other) const { return stamp > other.stamp; }
  };
  struct Leader {
    bool seen = false;
    Passage passage;
  };
  using HeldBack = std::priority_queue<Passage, std::vector<Passage>, std::greater<Passage>>;

  void takeHeadway(int lane, const Passage& passage);

  double catchUp;               // m
  std::vector<Leader> leaders;  // by lane - 1
  std::vector<HeldBack> heldBack;
  std::vector<std::int64_t> latestStamps;
  std::vector<LaneTallies> laneTallies;
  std::array<ValueTally, 2> speedTallies;
  std::array<ClassTallies, truckClassCount> classes;
  long long carCount = 0;
  long long truckCount = 0;
  long long lateRecords = 0;
  long long unorderedRecords = 0;
};

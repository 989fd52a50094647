// What a site's measured vehicle records say, gathered record by record for fitting: per
// lane its direction, hourly truck counts and class counts; per direction the speeds of all
// vehicles and the gross weights of each truck class; per class the axle spacings and axle
// weights. Cars are records with the car's fixed values or light two-axle vehicles (below
// the lightest truck); trucks have 2 to 5 axles and an accepted gross weight.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "output/RecordValues.h"
#include "run/RunConfig.h"
#include "sitefit/MixtureFit.h"

// The running sums of one gross-weight band of 4- or 5-axle trucks: the first axle, the
// second axle and the rear group.
struct BandSums {
  long long trucks = 0;
  std::array<double, 3> sums{};
  std::array<double, 3> squares{};
};

struct ClassTallies {
  std::array<ValueTally, 2> grossWeights;  // by direction - 1
  std::array<ValueTally, 4> spacings;      // spacing i behind axle i + 1
  std::array<ValueTally, 3> axleWeights;   // 2- and 3-axle trucks: by axle
  std::array<BandSums, 12> bands;          // 4- and 5-axle trucks: by band row
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
  std::array<long long, 4> trucksByClass{};  // 2- to 5-axle
  long long cars = 0;
};

class SiteTallies {
 public:
  static constexpr int bandRows = 12;
  static constexpr int maxLanes = RunConfig::maxLanes;

  // catchUpLength (m): the run parameter the minimum headways are computed with.
  explicit SiteTallies(double catchUpLength) : catchUp(catchUpLength) {}

  // Takes one record. False, with *why the reason to count it under, when it cannot be
  // used: it is then left out of every table.
  bool add(const RecordValues& record, std::string* why);

  const std::vector<LaneTallies>& lanes() const { return laneTallies; }  // index lane - 1
  const ValueTally& speeds(int direction) const { return speedTallies[direction - 1]; }
  const ClassTallies& truckClass(int axles) const { return classes[axles - 2]; }
  long long cars() const { return carCount; }
  long long trucks() const { return truckCount; }

 private:
  // Whether a measured vehicle counts as a car: one with the car's fixed values, or any
  // two-axle vehicle lighter than the lightest truck the tables hold (a station's cars
  // carry their own weights).
  bool countsAsCar(const RecordValues& record) const;
  void addHeadway(const RecordValues& record, int hour);

  struct Leader {
    bool seen = false;
    std::int64_t stamp = 0;  // hundredths of a second
    double speed = 0.0;      // dm/s
    double length = 0.0;     // dm
    int hour = 0;
  };

  double catchUp;               // m
  std::vector<Leader> leaders;  // by lane - 1
  std::vector<LaneTallies> laneTallies;
  std::array<ValueTally, 2> speedTallies;
  std::array<ClassTallies, 4> classes;
  long long carCount = 0;
  long long truckCount = 0;
};

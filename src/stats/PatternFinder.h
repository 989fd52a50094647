// Finds jams and truck platoons in a stream, record by record, in memory that does not grow
// with the stream.
// - A jam is a run of at least minJamVehicles consecutive vehicles of a direction, all of one
//   speed: in a jam every vehicle travels at the congested speed, while free-flowing speeds
//   differ from vehicle to vehicle. It lasts from its first vehicle's arrival to its last's.
// - A platoon is a run of two or more consecutive trucks of a lane, outside jams, all of one
//   speed, each within platoonGapLimit() of the truck ahead (rear axle to front axle).
//   Free-flowing traffic makes a few such pairs by chance.
#pragma once

#include <array>
#include <deque>
#include <vector>

#include "record/RecordValues.h"
#include "run/RunConfig.h"

class PatternFinder {
 public:
  static constexpr int maxLanes = RunConfig::maxLanes;
  static constexpr int minJamVehicles = 20;
  static constexpr int largestSizeKept = 8;   // platoons of more trucks count as this size
  static constexpr double gapBinWidth = 1.0;  // m

  struct DirectionJams {
    long long vehicles = 0;
    long long jammedVehicles = 0;
    long long jams = 0;
    double jammedSeconds = 0.0;
  };

  // m: the largest platoon gap a run can ask for, plus what the time stamps' hundredths
  // and the speeds' whole dm/s can shift a measured gap by.
  static double platoonGapLimit();

  // Takes the next record of the stream; time is its arrival in s from the stream's start.
  // REQUIRES: records in time order, lane 1..maxLanes, direction 1 or 2.
  void add(const RecordValues& record, double time);
  // Ends the stream: what is still undecided is decided. Call once, after the last add.
  void finish();

  const DirectionJams& jams(int direction) const {
    return directionJams[static_cast<std::size_t>(direction - 1)];
  }
  // Seconds of jam in each hour of the day, both directions together.
  const std::array<double, 24>& jammedSecondsByHour() const { return jamHours; }
  // Platoons found, by number of trucks (index 2 .. largestSizeKept).
  long long platoons(int size) const { return platoonCounts[static_cast<std::size_t>(size)]; }
  long long platoonTrucks() const { return trucksInPlatoons; }
  long long trucks() const { return truckCount; }
  // Gaps between the trucks of the platoons found, in m, in bins of gapBinWidth centred on
  // 0, gapBinWidth, 2 gapBinWidth, ...
  const std::vector<long long>& platoonGaps() const { return gapCounts; }

 private:
  struct Vehicle {
    int lane = 0;
    bool truck = false;
    std::int64_t speed = 0;   // dm/s
    std::int64_t length = 0;  // dm
    double time = 0.0;        // s
    long long run = 0;        // the direction's run of one speed it belongs to
  };
  struct Run {
    long long id = 0;
    long long vehicles = 0;
  };
  // A direction's vehicles wait here until it is known whether their run is a jam.
  struct Direction {
    std::deque<Vehicle> waiting;
    std::deque<Run> runs;  // the runs of the waiting vehicles and the current one
    std::int64_t runSpeed = -1;
    long long nextRun = 0;
    bool inJam = false;
    long long jamRun = -1;
    double jamStart = 0.0;
    double jamEnd = 0.0;
  };
  // The last truck of a lane's possible platoon, and how many trucks it has so far.
  struct Chain {
    int trucks = 0;
    std::int64_t speed = 0;   // dm/s
    std::int64_t length = 0;  // dm
    double time = 0.0;        // s
  };

  void release(Direction& direction, int directionIndex);
  void classify(const Vehicle& vehicle, bool jammed, Direction& direction, int directionIndex);
  void closeJam(Direction& direction, int directionIndex);
  void extendChain(const Vehicle& vehicle, bool jammed);
  void closeChain(Chain& chain);

  std::array<Direction, 2> directions;
  std::array<DirectionJams, 2> directionJams{};
  std::array<double, 24> jamHours{};
  std::array<Chain, maxLanes + 1> chains{};
  std::array<long long, largestSizeKept + 1> platoonCounts{};
  std::vector<long long> gapCounts;
  long long truckCount = 0;
  long long trucksInPlatoons = 0;
};

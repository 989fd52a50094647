#include <gtest/gtest.h>

#include "stats/PatternFinder.h"
#include "support/TestRecords.h"

namespace {

constexpr std::int64_t speed = 250;        // dm/s
constexpr std::int64_t truckLength = 100;  // dm: two axles 10 m apart

RecordValues car(double seconds, int lane, int direction, std::int64_t dmPerSecond) {
  return recordAt(static_cast<long long>(seconds * 100 + 0.5), lane, direction, dmPerSecond,
                  {10, 10}, {40, 0});
}

RecordValues truck(double seconds, int lane, int direction, std::int64_t dmPerSecond) {
  return recordAt(static_cast<long long>(seconds * 100 + 0.5), lane, direction, dmPerSecond,
                  {60, 90}, {truckLength, 0});
}

void add(PatternFinder& finder, const RecordValues& record) {
  finder.add(record, static_cast<double>(record.stampHundredths()) * 0.01);
}

// Free-flowing traffic of direction 1 from `from` s: a car every 3 s, each at its own speed.
double freeFlow(PatternFinder& finder, double from, int cars) {
  for (int i = 0; i < cars; ++i) {
    add(finder, car(from + 3.0 * i, 1, 1, 200 + i % 50));
  }
  return from + 3.0 * cars;
}

TEST(PatternFinderTest, JamIsTwentyVehiclesOfOneSpeedAndSplitsOverHours) {
  PatternFinder finder;
  double time = freeFlow(finder, 3000.0, 100);                   // to 3300 s
  for (int i = 0; i < PatternFinder::minJamVehicles - 1; ++i) {  // one short of a jam
    add(finder, car(time + 2.0 * i, 1 + i % 2, 1, 83));
  }
  time = freeFlow(finder, time + 60.0, 20);
  // A jam across the hour at 3600 s... from 3500 to 3700 s, a vehicle every 2 s.
  time = 3500.0;
  for (int i = 0; i <= 100; ++i) {
    add(finder, car(time + 2.0 * i, 1 + i % 2, 1, 83));
  }
  add(finder, car(3705.0, 1, 2, 83));  // the other direction does not end it
  freeFlow(finder, 3710.0, 10);
  finder.finish();

  const PatternFinder::DirectionJams& jams = finder.jams(1);
  EXPECT_EQ(jams.jams, 1);
  EXPECT_EQ(jams.jammedVehicles, 101);
  EXPECT_DOUBLE_EQ(jams.jammedSeconds, 200.0);
  EXPECT_DOUBLE_EQ(finder.jammedSecondsByHour()[0], 100.0);
  EXPECT_DOUBLE_EQ(finder.jammedSecondsByHour()[1], 100.0);
  EXPECT_EQ(finder.jams(2).jams, 0);
}

TEST(PatternFinderTest, PlatoonsAreTrucksOfOneSpeedCloseBehindOutsideJams) {
  PatternFinder finder;
  // A platoon of three at 8 m: the front axles 18 m apart, 0.72 s at 25 m/s.
  add(finder, truck(100.0, 1, 1, speed));
  add(finder, car(100.5, 2, 1, 310));
  add(finder, truck(100.72, 1, 1, speed));
  add(finder, truck(101.44, 1, 1, speed));
  add(finder, car(104.0, 1, 1, speed));  // a car ends it
  // Two trucks at one speed but 40 m apart, and two close but at other speeds: none.
  add(finder, truck(110.0, 1, 1, speed));
  add(finder, truck(112.0, 1, 1, speed));
  add(finder, truck(120.0, 1, 1, speed));
  add(finder, truck(120.72, 1, 1, speed + 1));
  // Trucks close behind each other in a jam are the jam's, not a platoon.
  for (int i = 0; i < 40; ++i) {
    add(finder, truck(200.0 + 0.72 * i, 1, 1, 83));
  }
  freeFlow(finder, 300.0, 10);
  finder.finish();

  EXPECT_EQ(finder.platoons(3), 1);
  EXPECT_EQ(finder.platoons(2), 0);
  EXPECT_EQ(finder.platoonTrucks(), 3);
  EXPECT_EQ(finder.trucks(), 47);
  const std::vector<long long>& gaps = finder.platoonGaps();
  ASSERT_EQ(gaps.size(), 9u);
  EXPECT_EQ(gaps[8], 2);  // both gaps 8 m
  EXPECT_EQ(finder.jams(1).jams, 1);
}

}  // namespace

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <map>
#include <string>
#include <vector>

#include "random/RandomGenerator.h"
#include "run/CommandLine.h"
#include "run/LaneMerge.h"
#include "run/Run.h"
#include "run/RunConfig.h"
#include "run/SiteLoading.h"
#include "stats/PatternFinder.h"
#include "support/JamReference.h"
#include "support/SampleFolderTest.h"
#include "traffic/LaneFlowGenerator.h"

namespace {

constexpr double stampResolution = 0.01;  // s
constexpr double catchUpLength = 50.0;    // m, the sample's

// What the test keeps of the vehicle ahead in a lane.
struct Ahead {
  bool seen = false;
  double time = 0.0;    // s, as stamped
  double speed = 0.0;   // dm/s
  double length = 0.0;  // dm
  bool truck = false;
};

// A run's stream looked at vehicle by vehicle as it is made.
struct StreamCheck {
  long long pairs = 0;
  long long belowMinimum = 0;
  long long platoonPairs = 0;
  double worstGapError = 0.0;  // m, of the platoon pairs, beyond what the stamps allow
  PatternFinder found;
};

class TrafficPatternsRunTest : public SampleFolderTest {
 protected:
  // The sample's parameters for `days` days of the two-lane road, or of the motorway.
  void useRoad(int days, bool motorway) {
    values = defaultValues();
    values[2] = std::to_string(days);
    if (motorway) {
      values[3] = values[4] = "1";
      values[6] = values[7] = "2";
    }
    writeParameters(values);
  }

  // Runs the patterns in process from seed and checks every pair of consecutive vehicles of
  // a lane: the headway keeps the minimum behind the leader (to the stamps' hundredth), and
  // two trucks at one speed other than the congested one ride gapMetres apart.
  StreamCheck runAndCheck(const TrafficPatterns& patterns, double gapMetres, std::uint32_t seed) {
    RandomGenerator::seedWithWord(seed);
    RandomGenerator::clearNormalCache();
    RunConfig config;
    RunOptions options;
    options.writeRecords = false;
    options.patterns = patterns;
    LaneSet set;
    std::string error;
    testing::internal::CaptureStdout();
    bool ready = setUpRun(config, options, set, &error);
    testing::internal::GetCapturedStdout();
    EXPECT_TRUE(ready) << error;
    double congestedSpeed = set.vehicleGenerator->congestedSpeed();
    StreamCheck check;
    std::array<Ahead, 8> ahead{};
    std::string failure;
    mergeLanes(
        set.laneList(), config.days * 86400.0,
        [&](std::unique_ptr<Vehicle> vehicle) {
          RecordValues record = vehicle->recordValues();
          check.found.add(record, vehicle->getTime());
          Ahead& leader = ahead[static_cast<std::size_t>(vehicle->getLane())];
          Ahead now{true, vehicle->getTime(), vehicle->getSpeed(), vehicle->getLength(),
                    !record.isCar()};
          if (leader.seen) {
            checkPair(leader, now, congestedSpeed, gapMetres, check);
          }
          leader = now;
          return true;
        },
        &failure);
    EXPECT_EQ(failure, "");
    check.found.finish();
    return check;
  }

  static void checkPair(const Ahead& leader, const Ahead& follower, double congestedSpeed,
                        double gapMetres, StreamCheck& check) {
    ++check.pairs;
    double minimum = LaneFlowGenerator::minimumHeadwayBehind(
        leader.speed, leader.length, follower.speed, catchUpLength,
        LaneFlowGenerator::clearanceBehindLeader);
    double headway = follower.time - leader.time;
    if (headway < minimum - stampResolution - 1e-9) {
      ++check.belowMinimum;
    }
    bool platoonPair = leader.truck && follower.truck && leader.speed == follower.speed &&
                       follower.speed != congestedSpeed;
    if (platoonPair) {
      ++check.platoonPairs;
      double metresPerSecond = follower.speed * 0.1;
      double gap = headway * metresPerSecond - leader.length * 0.1;
      double allowed = stampResolution * metresPerSecond + 1e-9;
      check.worstGapError = std::max(check.worstGapError, std::abs(gap - gapMetres) - allowed);
    }
  }

  std::vector<std::string> values;
};

TEST_F(TrafficPatternsRunTest, PlatoonsHoldTheirShareSizeAndGap) {
  useRoad(60, false);
  TrafficPatterns patterns;
  patterns.platoons = PlatoonSettings{0.3, 4, 8.0};
  StreamCheck check = runAndCheck(patterns, 8.0, 17u);
  EXPECT_EQ(check.belowMinimum, 0);
  EXPECT_GT(check.platoonPairs, 50000);
  EXPECT_LE(check.worstGapError, 0.0);
  const PatternFinder& found = check.found;
  double share = static_cast<double>(found.platoonTrucks()) / found.trucks();
  EXPECT_NEAR(share, 0.3, 0.01);  // chance pairs of free flow add about 0.002
  long long platoons = 0;
  for (int size = 2; size <= PatternFinder::largestSizeKept; ++size) {
    platoons += found.platoons(size);
  }
  EXPECT_GT(static_cast<double>(found.platoons(4)) / platoons, 0.97);
  EXPECT_EQ(found.jams(1).jams + found.jams(2).jams, 0);

  // Platooning regroups trucks: the run without it has as many, within sampling noise.
  StreamCheck steady = runAndCheck(TrafficPatterns(), 8.0, 17u);
  double trucks = static_cast<double>(steady.found.trucks());
  EXPECT_NEAR(found.trucks() / trucks, 1.0, 4 / std::sqrt(trucks) + 0.002);
  EXPECT_EQ(steady.belowMinimum, 0);
}

TEST_F(TrafficPatternsRunTest, JamsHoldTheirShareOfTimeAndKeepEveryMinimumHeadway) {
  useRoad(100, false);
  TrafficPatterns patterns;
  patterns.jams = JamSettings{8.0, 6.0};
  patterns.platoons = PlatoonSettings{0.2, 3, 10.0};
  StreamCheck check = runAndCheck(patterns, 10.0, 23u);
  EXPECT_EQ(check.belowMinimum, 0);
  EXPECT_LE(check.worstGapError, 0.0);

  RunConfig config;
  CheckedSite site;
  bool parametersFound = false;
  std::string error;
  ASSERT_TRUE(loadRunFolder("", std::nullopt, config, &site, &parametersFound, &error)) << error;
  for (int direction = 1; direction <= 2; ++direction) {
    const PatternFinder::DirectionJams& jams = check.found.jams(direction);
    double share = jams.jammedSeconds / (100 * 86400.0);
    double expected = expectedJammedShare(site.data.laneFlows(direction - 1), 8.0, 6.0);
    // About 800 episodes: the total's relative spread is near sqrt(2 / 800) = 5 %. A found
    // jam runs from its first vehicle to its last, a few seconds short of the episode.
    EXPECT_NEAR(share / expected, 1.0, 0.2) << "direction " << direction;
    EXPECT_GT(jams.jammedVehicles, 0);
    EXPECT_GT(static_cast<double>(jams.jammedVehicles) / jams.vehicles, share);
  }
  EXPECT_GT(check.found.platoonTrucks(), 0);
}

TEST_F(TrafficPatternsRunTest, MotorwayWithBothKeepsEveryMinimumHeadway) {
  useRoad(10, true);
  TrafficPatterns patterns;
  patterns.jams = JamSettings{2.0, 60.0};
  patterns.platoons = PlatoonSettings{1.0, 7, 1.0};
  StreamCheck check = runAndCheck(patterns, 1.0, 5u);
  EXPECT_GT(check.pairs, 400000);
  EXPECT_EQ(check.belowMinimum, 0);
  EXPECT_GT(check.platoonPairs, 0);
  EXPECT_LE(check.worstGapError, 0.0);
}

}  // namespace

#include <gtest/gtest.h>

#include <cmath>
#include <regex>
#include <string>
#include <utility>

#include "support/SeededTest.h"
#include "support/SmallSite.h"
#include "traffic/DrawLimit.h"
#include "traffic/LaneFlowGenerator.h"

namespace {

class LaneFlowGeneratorTest : public SeededTest {
 protected:
  LaneFlowGeneratorTest() : SeededTest(7u) {}
  // A lane of index 0, direction 1, under traffic model `model` with the given flows.
  LaneFlowGenerator& laneWith(int model, std::vector<double> flows, double carFraction,
                              long drawLimit = maxRejections) {
    data.setCarFraction(carFraction);
    TrafficParameters parameters = parametersFor(model);
    parameters.drawLimit = drawLimit;
    vehicles = std::make_unique<VehicleGenerator>(data, parameters);
    lane = std::make_unique<LaneFlowGenerator>(parameters);
    lane->setUp(vehicles.get(), std::move(flows), carFraction, 0, 1);
    return *lane;
  }

  TrafficData data = smallSiteData(1);
  std::unique_ptr<VehicleGenerator> vehicles;
  std::unique_ptr<LaneFlowGenerator> lane;
};

TEST_F(LaneFlowGeneratorTest, MinimumHeadwayBehindLeader) {
  auto behindLeader = [](double followerSpeed) {  // leader: 20 m/s, 12 m
    return LaneFlowGenerator::minimumHeadwayBehind(200.0, 120.0, followerSpeed, 50.0, 1.0);
  };
  EXPECT_DOUBLE_EQ(behindLeader(250.0), 1.15);
  EXPECT_DOUBLE_EQ(behindLeader(200.0), 0.65);
  EXPECT_DOUBLE_EQ(behindLeader(130.0), 1.0);
  EXPECT_LT(behindLeader(-10.0), 0.0);
}

// The first vehicle's draws come first, then its headway: an exponential of scale
// 3600 / (100 / (1 - 0.8)), about 7.2 s, at least the 0.1 s a first vehicle needs.
TEST_F(LaneFlowGeneratorTest, FirstArrivalIsFreeFlowHeadwayAfterVehicleDraws) {
  VehicleGenerator sameModel(data, parametersFor(6));
  sameModel.makeVehicle(0, 1);
  RandomGenerator random;
  random.setExponentialLocation(0.0);
  double scale = 3600 / (100 / (1 - 0.8));
  EXPECT_DOUBLE_EQ(scale, 7.2);
  random.setExponentialScale(scale);
  double headway;
  do {
    headway = random.exponential();
  } while (headway < 0.1);

  reseed();
  LaneFlowGenerator& flow = laneWith(6, std::vector<double>(24, 100.0), 0.8);
  EXPECT_EQ(flow.nextArrivalTime(), headway);
  EXPECT_EQ(flow.nextArrivalTime(), headway);  // no draw
}

TEST_F(LaneFlowGeneratorTest, CongestedFirstHeadwayHasBaseOfTwelveMetres) {
  data.setCarFraction(1.0);
  TrafficParameters congested = parametersFor(5);
  VehicleGenerator twin(data, congested);
  twin.makeVehicle(0, 1);  // a car: one word for the car test
  RandomGenerator random;
  double expected = random.normal(0.6, 0.6 * 0.05) + 12.0 / congested.constantSpeed;
  EXPECT_DOUBLE_EQ(12.0 / congested.constantSpeed, 1.44);

  reseed();
  LaneFlowGenerator& flow = laneWith(5, std::vector<double>(24, 100.0), 1.0);
  EXPECT_DOUBLE_EQ(flow.nextArrivalTime(), expected);
}

TEST_F(LaneFlowGeneratorTest, ArrivalsNeverGoBackAndMatchTheirStamps) {
  for (int model : {0, 5, 6}) {
    LaneFlowGenerator& flow = laneWith(model, std::vector<double>(24, 150.0), 0.5);
    double previous = 0.0;
    for (int i = 0; i < 5000; ++i) {
      double arrival = flow.nextArrivalTime();
      ASSERT_GE(arrival, previous);
      auto vehicle = flow.nextVehicle();
      ASSERT_NEAR(vehicle->getTime(), arrival, 0.0100001);
      ASSERT_LE(vehicle->getTime(), arrival);
      previous = arrival;
    }
  }
}

TEST_F(LaneFlowGeneratorTest, MeanHeadwayFollowsTheHourlyFlow) {
  LaneFlowGenerator& flow = laneWith(7, std::vector<double>(24, 360.0), 0.0);  // 10 s
  const int count = 20000;
  for (int i = 0; i < count; ++i) {
    flow.nextVehicle();
  }
  // An exponential is memoryless: an accepted headway is the minimum headway (one to two
  // seconds between trucks) plus an exponential of mean 10 s.
  double mean = flow.nextArrivalTime() / count;
  EXPECT_GT(mean, 10.0);
  EXPECT_LT(mean, 11.5);
}

TEST_F(LaneFlowGeneratorTest, TableModelHeadwaysFollowTheTable) {
  LaneFlowGenerator& flow = laneWith(0, std::vector<double>(24, 150.0), 0.0);
  const int count = 20000;
  int belowOne = 0;
  int belowFour = 0;
  double previous = flow.nextArrivalTime();
  for (int i = 0; i < count; ++i) {
    flow.nextVehicle();
    double headway = flow.nextArrivalTime() - previous;
    previous = flow.nextArrivalTime();
    belowOne += headway < 1.0;
    belowFour += headway < 4.0;
  }
  // Band 2 (flows up to 200): F(4) = 0.74875, before the minimum-headway rejections.
  EXPECT_NEAR(belowFour / double(count), 0.74, 0.03);
  EXPECT_LT(belowOne / double(count), 0.03);
}

TEST_F(LaneFlowGeneratorTest, HourStepsOncePerVehicleAndWrapsAtMidnight) {
  std::vector<double> flows(24, 3.0);  // a vehicle every 20 minutes on average
  flows[5] = 0.2;                      // hour 5 makes long headways
  LaneFlowGenerator& flow = laneWith(7, flows, 0.0);
  bool lagged = false;
  bool wrapped = false;
  int hour = flow.currentHour();
  while (flow.nextArrivalTime() < 3 * 86400.0) {
    double before = flow.nextArrivalTime();
    flow.nextVehicle();
    int next = flow.currentHour();
    ASSERT_TRUE(next == hour || next == (hour + 1) % 24) << hour << " to " << next;
    int actual = static_cast<int>(before / 3600) % 24;
    lagged = lagged || next != actual;
    wrapped = wrapped || (hour == 23 && next == 0);
    hour = next;
  }
  EXPECT_TRUE(lagged);
  EXPECT_TRUE(wrapped);
}

// A draw that gives up names the headway, the lane, its hour and flow, and the table.
TEST_F(LaneFlowGeneratorTest, HeadwayThatCannotBeDrawnNamesLaneHourAndTable) {
  const std::pair<int, const char*> models[] = {
      {6,
       "a headway of at least [0-9.]+ s on lane 1 in hour 0 \\(flow 9000 vehicles per hour\\)"
       " after 1 tries; check the table in FlowR.csv"},
      {0,
       "a headway tail of at least 4 s on lane 1 in hour 0 \\(flow 9000 vehicles per hour\\)"
       " after 1 tries; check the table in FlowR.csv"}};
  for (auto [model, message] : models) {
    LaneFlowGenerator& flow = laneWith(model, std::vector<double>(24, 9000.0), 0.8, 1);
    for (int i = 0; i < 1000 && flow.drawFailure().empty(); ++i) {
      flow.nextVehicle();
    }
    std::string error = flow.drawFailure();
    EXPECT_TRUE(std::regex_match(error, std::regex(std::string("could not draw ") + message)))
        << error;
  }
}

}  // namespace

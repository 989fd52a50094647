#include "run/LaneMerge.h"

#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "support/SeededTest.h"
#include "support/SmallSite.h"

namespace {

// Lanes of congested all-car traffic without spread in the gap times: every lane's
// vehicles arrive at exactly the same times, so the merge's order of equal times shows.
class LaneMergeTest : public SeededTest {
 protected:
  LaneMergeTest() : SeededTest(3u) {}
  std::vector<LaneFlowGenerator*> lanesOfEqualTimes(int count) {
    TrafficParameters parameters = parametersFor(5);
    parameters.gapCv = 0.0;
    TrafficData data = smallSiteData(count);
    data.setCarFraction(1.0);
    std::vector<LaneFlowGenerator*> list;
    for (int i = 0; i < count; ++i) {
      generators.push_back(std::make_unique<VehicleGenerator>(data, parameters));
      lanes.push_back(std::make_unique<LaneFlowGenerator>(parameters));
      lanes.back()->setUp(generators.back().get(), data.laneFlows(i), 1.0, i, 1);
      list.push_back(lanes.back().get());
    }
    return list;
  }

  std::vector<std::unique_ptr<VehicleGenerator>> generators;
  std::vector<std::unique_ptr<LaneFlowGenerator>> lanes;
};

// Equal times keep the order of the previous step: each lane taken goes behind the lanes of
// its new time that were taken before it, so the rounds alternate between lanes 1 to 5 and
// lanes 5 to 1.
TEST_F(LaneMergeTest, EqualArrivalTimesKeepTheirOrderFromStepToStep) {
  std::vector<LaneFlowGenerator*> list = lanesOfEqualTimes(5);
  std::vector<int> order;
  std::vector<double> times;
  mergeLanes(list, 1e9, [&](std::unique_ptr<Vehicle> vehicle) {
    order.push_back(vehicle->getLane());
    times.push_back(vehicle->getTime());
    return order.size() < 50;
  });
  ASSERT_EQ(order.size(), 50u);
  for (std::size_t i = 0; i < order.size(); ++i) {
    int place = static_cast<int>(i % 5);
    EXPECT_EQ(order[i], (i / 5) % 2 == 0 ? place + 1 : 5 - place) << i;
    EXPECT_EQ(times[i], times[i - i % 5]) << i;  // the five of a round arrive together
  }
}

TEST_F(LaneMergeTest, StopsAfterTheFirstVehicleAtTheEndAndForNoTime) {
  std::vector<LaneFlowGenerator*> list = lanesOfEqualTimes(2);
  double end = list.front()->nextArrivalTime() + 1.0;
  std::vector<double> times;
  auto keep = [&times](std::unique_ptr<Vehicle> vehicle) {
    times.push_back(vehicle->getTime());
    return true;
  };
  mergeLanes(list, end, keep);
  ASSERT_FALSE(times.empty());
  EXPECT_GE(times.back(), end - 0.01);
  for (std::size_t i = 0; i + 1 < times.size(); ++i) {
    EXPECT_LT(times[i], end);
  }
  times.clear();
  mergeLanes(list, 0.0, keep);
  EXPECT_TRUE(times.empty());
}

}  // namespace

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <utility>
#include <vector>

#include "run/LaneMerge.h"
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
    return lanesOf(data, parameters, [](int) { return std::vector<double>(24, 100.0); });
  }
  // count lanes of data under parameters, lane i with flowsOf(i), car fraction of data.
  template <typename Flows>
  std::vector<LaneFlowGenerator*> lanesOf(const TrafficData& data,
                                          const TrafficParameters& parameters, Flows flowsOf) {
    std::vector<LaneFlowGenerator*> list;
    for (int i = 0; i < data.getLaneFlowCount(); ++i) {
      generators.push_back(std::make_unique<VehicleGenerator>(data, parameters));
      lanes.push_back(std::make_unique<LaneFlowGenerator>(parameters));
      lanes.back()->setUp(generators.back().get(), flowsOf(i), data.getCarFraction(), i, i % 2 + 1);
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
  std::string failure;
  EXPECT_TRUE(mergeLanes(
      list, 1e9,
      [&](std::unique_ptr<Vehicle> vehicle) {
        order.push_back(vehicle->getLane());
        times.push_back(vehicle->getTime());
        return order.size() < 50;
      },
      &failure));
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
  std::string failure;
  EXPECT_TRUE(mergeLanes(list, end, keep, &failure));
  ASSERT_FALSE(times.empty());
  EXPECT_GE(times.back(), end - 0.01);
  for (std::size_t i = 0; i + 1 < times.size(); ++i) {
    EXPECT_LT(times[i], end);
  }
  times.clear();
  EXPECT_TRUE(mergeLanes(list, 0.0, keep, &failure));
  EXPECT_TRUE(times.empty());
}

// The order the merge must keep: the lanes sorted again at every step by a stable insertion
// sort (lanes with equal times keep their order from the step before).
std::vector<std::pair<int, double>> insertionSortMerge(std::vector<LaneFlowGenerator*> list,
                                                       std::size_t vehicles) {
  std::vector<std::pair<int, double>> stream;
  while (stream.size() < vehicles) {
    for (std::size_t i = 1; i < list.size(); ++i) {
      LaneFlowGenerator* lane = list[i];
      std::size_t j = i;
      while (j > 0 && lane->nextArrivalTime() < list[j - 1]->nextArrivalTime()) {
        list[j] = list[j - 1];
        --j;
      }
      list[j] = lane;
    }
    if (!std::isfinite(list.front()->nextArrivalTime())) {
      break;
    }
    std::unique_ptr<Vehicle> vehicle = list.front()->nextVehicle();
    stream.push_back({vehicle->getLane(), vehicle->getTime()});
  }
  return stream;
}

std::vector<std::pair<int, double>> queueMerge(const std::vector<LaneFlowGenerator*>& list,
                                               std::size_t vehicles) {
  std::vector<std::pair<int, double>> stream;
  std::string failure;
  EXPECT_TRUE(mergeLanes(
      list, 1e12,
      [&](std::unique_ptr<Vehicle> vehicle) {
        stream.push_back({vehicle->getLane(), vehicle->getTime()});
        return stream.size() < vehicles;
      },
      &failure));
  return stream;
}

// Equal times everywhere (congested traffic without spread), many near-equal ones (small
// flows whose stamps fall on the same hundredths), and lanes without flow, on 1 to 100
// lanes: the queue hands the vehicles over in exactly the insertion sort's order.
TEST_F(LaneMergeTest, QueueKeepsTheOrderOfTheInsertionSort) {
  for (int count : {1, 2, 4, 16, 100}) {
    for (int model : {5, 6, 7}) {
      TrafficParameters parameters = parametersFor(model);
      parameters.gapCv = model == 5 ? 0.0 : parameters.gapCv;
      TrafficData data = smallSiteData(count);
      data.setCarFraction(model == 5 ? 1.0 : 0.5);
      auto flows = [](int lane) {
        return std::vector<double>(24, lane % 7 == 3 ? 0.0 : 0.5 + lane % 3);
      };
      std::size_t vehicles = 3000;
      reseed();
      auto expected = insertionSortMerge(lanesOf(data, parameters, flows), vehicles);
      reseed();
      auto merged = queueMerge(lanesOf(data, parameters, flows), vehicles);
      ASSERT_EQ(merged, expected) << count << " lanes, model " << model;
    }
  }
}

}  // namespace

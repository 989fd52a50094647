#include <gtest/gtest.h>

#include "data/TrafficData.h"

namespace {

TEST(TrafficDataTest, NewDataHasZeroBandRowsAndEmptyTables) {
  TrafficData data;
  EXPECT_EQ(data.getAxleWeightRow(4, 0), (AxleWeightRow{0, 0, 0, 0, 0, 0}));
  EXPECT_TRUE(data.getHeadwayRows().empty());
  EXPECT_EQ(data.getClassShareRowCount(), 0);
}

TEST(TrafficDataTest, BandRowsComeBackInFileOrder) {
  TrafficData data;
  data.setAxleWeightRow({1, 2, 3, 4, 5, 6}, 4, 2);
  data.setAxleWeightRow({7, 8, 9, 10, 11, 12}, 5, 11);
  EXPECT_EQ(data.getAxleWeightRow(4, 2), (AxleWeightRow{1, 2, 3, 4, 5, 6}));
  EXPECT_EQ(data.getAxleWeightRow(5, 15), (AxleWeightRow{7, 8, 9, 10, 11, 12}));  // above 11
  EXPECT_EQ(data.getAxleWeightRow(3, 11), (AxleWeightRow{7, 8, 9, 10, 11, 12}));  // not 4: 5
}

TEST(TrafficDataTest, ClassShareGrowsOneRowAtATime) {
  TrafficData data;
  data.setClassShare(0, 3, 40.0);
  EXPECT_EQ(data.getClassShareRowCount(), 1);
  EXPECT_EQ(data.getClassShares(0), (ClassShares{0, 40, 0, 0}));
  data.setClassShare(0, 5, 60.0);
  data.setClassShare(1, 2, 100.0);
  EXPECT_EQ(data.getClassShareRowCount(), 2);
  EXPECT_EQ(data.getClassShares(0), (ClassShares{0, 40, 0, 60}));
  EXPECT_EQ(data.getClassShares(1), (ClassShares{100, 0, 0, 0}));
}

TEST(TrafficDataTest, SelectsMixturesByDirectionAndAxles) {
  TrafficData data;
  MixtureList weights(4);
  for (int i = 0; i < 4; ++i) {
    weights[static_cast<std::size_t>(i)].components[0].mean = 100 + i;
  }
  data.setGrossWeights(weights, 2);
  EXPECT_EQ(data.getGrossWeightMixture(2, 5).components[0].mean, 103);
  EXPECT_EQ(data.getGrossWeightMixture(0, 2).components[0].mean, 100);  // not 1: direction 2
  MixtureList speeds(2);
  speeds[1].components[0].mean = 250;
  data.setSpeeds(speeds);
  EXPECT_EQ(data.getSpeedMixture(7).components[0].mean, 250);
}

TEST(TrafficDataTest, CopiesAreIndependent) {
  TrafficData data;
  data.setCarFraction(0.8);
  data.setLaneFlowTable({{1, 2}});
  TrafficData copy = data;
  copy.setCarFraction(0.5);
  copy.setLaneFlowTable({{3}});
  EXPECT_EQ(data.getCarFraction(), 0.8);
  EXPECT_EQ(data.laneFlows(0), (std::vector<double>{1, 2}));
}

}  // namespace

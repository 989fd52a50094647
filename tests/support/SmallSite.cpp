#include "support/SmallSite.h"

#include "run/RunConfig.h"

NormalMixture singleNormal(double mean, double stdDev) {
  NormalMixture mixture;
  mixture.components = {{{1.0, mean, stdDev}, {0.0, 0.0, 1.0}, {0.0, 0.0, 1.0}}};
  return mixture;
}

namespace {

NormalMixture twoModes(double mean1, double mean2, double stdDev) {
  NormalMixture mixture;
  mixture.components = {{{0.4, mean1, stdDev}, {0.6, mean2, stdDev}, {0.0, mean2, stdDev}}};
  return mixture;
}

MixtureList repeated(const NormalMixture& mixture, int count) {
  return MixtureList(static_cast<std::size_t>(count), mixture);
}

}  // namespace

TrafficData smallSiteData(int lanes) {
  TrafficData data;
  data.setCarFraction(0.8);
  data.setSpeeds({twoModes(220.0, 240.0, 10.0), twoModes(225.0, 245.0, 10.0)});
  for (int direction = 1; direction <= 2; ++direction) {
    data.setGrossWeights({twoModes(90.0, 140.0, 20.0), twoModes(150.0, 220.0, 30.0),
                          twoModes(160.0, 300.0, 40.0), twoModes(170.0, 380.0, 50.0)},
                         direction);
  }
  data.setSpacings2({twoModes(40.0, 50.0, 5.0)});
  data.setSpacings3({twoModes(40.0, 50.0, 5.0), singleNormal(13.0, 1.0)});
  data.setSpacings4(repeated(twoModes(35.0, 60.0, 5.0), 3));
  data.setSpacings5(repeated(twoModes(13.0, 60.0, 3.0), 4));
  data.setAxleWeights2({twoModes(40.0, 50.0, 8.0), twoModes(50.0, 80.0, 10.0)});
  data.setAxleWeights3(repeated(twoModes(50.0, 70.0, 10.0), 3));
  for (int row = 0; row < TrafficData::bandRowCount; ++row) {
    double gross = row == 0 ? 50.0 : 50.0 * row;
    for (int axles = 4; axles <= 5; ++axles) {
      data.setAxleWeightRow({0.25 * gross + 10, 0.3 * gross + 10, 0.45 * gross + 10, 5.0, 6.0, 8.0},
                            axles, row);
    }
  }
  Table flows;
  for (int lane = 0; lane < lanes; ++lane) {
    for (int axles = 2; axles <= 5; ++axles) {
      const double shares[] = {40.0, 10.0, 20.0, 30.0};
      data.setClassShare(lane, axles, shares[axles - 2]);
    }
    flows.push_back(std::vector<double>(24, 100.0));
  }
  data.setLaneFlowTable(flows);
  data.setHeadwayRows({{3, 0, 0, 0, 0, 0},
                       {0, 0.02, 0.01, 0.0, 0, 0},
                       {0, 0.1, -0.1, 0.03, 0, 0},
                       {100, 0.02, 0.1, -0.09, 0, 0},
                       {200, 0.025, 0.12, -0.13125, 0, 0},
                       {1000, 0.03, 0.14, -0.1725, 0, 0}});
  return data;
}

void addHeavyTrucks(TrafficData& data, int lanes, const std::array<double, 4>& heavyShares) {
  for (int lane = 0; lane < lanes; ++lane) {
    data.setClassShare(lane, 5, 10.0);
    for (int axles = firstHeavyAxles; axles <= maxTruckAxles; ++axles) {
      data.setHeavyShare(lane, axles, heavyShares[static_cast<std::size_t>(axles - 6)]);
    }
  }
  for (int axles = firstHeavyAxles; axles <= maxTruckAxles; ++axles) {
    data.setHeavyGrossWeights(axles, repeated(twoModes(300.0, 700.0, 60.0), 2));
    data.setHeavySpacings(axles, repeated(singleNormal(20.0, 2.0), axles - 1));
    for (int row = 0; row < TrafficData::heavyBandRowCount; ++row) {
      double perAxle = (row == 0 ? 50.0 : 100.0 * row) / axles;
      TrafficData::HeavyBandRow values{};
      for (int axle = 0; axle < axles; ++axle) {
        values[static_cast<std::size_t>(axle)] = {perAxle, 0.1 * perAxle};
      }
      data.setHeavyBandRow(axles, row, values);
    }
  }
}

TrafficParameters parametersFor(int model) {
  RunConfig defaults;
  defaults.trafficModel = model;
  return defaults.trafficParameters();
}

#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <regex>

#include "support/SeededTest.h"
#include "support/SmallSite.h"
#include "traffic/DrawLimit.h"
#include "traffic/VehicleGenerator.h"

namespace {

class VehicleGeneratorTest : public SeededTest {
 protected:
  VehicleGeneratorTest() : SeededTest(20261208u) {}
  // A generator for data under traffic model `model`.
  static std::unique_ptr<VehicleGenerator> generatorFor(const TrafficData& data, int model) {
    return std::make_unique<VehicleGenerator>(data, parametersFor(model));
  }
  static double axleWeightSum(const Vehicle& vehicle, int axles) {
    double sum = 0.0;
    for (int i = 0; i < axles; ++i) {
      sum += vehicle.getAxleWeight(i);
    }
    return sum;
  }
  static int axleCountOf(const Vehicle& vehicle) {
    int axles = 0;
    while (axles < maxTruckAxles && vehicle.getAxleWeight(axles) > 0.0) {
      ++axles;
    }
    return axles;
  }

  TrafficData data = smallSiteData(2);
};

TEST_F(VehicleGeneratorTest, TrucksKeepTheirInvariants) {
  auto generator = generatorFor(data, 7);
  for (int i = 0; i < 20000; ++i) {
    auto truck = generator->makeVehicle(i % 2, 1 + i % 2);
    int axles = axleCountOf(*truck);
    ASSERT_GE(axles, 2);
    ASSERT_GE(truck->getGvw(), 35.0);
    ASSERT_LE(truck->getGvw(), 800.0);
    double length = 0.0;
    for (int k = 0; k + 1 < axles; ++k) {
      ASSERT_GE(truck->getAxleSpacing(k), 0.5);
      ASSERT_LE(truck->getAxleSpacing(k), 200.0);
      length += truck->getAxleSpacing(k);
    }
    ASSERT_EQ(truck->getAxleSpacing(axles - 1), 0.0);
    ASSERT_DOUBLE_EQ(truck->getLength(), length);
    ASSERT_NEAR(axleWeightSum(*truck, axles), truck->getGvw(), 1e-9);
    for (int k = 3; k < axles; ++k) {
      ASSERT_EQ(truck->getAxleWeight(k), truck->getAxleWeight(2));
    }
  }
}

// Rebuilds by hand, from the same seed, the truck that makeVehicle draws, so that any change
// in the order of the draws shows.
TEST_F(VehicleGeneratorTest, DrawsInTheDesignedOrder) {
  data.setClassShare(0, 2, 0.0);
  data.setClassShare(0, 3, 0.0);
  data.setClassShare(0, 4, 100.0);
  data.setClassShare(0, 5, 0.0);
  auto generator = generatorFor(data, 7);
  auto truck = generator->makeVehicle(0, 2);

  reseed();
  RandomGenerator random;
  auto within = [&](const NormalMixture& mixture, double low, double high) {
    double value;
    do {
      value = random.normalMixture(mixture);
    } while (value < low || value > high);
    return value;
  };
  double speed = random.normalMixture(data.getSpeedMixture(2));
  random.uniform();  // class: 4 axles whatever u is
  double gvw = within(data.getGrossWeightMixture(2, 4), 35, 800);
  double spacings[3];
  for (int i = 0; i < 3; ++i) {
    spacings[i] = within(data.getSpacingMixture(4, i), 0.5, 200);
  }
  int band = 1 + static_cast<int>(std::floor((gvw - 25) / 50));
  AxleWeightRow row = data.getAxleWeightRow(4, band);
  double groups[3];
  for (int g = 0; g < 3; ++g) {
    do {
      groups[g] = random.normal(row[g], row[g + 3]);
    } while (groups[g] < 15 || groups[g] > 500);
  }
  double factor = gvw / (groups[0] + groups[1] + groups[2]);

  EXPECT_EQ(truck->getSpeed(), speed);
  EXPECT_EQ(truck->getGvw(), gvw);
  EXPECT_EQ(truck->getAxleSpacing(0), spacings[0]);
  EXPECT_EQ(truck->getAxleSpacing(2), spacings[2]);
  EXPECT_EQ(truck->getLength(), spacings[0] + spacings[1] + spacings[2]);
  EXPECT_EQ(truck->getAxleWeight(0), groups[0] * factor);
  EXPECT_EQ(truck->getAxleWeight(1), groups[1] * factor);
  EXPECT_EQ(truck->getAxleWeight(3), groups[2] * factor * 0.5);
  // The truck used exactly the words of the hand-made draws.
  std::uint32_t wordAfterHandDraws = RandomGenerator::nextWord();
  reseed();
  generatorFor(data, 7)->makeVehicle(0, 2);
  EXPECT_EQ(RandomGenerator::nextWord(), wordAfterHandDraws);
}

TEST_F(VehicleGeneratorTest, PicksBandRowByGrossWeight) {
  for (int row = 0; row < TrafficData::bandRowCount; ++row) {
    data.setAxleWeightRow({100, 100 + 10.0 * row, 100, 0, 0, 0}, 4, row);
  }
  data.setClassShare(0, 2, 0.0);
  data.setClassShare(0, 3, 0.0);
  data.setClassShare(0, 4, 100.0);
  data.setClassShare(0, 5, 0.0);
  const std::pair<double, int> cases[] = {{35, 1},       {74.999, 1}, {75, 2},
                                          {524.999, 10}, {525, 11},   {800, 11}};
  for (auto [gvw, row] : cases) {
    MixtureList weights(4, singleNormal(gvw, 0.0));
    data.setGrossWeights(weights, 1);
    auto truck = generatorFor(data, 7)->makeVehicle(0, 1);
    double ratio = truck->getAxleWeight(1) / truck->getAxleWeight(0);
    EXPECT_NEAR(ratio, 1.0 + 0.1 * row, 1e-12) << gvw;
  }
}

TEST_F(VehicleGeneratorTest, ConstantSpeedModelAndAllCars) {
  data.setCarFraction(1.0);
  for (int model : {5, 6}) {
    auto generator = generatorFor(data, model);
    for (int i = 0; i < 100; ++i) {
      auto car = generator->makeVehicle(1, 2);
      ASSERT_EQ(car->getGvw(), 20.0);
      ASSERT_EQ(car->getLength(), 40.0);
      ASSERT_EQ(car->getAxleWeight(0), 10.0);
      ASSERT_EQ(car->getAxleWeight(1), 10.0);
      ASSERT_EQ(car->getAxleSpacing(0), 40.0);
      ASSERT_EQ(car->getAxleSpacing(1), 0.0);
      if (model == 5) {
        ASSERT_EQ(car->getSpeed(), parametersFor(5).constantSpeed * 10.0);
      }
    }
  }
  char record[Vehicle::maxRecordLength];
  generatorFor(data, 5)->makeVehicle(1, 2)->formatRecord(record);
  EXPECT_EQ(std::string(record).substr(18, 3), " 83");
  EXPECT_EQ(std::string(record).substr(29, 2), "22");  // direction 2, lane index 1 + 1
}

TEST_F(VehicleGeneratorTest, OtherModelsMakeNoCarsAndSpendNoWordOnTheTest) {
  data.setCarFraction(1.0);
  MixtureList weights(4, singleNormal(100.0, 0.0));
  data.setGrossWeights(weights, 1);
  data.setClassShare(0, 2, 100.0);
  data.setClassShare(0, 3, 0.0);
  data.setClassShare(0, 4, 0.0);
  data.setClassShare(0, 5, 0.0);
  auto truck = generatorFor(data, 0)->makeVehicle(0, 1);
  EXPECT_EQ(truck->getGvw(), 100.0);
  reseed();
  RandomGenerator random;
  EXPECT_EQ(truck->getSpeed(), random.normalMixture(data.getSpeedMixture(1)));
}

TEST_F(VehicleGeneratorTest, ClassSharesAndCarFractionShowInTheStream) {
  data.setClassShare(1, 2, 0.0);
  data.setClassShare(1, 3, 0.0);
  data.setClassShare(1, 4, 50.0);
  data.setClassShare(1, 5, 50.0);
  auto generator = generatorFor(data, 6);
  std::map<int, int> byAxles;
  int cars = 0;
  const int total = 40000;
  for (int i = 0; i < total; ++i) {
    auto vehicle = generator->makeVehicle(1, 2);
    if (vehicle->getGvw() == 20.0) {
      ++cars;
    } else {
      ++byAxles[axleCountOf(*vehicle)];
    }
  }
  EXPECT_NEAR(cars / double(total), 0.8, 0.01);
  EXPECT_EQ(byAxles[2] + byAxles[3], 0);
  EXPECT_NEAR(byAxles[4] / double(total - cars), 0.5, 0.03);
}

TEST_F(VehicleGeneratorTest, SharesBelowHundredFallToLastClassWithTrucks) {
  data.setClassShare(0, 2, 0.0);
  data.setClassShare(0, 3, 10.0);
  data.setClassShare(0, 4, 0.0);
  data.setClassShare(0, 5, 0.0);
  auto generator = generatorFor(data, 7);
  for (int i = 0; i < 200; ++i) {
    ASSERT_EQ(axleCountOf(*generator->makeVehicle(0, 1)), 3);
  }
}

TEST_F(VehicleGeneratorTest, HeavyTrucksComeInTheirSharesAndKeepTheirInvariants) {
  addHeavyTrucks(data, 2, {10.0, 5.0, 3.0, 2.0});
  auto generator = generatorFor(data, 7);
  std::map<int, int> byAxles;
  const int total = 40000;
  int aboveLightClasses = 0;
  for (int i = 0; i < total; ++i) {
    auto truck = generator->makeVehicle(i % 2, 1 + i % 2);
    int axles = axleCountOf(*truck);
    ++byAxles[axles];
    if (axles < firstHeavyAxles) {
      continue;
    }
    ASSERT_GE(truck->getGvw(), 35.0);
    ASSERT_LE(truck->getGvw(), 2000.0);
    aboveLightClasses += truck->getGvw() > 800.0;
    double length = 0.0;
    for (int k = 0; k + 1 < axles; ++k) {
      ASSERT_GE(truck->getAxleSpacing(k), 0.5);
      length += truck->getAxleSpacing(k);
    }
    ASSERT_EQ(truck->getAxleSpacing(axles - 1), 0.0);
    ASSERT_DOUBLE_EQ(truck->getLength(), length);
    ASSERT_NEAR(axleWeightSum(*truck, axles), truck->getGvw(), 1e-9);
  }
  const double expected[] = {40, 10, 20, 10, 10, 5, 3, 2};  // % of 2- to 9-axle trucks
  for (int axles = 2; axles <= maxTruckAxles; ++axles) {
    double share = expected[axles - 2] / 100;
    EXPECT_NEAR(byAxles[axles] / double(total), share, 4 * std::sqrt(share / total)) << axles;
  }
  EXPECT_GT(aboveLightClasses, 0);  // the heavy classes reach beyond the others' 800
}

TEST(HeavyBandRowTest, RowsAreHundredUnitsWideAndTheLastTakesTheRest) {
  const std::pair<double, int> cases[] = {{35, 0},  {49.99, 0},   {50, 1},    {149.99, 1},
                                          {150, 2}, {1449.9, 14}, {1450, 15}, {2000, 15}};
  for (auto [grossWeight, row] : cases) {
    EXPECT_EQ(heavyBandRowOf(grossWeight), row) << grossWeight;
  }
  EXPECT_EQ(grossWeightsOfHeavyBandRow(0).low, 35);
  EXPECT_EQ(grossWeightsOfHeavyBandRow(3).low, 250);
  EXPECT_EQ(grossWeightsOfHeavyBandRow(15).high, 2000);
}

TEST_F(VehicleGeneratorTest, HeavyAxleWeightsFollowTheirBandRow) {
  addHeavyTrucks(data, 2, {20.0, 0.0, 0.0, 0.0});
  for (int lane = 0; lane < 2; ++lane) {
    for (int axles = 2; axles <= 5; ++axles) {
      data.setClassShare(lane, axles, 0.0);
    }
  }
  TrafficData::HeavyBandRow frontHeavy{};
  const double means[] = {100, 50, 50, 50, 50, 50};
  for (int axle = 0; axle < 6; ++axle) {
    frontHeavy[static_cast<std::size_t>(axle)] = {means[axle], 0.0};
  }
  for (int row = 0; row < TrafficData::heavyBandRowCount; ++row) {
    data.setHeavyBandRow(6, row, frontHeavy);
  }
  auto truck = generatorFor(data, 7)->makeVehicle(0, 1);
  double scale = truck->getGvw() / 350.0;
  EXPECT_DOUBLE_EQ(truck->getAxleWeight(0), 100.0 * scale);
  EXPECT_DOUBLE_EQ(truck->getAxleWeight(5), 50.0 * scale);
}

TEST_F(VehicleGeneratorTest, UndrawableGrossWeightStopsWithMessage) {
  MixtureList weights(4, singleNormal(5000.0, 1.0));
  data.setGrossWeights(weights, 1);
  data.setFolderPaths("C:\\Traffic\\Auxerre\\", "C:\\Traffic\\Auxerre\\");
  TrafficParameters parameters = parametersFor(7);
  parameters.drawLimit = 1000;
  VehicleGenerator generator(data, parameters);
  std::unique_ptr<Vehicle> vehicle = generator.makeVehicle(0, 1);
  std::string message = generator.drawFailure();
  EXPECT_GE(vehicle->getGvw(), 35.0);  // whole, with a value in range, but not to be used
  EXPECT_TRUE(std::regex_match(
      message, std::regex("could not draw the gross weight of [2-5]-axle trucks in "
                          "direction 1 within \\[35, 800\\] after 1000 tries; check the "
                          "table in Traffic/Auxerre/GVWpdf.csv")))
      << message;
}

}  // namespace

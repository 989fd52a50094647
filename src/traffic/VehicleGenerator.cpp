#include "traffic/VehicleGenerator.h"

#include "data/NumberText.h"
#include "run/RunConfig.h"
#include "traffic/DrawLimit.h"

namespace {

constexpr double carGrossWeight = 20.0;
constexpr double carAxleWeight = 10.0;
constexpr double carSpacing = 40.0;  // dm
constexpr double carLength = 40.0;   // dm
constexpr int maxSmallTruckAxles = 3;

std::string range(double low, double high) {
  return " within [" + numberText(low) + ", " + numberText(high) + "]";
}

std::string trucks(int axles) {
  return std::to_string(axles) + "-axle trucks";
}

}  // namespace

VehicleGenerator::VehicleGenerator(TrafficData data)
    : trafficData(std::move(data)),
      constantSpeed(runConfig.speed),
      trafficModel(runConfig.trafficModel) {}

std::unique_ptr<Vehicle> VehicleGenerator::makeVehicle(int lane, int travelDirection) {
  laneIndex = lane;
  direction = travelDirection;
  auto vehicle = std::make_unique<Vehicle>();
  vehicle->setLane(laneIndex + 1);
  vehicle->setDirection(direction);
  vehicle->setTrackWidth(trackWidth);
  vehicle->setHeadCode(headCode);
  vehicle->setSpeed(drawSpeed());
  if (drawIsCar()) {
    makeCar(*vehicle);
    return vehicle;
  }
  int axles = drawAxleCount();
  if (axles <= maxSmallTruckAxles) {
    buildSmallTruck(*vehicle, axles);
  } else {
    buildLargeTruck(*vehicle, axles);
  }
  return vehicle;
}

double VehicleGenerator::drawSpeed() {
  if (trafficModel == 5) {
    return constantSpeed * speedScale;
  }
  return random.normalMixture(trafficData.getSpeedMixture(direction));
}

bool VehicleGenerator::drawIsCar() {
  if (trafficModel != 5 && trafficModel != 6) {
    return false;
  }
  return trafficData.getCarFraction() >= random.uniform();
}

int VehicleGenerator::drawAxleCount() {
  double u = random.uniform();
  ClassShares shares = trafficData.getClassShares(laneIndex);
  double total = 0.0;
  int position = -1;
  while (position < 3 && total < u) {
    ++position;
    total += shares[static_cast<std::size_t>(position)] * classShareScale;
  }
  if (position < 0) {  // u is 0: the first class that has trucks
    position = 0;
    while (position < 3 && !(shares[static_cast<std::size_t>(position)] > 0.0)) {
      ++position;
    }
  } else if (total < u) {  // u above the lane's total: the last class that has trucks
    while (position > 0 && !(shares[static_cast<std::size_t>(position)] > 0.0)) {
      --position;
    }
  }
  return 2 + position;
}

void VehicleGenerator::makeCar(Vehicle& vehicle) {
  vehicle.setAxleCount(2);
  vehicle.setGvw(carGrossWeight);
  vehicle.setAxleWeight(0, carAxleWeight);
  vehicle.setAxleWeight(1, carAxleWeight);
  vehicle.setLength(carLength);
  vehicle.setAxleSpacing(0, carSpacing);
  vehicle.setAxleSpacing(1, 0.0);
}

void VehicleGenerator::drawGrossWeightAndSpacings(Vehicle& vehicle, int axles) {
  vehicle.setAxleCount(axles);
  double gvw = drawMixtureWithin(
      trafficData.getGrossWeightMixture(direction, axles), minGrossWeight, maxGrossWeight,
      [&] {
        return "the gross weight of " + trucks(axles) + " in direction " +
               std::to_string(direction);
      },
      "GVWpdf.csv");
  double spacings[5] = {0.0, 0.0, 0.0, 0.0, 0.0};
  for (int i = 0; i < axles - 1; ++i) {
    spacings[i] = drawMixtureWithin(
        trafficData.getSpacingMixture(axles, i), minAxleSpacing, maxAxleSpacing,
        [&] { return "spacing " + std::to_string(i + 1) + " of " + trucks(axles); }, "ASall.csv");
  }
  double length = 0.0;
  for (int i = 0; i < axles; ++i) {
    length += spacings[i];
  }
  vehicle.setGvw(gvw);
  for (int i = 0; i < axles; ++i) {
    vehicle.setAxleSpacing(i, spacings[i]);
  }
  vehicle.setLength(length);
}

void VehicleGenerator::buildSmallTruck(Vehicle& vehicle, int axles) {
  drawGrossWeightAndSpacings(vehicle, axles);
  double weights[maxSmallTruckAxles] = {0.0, 0.0, 0.0};
  double sum = 0.0;
  for (int i = 0; i < axles; ++i) {
    weights[i] = drawMixtureWithin(
        trafficData.getAxleWeightMixture(axles, i), minAxleWeight, maxAxleWeight,
        [&] { return "the weight of axle " + std::to_string(i + 1) + " of " + trucks(axles); },
        "AW2&3.csv");
  }
  for (int i = 0; i < axles; ++i) {
    sum += weights[i];
  }
  double factor = vehicle.getGvw() / sum;
  for (int i = 0; i < axles; ++i) {
    vehicle.setAxleWeight(i, weights[i] * factor);
  }
}

void VehicleGenerator::buildLargeTruck(Vehicle& vehicle, int axles) {
  drawGrossWeightAndSpacings(vehicle, axles);
  double gvw = vehicle.getGvw();
  int band = 1 - static_cast<int>((gvw - bandOrigin) * -0.02);
  AxleWeightRow row = trafficData.getAxleWeightRow(axles, band);
  double groups[3];
  for (int g = 0; g < 3; ++g) {
    double mean = row[static_cast<std::size_t>(g)];
    double stdDev = row[static_cast<std::size_t>(g + 3)];
    groups[g] =
        drawUntil([&] { return random.normal(mean, stdDev); },
                  [](double w) { return w >= minAxleWeight && w <= maxAxleWeight; },
                  [&] {
                    return UndrawableValue{"the weight of axle group " + std::to_string(g + 1) +
                                               " of " + trucks(axles) + " in band row " +
                                               std::to_string(band > 11 ? 11 : band) +
                                               range(minAxleWeight, maxAxleWeight),
                                           siteFile("AW4&5.csv")};
                  });
  }
  double sum = groups[0] + groups[1] + groups[2];
  double factor = gvw / sum;
  for (double& group : groups) {
    group *= factor;
  }
  double rearShare = axles == 4 ? groups[2] * 0.5 : groups[2] * (1.0 / 3.0);
  vehicle.setAxleWeight(0, groups[0]);
  vehicle.setAxleWeight(1, groups[1]);
  for (int i = 2; i < axles; ++i) {
    vehicle.setAxleWeight(i, rearShare);
  }
}

template <typename Describe>
double VehicleGenerator::drawMixtureWithin(const NormalMixture& mixture, double low, double high,
                                           Describe what, const char* fileName) {
  return drawUntil([&] { return random.normalMixture(mixture); },
                   [=](double x) { return x >= low && x <= high; },
                   [&] {
                     return UndrawableValue{what() + range(low, high), siteFile(fileName)};
                   });
}

std::string VehicleGenerator::siteFile(const char* fileName) const {
  return siteFileForMessage(trafficData.getVehicleFolderPath(), fileName);
}

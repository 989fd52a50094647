#include "traffic/VehicleGenerator.h"

#include "data/RunFolderFiles.h"
#include "traffic/DrawLimit.h"

namespace {

constexpr int maxSmallTruckAxles = 3;
static_assert(maxTruckAxles <= record_layout::maxAxles, "every truck's axles fit the record");

std::string within(const AcceptedRange& range) {
  return " within " + rangeText(range);
}

}  // namespace

VehicleGenerator::VehicleGenerator(TrafficData data, const TrafficParameters& parameters)
    : trafficData(std::move(data)),
      draws(parameters.drawLimit),
      constantSpeed(parameters.constantSpeed),
      trafficModel(parameters.model) {}

std::unique_ptr<Vehicle> VehicleGenerator::makeVehicle(int lane, int travelDirection) {
  std::unique_ptr<Vehicle> vehicle = startVehicle(lane, travelDirection);
  lastWasCar = drawIsCar();
  if (lastWasCar) {
    makeCar(*vehicle);
  } else {
    buildTruck(*vehicle);
  }
  return vehicle;
}

std::unique_ptr<Vehicle> VehicleGenerator::makeTruck(int lane, int travelDirection) {
  std::unique_ptr<Vehicle> vehicle = startVehicle(lane, travelDirection);
  lastWasCar = false;
  buildTruck(*vehicle);
  return vehicle;
}

std::unique_ptr<Vehicle> VehicleGenerator::startVehicle(int lane, int travelDirection) {
  laneIndex = lane;
  direction = travelDirection;
  auto vehicle = std::make_unique<Vehicle>();
  vehicle->setLane(laneIndex + 1);
  vehicle->setDirection(direction);
  vehicle->setTrackWidth(trackWidth);
  vehicle->setHeadCode(headCode);
  vehicle->setSpeed(drawSpeed());
  return vehicle;
}

void VehicleGenerator::buildTruck(Vehicle& vehicle) {
  int axles = drawAxleCount();
  if (axles <= maxSmallTruckAxles) {
    buildSmallTruck(vehicle, axles);
  } else if (axles < firstHeavyAxles) {
    buildLargeTruck(vehicle, axles);
  } else {
    buildHeavyTruck(vehicle, axles);
  }
}

double VehicleGenerator::drawSpeed() {
  if (trafficModel.isCongested()) {
    return congestedSpeed();
  }
  return random.normalMixture(trafficData.getSpeedMixture(direction));
}

bool VehicleGenerator::drawIsCar() {
  if (!trafficModel.hasCars()) {
    return false;
  }
  return trafficData.getCarFraction() >= random.uniform();
}

int VehicleGenerator::drawAxleCount() {
  double u = random.uniform();
  ClassShares shares = trafficData.getClassShares(laneIndex);
  double total = 0.0;
  int position = -1;
  constexpr int lastPosition = truckClassCount - 1;
  while (position < lastPosition && total < u) {
    ++position;
    total += shares[static_cast<std::size_t>(position)] * classShareScale;
  }
  if (position < 0) {  // u is 0: the first class that has trucks
    position = 0;
    while (position < lastPosition && !(shares[static_cast<std::size_t>(position)] > 0.0)) {
      ++position;
    }
  } else if (total < u) {  // u above the lane's total: the last class that has trucks
    while (position > 0 && !(shares[static_cast<std::size_t>(position)] > 0.0)) {
      --position;
    }
  }
  return minTruckAxles + position;
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
  bool heavy = axles >= firstHeavyAxles;
  double gvw = drawMixtureWithin(
      trafficData.getGrossWeightMixture(direction, axles), grossWeightRangeOf(axles),
      [&] { return grossWeightText(axles, direction); },
      heavy ? run_folder_files::heavyTrucks : run_folder_files::grossWeights);
  double spacings[maxTruckAxles] = {};
  for (int i = 0; i < axles - 1; ++i) {
    spacings[i] = drawMixtureWithin(
        trafficData.getSpacingMixture(axles, i), axleSpacingRange,
        [&] { return axleSpacingText(axles, i); },
        heavy ? run_folder_files::heavyTrucks : run_folder_files::axleSpacings);
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
        trafficData.getAxleWeightMixture(axles, i), axleWeightRange,
        [&] { return axleWeightText(axles, i); }, run_folder_files::axleWeights23);
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
  int band = bandRowOf(gvw);
  AxleWeightRow row = trafficData.getAxleWeightRow(axles, band);
  double groups[3];
  for (int g = 0; g < 3; ++g) {
    double mean = row[static_cast<std::size_t>(g)];
    double stdDev = row[static_cast<std::size_t>(g + 3)];
    groups[g] = draws.drawUntil(
        [&] { return random.normal(mean, stdDev); },
        [](double w) { return axleWeightRange.contains(w); }, axleWeightRange.low,
        [&] {
          return UndrawableValue{axleGroupText(axles, g, band) + within(axleWeightRange),
                                 siteFile(run_folder_files::axleWeights45)};
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

void VehicleGenerator::buildHeavyTruck(Vehicle& vehicle, int axles) {
  drawGrossWeightAndSpacings(vehicle, axles);
  double gvw = vehicle.getGvw();
  int band = heavyBandRowOf(gvw);
  double weights[maxTruckAxles] = {};
  for (int i = 0; i < axles; ++i) {
    TrafficData::AxleStats stats = trafficData.getHeavyAxleWeight(axles, band, i);
    weights[i] = draws.drawUntil(
        [&] { return random.normal(stats.mean, stats.stdDev); },
        [](double w) { return axleWeightRange.contains(w); }, axleWeightRange.low,
        [&] {
          return UndrawableValue{heavyAxleText(axles, i, band) + within(axleWeightRange),
                                 siteFile(run_folder_files::heavyTrucks)};
        });
  }
  double sum = 0.0;
  for (int i = 0; i < axles; ++i) {
    sum += weights[i];
  }
  double factor = gvw / sum;
  for (int i = 0; i < axles; ++i) {
    vehicle.setAxleWeight(i, weights[i] * factor);
  }
}

template <typename Describe>
double VehicleGenerator::drawMixtureWithin(const NormalMixture& mixture, const AcceptedRange& range,
                                           Describe what, const char* fileName) {
  return draws.drawUntil([&] { return random.normalMixture(mixture); },
                         [&range](double x) { return range.contains(x); }, range.low,
                         [&] {
                           return UndrawableValue{what() + within(range), siteFile(fileName)};
                         });
}

std::string VehicleGenerator::siteFile(const char* fileName) const {
  return siteFileForMessage(trafficData.getVehicleFolderPath(), fileName);
}

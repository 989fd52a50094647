// Makes the vehicles of a run's lanes from its copy of the site tables: speed, car or truck, the
// truck's number of axles (2 to 9), gross weight, axle spacings and axle weights, drawn in exactly
// that order from the process-wide random stream, so the order is part of the output.
// Cars carry fixed values.
#pragma once

#include <memory>
#include <string>

#include "data/TrafficData.h"
#include "random/RandomGenerator.h"
#include "record/CarRecord.h"
#include "record/Vehicle.h"
#include "traffic/DrawLimit.h"
#include "traffic/DrawnQuantity.h"
#include "traffic/TrafficParameters.h"

class VehicleGenerator {
 public:
  // Keeps data as its own copy, and the traffic model and congested speed of parameters.
  VehicleGenerator(TrafficData data, const TrafficParameters& parameters);
  VehicleGenerator(const VehicleGenerator&) = delete;
  VehicleGenerator& operator=(const VehicleGenerator&) = delete;
  virtual ~VehicleGenerator() = default;

  // A new vehicle of lane laneIndex (0-based) in direction (1 or 2), without its time.
  // When a table cannot give a value in its accepted range, the vehicle is still whole but
  // drawFailure() says so, and no vehicle made after it is to be used.
  std::unique_ptr<Vehicle> makeVehicle(int laneIndex, int direction);
  // A new truck, made as makeVehicle makes one once its draw has said truck: its speed, then
  // its class by the lane's class shares, and the rest.
  std::unique_ptr<Vehicle> makeTruck(int laneIndex, int direction);
  // Whether the vehicle made last is a car.
  bool madeCar() const { return lastWasCar; }
  // dm/s: the speed of every vehicle in congested traffic.
  double congestedSpeed() const { return constantSpeed * speedScale; }
  // The message of the first draw that gave up, or "" when none did.
  const std::string& drawFailure() const { return draws.failure(); }
  // A copy of the headway-model table. No draw.
  Table headwayModelTable() const { return trafficData.getHeadwayRows(); }
  // The data root's path of the flow tables, for messages.
  std::string flowFolderPath() const { return trafficData.getFlowFolderPath(); }

  static constexpr int headCode = 1001;
  static constexpr double trackWidth = 1.8;   // m
  static constexpr double speedScale = 10.0;  // m/s to dm/s
  static constexpr double classShareScale = 0.01;
  // A car's fixed values: two axles of carAxleWeight, carSpacing apart.
  static constexpr double carGrossWeight = car_record::grossWeight;
  static constexpr double carAxleWeight = car_record::axleWeight;
  static constexpr double carSpacing = car_record::spacing;  // dm
  static constexpr double carLength = car_record::length;    // dm

 private:
  // The vehicle's lane, direction and fixed values, and its speed.
  std::unique_ptr<Vehicle> startVehicle(int laneIndex, int direction);
  void buildTruck(Vehicle& vehicle);
  double drawSpeed();
  bool drawIsCar();
  int drawAxleCount();
  static void makeCar(Vehicle& vehicle);
  void buildSmallTruck(Vehicle& vehicle, int axles);
  void buildLargeTruck(Vehicle& vehicle, int axles);
  // Trucks of 6 to 9 axles: a normal draw per axle from the gross weight's band row, scaled
  // so that the axles carry the gross weight.
  void buildHeavyTruck(Vehicle& vehicle, int axles);
  void drawGrossWeightAndSpacings(Vehicle& vehicle, int axles);
  template <typename Describe>
  double drawMixtureWithin(const NormalMixture& mixture, const AcceptedRange& range, Describe what,
                           const char* fileName);
  std::string siteFile(const char* fileName) const;

  int laneIndex = 0;
  int direction = 1;
  TrafficData trafficData;
  RandomGenerator random;
  DrawLimit draws;
  double constantSpeed;  // m/s
  TrafficModel trafficModel;
  bool lastWasCar = false;
};

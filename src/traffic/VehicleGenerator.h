// Makes one lane's vehicles from its own copy of the site tables: speed, car or truck, the
// truck's number of axles, gross weight, axle spacings and axle weights, drawn in exactly
// that order from the process-wide random stream, so the order is part of the output.
// Cars carry fixed values.
#pragma once

#include <memory>
#include <string>

#include "data/TrafficData.h"
#include "output/Vehicle.h"
#include "random/RandomGenerator.h"

class VehicleGenerator {
 public:
  // Keeps data as its own copy and takes `speed` and `trafficModel` from the run parameters.
  explicit VehicleGenerator(TrafficData data);
  VehicleGenerator(const VehicleGenerator&) = delete;
  VehicleGenerator& operator=(const VehicleGenerator&) = delete;
  virtual ~VehicleGenerator() = default;

  // A new vehicle of lane laneIndex (0-based) in direction (1 or 2), without its time.
  // Stops the program when a table cannot give a value in its accepted range.
  std::unique_ptr<Vehicle> makeVehicle(int laneIndex, int direction);
  // A copy of the headway-model table. No draw.
  Table headwayModelTable() const { return trafficData.getHeadwayRows(); }
  // The data root's path of the flow tables, for messages.
  std::string flowFolderPath() const { return trafficData.getFlowFolderPath(); }

  static constexpr int headCode = 1001;
  static constexpr double trackWidth = 1.8;   // m
  static constexpr double speedScale = 10.0;  // m/s to dm/s
  static constexpr double maxSpeedKmh = 300.0;  // the fastest vehicle a site may describe
  static constexpr double maxSpeed = maxSpeedKmh / 3.6 * speedScale;  // dm/s
  static constexpr double classShareScale = 0.01;
  static constexpr double minGrossWeight = 35.0;
  static constexpr double maxGrossWeight = 800.0;
  static constexpr double minAxleSpacing = 0.5;    // dm
  static constexpr double maxAxleSpacing = 200.0;  // dm
  static constexpr double minAxleWeight = 15.0;
  static constexpr double maxAxleWeight = 500.0;
  static constexpr double bandOrigin = 25.0;
  static constexpr double bandWidth = 50.0;

 private:
  double drawSpeed();
  bool drawIsCar();
  int drawAxleCount();
  static void makeCar(Vehicle& vehicle);
  void buildSmallTruck(Vehicle& vehicle, int axles);
  void buildLargeTruck(Vehicle& vehicle, int axles);
  void drawGrossWeightAndSpacings(Vehicle& vehicle, int axles);
  template <typename Describe>
  double drawMixtureWithin(const NormalMixture& mixture, double low, double high, Describe what,
                           const char* fileName);
  std::string siteFile(const char* fileName) const;

  int laneIndex = 0;
  int direction = 1;
  TrafficData trafficData;
  RandomGenerator random;
  double constantSpeed;  // m/s
  int trafficModel;
};

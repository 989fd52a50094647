#include "stats/SiteExpectation.h"

#include <filesystem>
#include <limits>

#include "data/TrafficDataLoader.h"
#include "run/RunConfig.h"
#include "traffic/SiteDataCheck.h"
#include "traffic/VehicleGenerator.h"

namespace fs = std::filesystem;

bool SiteExpectation::load(const std::string& folder, std::string& error) {
  std::error_code failure;
  fs::path previous = fs::current_path();
  fs::current_path(folder, failure);
  if (failure) {
    error = "error: cannot use the run folder \"" + folder + "\": " + failure.message();
    return false;
  }
  runConfig.setDefaults();
  if (!runConfig.readFile("VLMin.txt", &error) && error.empty()) {
    runConfig.setDefaults();
  }
  if (error.empty()) {
    error = runConfig.findProblem();
  }
  if (error.empty()) {
    TrafficDataLoader loader(runConfig.vehicleSite, runConfig.flowSite);
    loader.readFiles(runConfig.trafficModel);
    loader.fillTrafficData(data);
    RoadLayout road{runConfig.lanesDir1, runConfig.lanesDir2, runConfig.trafficModel};
    error = checkSiteData(data, loader.getFileReports(), road);
  }
  siteFolder = fs::current_path().string();
  fs::current_path(previous);
  lanesDir1 = runConfig.lanesDir1;
  lanesDir2 = runConfig.lanesDir2;
  trafficModel = runConfig.trafficModel;
  carFraction = runConfig.carFraction;
  return error.empty();
}

double SiteExpectation::hourlyVehicles(int lane, int hour) const {
  if (carFraction >= 1.0) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  return data.laneFlows(lane - 1)[static_cast<std::size_t>(hour)] / (1 - carFraction);
}

double SiteExpectation::truckShare(int lane, int axles) const {
  ClassShares shares = data.getClassShares(lane - 1);
  double total = shares[0] + shares[1] + shares[2] + shares[3];
  return shares[static_cast<std::size_t>(axles - 2)] / total;
}

double SiteExpectation::carShare() const {
  return trafficModel == 5 || trafficModel == 6 ? carFraction : 0.0;
}

double SiteExpectation::grossWeightWithin(int axles, int direction, double low, double high) const {
  using G = VehicleGenerator;
  NormalMixture mixture = data.getGrossWeightMixture(direction, axles);
  double accepted = mixture.probabilityWithin(G::minGrossWeight, G::maxGrossWeight);
  double lowEnd = low < G::minGrossWeight ? G::minGrossWeight : low;
  double highEnd = high > G::maxGrossWeight ? G::maxGrossWeight : high;
  if (!(lowEnd <= highEnd)) {
    return 0.0;
  }
  return mixture.probabilityWithin(lowEnd, highEnd) / accepted;
}

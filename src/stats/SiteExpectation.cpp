#include "stats/SiteExpectation.h"

#include <filesystem>
#include <limits>

#include "base/text/NativePath.h"
#include "run/RunConfig.h"
#include "run/SiteLoading.h"
#include "traffic/DrawnQuantity.h"

bool SiteExpectation::load(const std::string& folder, std::string* error) {
  std::error_code failure;
  if (!std::filesystem::is_directory(folder, failure)) {
    *error = "cannot use the run folder \"" + folder +
             "\": " + (failure ? failure.message() : "not a folder");
    return false;
  }
  RunConfig config;
  CheckedSite site;
  bool parametersFound = false;  // without them the defaults serve, as for a run
  if (!loadRunFolder(folder, std::nullopt, config, &site, &parametersFound, error)) {
    return false;
  }
  data = site.data;
  siteFolder = folder;
  lanesDir1 = config.lanesDir1;
  lanesDir2 = config.lanesDir2;
  hasCars = config.model().hasCars();
  congested = config.model().isCongested();
  tableHeadways = config.model().usesHeadwayTable();
  catchUp = config.catchUpLength;
  carFraction = config.carFraction;
  return true;
}

double SiteExpectation::hourlyVehicles(int lane, int hour, const StreamSummary& stream) const {
  if (carFraction >= 1.0) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  double vehicles = data.laneFlows(lane - 1)[static_cast<std::size_t>(hour)] / (1 - carFraction);
  const StreamSummary::HeadwayPairs& pairs = stream.headwayPairs(lane, hour);
  if (congested || tableHeadways || pairs.pairs == 0 || !(vehicles > 0)) {
    return vehicles;
  }
  double meanExponential = 3600.0 / vehicles;  // s
  double meanHeadway =
      (pairs.minimumSum + static_cast<double>(pairs.drawn) * meanExponential) / pairs.pairs;
  return 3600.0 / meanHeadway;
}

double SiteExpectation::truckShare(int lane, int axles) const {
  ClassShares shares = data.getClassShares(lane - 1);
  double total = 0.0;
  for (double share : shares) {
    total += share;
  }
  return shares[static_cast<std::size_t>(axles - minTruckAxles)] / total;
}

double SiteExpectation::carShare() const {
  return hasCars ? carFraction : 0.0;
}

double SiteExpectation::grossWeightWithin(int axles, int direction, double low, double high) const {
  NormalMixture mixture = data.getGrossWeightMixture(direction, axles);
  const AcceptedRange& range = grossWeightRangeOf(axles);
  double accepted = mixture.probabilityWithin(range.low, range.high);
  double lowEnd = low < range.low ? range.low : low;
  double highEnd = high > range.high ? range.high : high;
  if (!(lowEnd <= highEnd)) {
    return 0.0;
  }
  return mixture.probabilityWithin(lowEnd, highEnd) / accepted;
}

double SiteExpectation::speedWithin(int direction, double low, double high) const {
  if (congested) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  return data.getSpeedMixture(direction).probabilityWithin(low, high);
}

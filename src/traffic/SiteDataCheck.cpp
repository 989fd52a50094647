#include "traffic/SiteDataCheck.h"

#include <cmath>

#include "base/text/NumberText.h"
#include "data/RunFolderFiles.h"
#include "traffic/DrawnQuantity.h"

namespace {

constexpr int hoursPerDay = TrafficData::hoursPerDay;
constexpr double classShareTotal = 100.0;
constexpr double classShareTolerance = 1.0;

using Reports = std::vector<SiteFileReport>;

std::string pathOf(const Reports& reports, const std::string& fileName) {
  for (const SiteFileReport& report : reports) {
    if (report.fileName == fileName) {
      return report.path;
    }
  }
  return fileName;
}

std::string plural(long long count, const char* noun) {
  return std::to_string(count) + " " + noun + (count == 1 ? "" : "s");
}

// Everything the checks need to know, gathered once.
struct Site {
  const TrafficData& data;
  const Reports& reports;
  const RoadLayout& road;

  int lanes() const { return road.lanesDir1 + road.lanesDir2; }
  bool hasDirection(int direction) const {
    return (direction == 1 ? road.lanesDir1 : road.lanesDir2) > 0;
  }
  // True when some lane of the road has trucks with this many axles (2..9).
  bool hasClass(int axles) const {
    for (int lane = 0; lane < lanes(); ++lane) {
      if (data.getClassShares(lane)[static_cast<std::size_t>(axles - minTruckAxles)] > 0) {
        return true;
      }
    }
    return false;
  }
  std::string file(const char* name) const { return pathOf(reports, name); }
  // The file that gives the shares, gross weights and spacings of trucks with `axles` axles.
  const char* classFile(int axles) const {
    return axles >= firstHeavyAxles ? run_folder_files::heavyTrucks : run_folder_files::classShares;
  }
};

std::string checkFiles(const Reports& reports) {
  for (const SiteFileReport& report : reports) {
    if (!report.opened) {
      return "cannot open the site file " + report.path + ": " + report.openError;
    }
    if (!report.readError.empty()) {
      return "cannot read the site file " + report.path + ": " + report.readError;
    }
    if (!report.badNumber.empty()) {
      return "the site file " + report.path + " has " + report.badNumber +
             "; accepted: a number (an empty field reads 0)";
    }
    if (report.fileName == run_folder_files::headways && report.linesExpected < 4) {
      return "the site file " + report.path + " gives " +
             plural(report.linesExpected - 3, "flow band") +
             " on its first line; accepted: 1 or more";
    }
    if (report.linesFound < report.linesExpected) {
      return "the site file " + report.path + " has " + plural(report.linesFound, "line") +
             "; its layout needs " + std::to_string(report.linesExpected);
    }
    if (!report.badRow.empty()) {
      return "the site file " + report.path + " has " + report.badRow;
    }
  }
  return "";
}

std::string checkLaneCounts(const Site& site) {
  std::vector<std::pair<const char*, int>> tables = {
      {run_folder_files::classShares, site.data.getClassShareRowCount()},
      {run_folder_files::flows, site.data.getLaneFlowCount()}};
  if (site.data.hasHeavyTrucks()) {
    tables.emplace_back(run_folder_files::heavyTrucks, site.data.getHeavyShareLaneCount());
  }
  for (auto [fileName, lanes] : tables) {
    if (lanes < site.lanes()) {
      return "the site file " + site.file(fileName) + " has " + plural(lanes, "lane") +
             "; the road has " + plural(site.lanes(), "lane") + " (" +
             std::to_string(site.road.lanesDir1) + " in direction 1, " +
             std::to_string(site.road.lanesDir2) + " in direction 2)";
    }
  }
  return "";
}

std::string checkFlows(const Site& site) {
  for (int lane = 0; lane < site.lanes(); ++lane) {
    std::vector<double> flows = site.data.laneFlows(lane);
    for (int hour = 0; hour < hoursPerDay; ++hour) {
      double flow = flows[static_cast<std::size_t>(hour)];
      if (!std::isfinite(flow) || flow < 0) {
        return "the site file " + site.file(run_folder_files::flows) + " gives lane " +
               std::to_string(lane + 1) + " a flow of " + numberText(flow) + " in hour " +
               std::to_string(hour) + "; accepted: a finite number of vehicles per hour, 0 or more";
      }
      double withCars = flow / (1 - site.data.getCarFraction());
      if (!site.road.trafficModel.isCongested() && !(withCars <= maxLaneFlow)) {
        return "the site file " + site.file(run_folder_files::flows) + " gives lane " +
               std::to_string(lane + 1) + " a flow of " + numberText(flow) + " in hour " +
               std::to_string(hour) + ", " + numberText(withCars) +
               " vehicles per hour with the cars; accepted: at most " + numberText(maxLaneFlow) +
               " vehicles per hour in all on a lane";
      }
    }
  }
  return "";
}

std::string checkClassShares(const Site& site) {
  for (int lane = 0; lane < site.lanes(); ++lane) {
    ClassShares shares = site.data.getClassShares(lane);
    double total = 0.0;
    for (std::size_t i = 0; i < shares.size(); ++i) {
      int axles = minTruckAxles + static_cast<int>(i);
      if (!std::isfinite(shares[i]) || shares[i] < 0) {
        return "the site file " + site.file(site.classFile(axles)) + " gives lane " +
               std::to_string(lane + 1) + " a share of " + numberText(shares[i]) + " % for " +
               trucksText(axles) + "; accepted: a finite percentage, 0 or more";
      }
      total += shares[i];
    }
    if (std::fabs(total - classShareTotal) > classShareTolerance) {
      std::string files = "the site file " + site.file(run_folder_files::classShares);
      if (site.data.hasHeavyTrucks()) {
        files = "the site files " + site.file(run_folder_files::classShares) + " and " +
                site.file(run_folder_files::heavyTrucks) + " together";
      }
      return files + " give" + (site.data.hasHeavyTrucks() ? "" : "s") + " lane " +
             std::to_string(lane + 1) + " class shares that add up to " + numberText(total) +
             " %; accepted: 100 within 1";
    }
  }
  return "";
}

// Under the table model every hourly flow needs a band whose limit is not below it.
std::string checkHeadwayBands(const Site& site) {
  Table rows = site.data.getHeadwayRows();
  double lastLimit = rows.back().empty() ? 0.0 : rows.back()[0];
  for (int lane = 0; lane < site.lanes(); ++lane) {
    std::vector<double> flows = site.data.laneFlows(lane);
    for (int hour = 0; hour < hoursPerDay; ++hour) {
      double flow = flows[static_cast<std::size_t>(hour)];
      if (!(flow <= lastLimit)) {
        return "the site file " + site.file(run_folder_files::headways) +
               " has no flow band for lane " + std::to_string(lane + 1) + " in hour " +
               std::to_string(hour) + ": its flow of " + numberText(flow) +
               " vehicles per hour is above the last band's limit of " + numberText(lastLimit);
      }
    }
  }
  return "";
}

// The message for a distribution that too rarely gives a value in [low, high].
std::string acceptance(const std::string& file, const std::string& what, const AcceptedRange& range,
                       double probability) {
  if (probability >= minimumAcceptance) {
    return "";
  }
  return "the site file " + file + ": " + what + " falls in " + rangeText(range) +
         " with probability " + numberText(probability) + "; accepted: at least " +
         numberText(minimumAcceptance);
}

// Where a mixture lies in a file read as mixture blocks: its block's first line and its
// place in the block.
struct MixtureSite {
  const char* fileName;
  int firstLine;  // from 1
  int mixture;    // from 0, left to right
};

// The weights of a used mixture must be probabilities that add up to 1.
std::string checkWeights(const Site& site, const std::string& what, const NormalMixture& mixture,
                         const MixtureSite& where) {
  int firstLine = where.firstLine;
  std::string place = what + " (field " + std::to_string(3 * where.mixture + 1) + " of lines " +
                      std::to_string(firstLine) + " to " +
                      std::to_string(firstLine + NormalMixture::componentCount - 1) + ")";
  const std::string accepted =
      "; accepted: weights of 0 or more that add up to 1 within " + numberText(weightTolerance);
  double sum = 0.0;
  for (const NormalComponent& component : mixture.components) {
    if (!(component.weight >= 0)) {
      return "the site file " + site.file(where.fileName) + " gives the mixture of " + place +
             " a weight of " + numberText(component.weight) + accepted;
    }
    sum += component.weight;
  }
  if (!(std::fabs(sum - 1.0) <= weightTolerance)) {
    return "the site file " + site.file(where.fileName) + " gives the mixture of " + place +
           " weights that add up to " + numberText(sum) + accepted;
  }
  return "";
}

// Speeds are drawn without rejection: every component that can be drawn must lie in a
// sensible range.
std::string checkSpeeds(const Site& site) {
  for (int direction = 1; direction <= 2; ++direction) {
    if (!site.hasDirection(direction)) {
      continue;
    }
    NormalMixture mixture = site.data.getSpeedMixture(direction);
    std::string what = "speeds in direction " + std::to_string(direction);
    std::string problem =
        checkWeights(site, what, mixture,
                     {run_folder_files::grossWeights, mixtureBlockFirstLine(direction - 1), 0});
    if (!problem.empty()) {
      return problem;
    }
    const auto& parts = mixture.components;
    for (std::size_t i = 0; i < parts.size(); ++i) {
      const NormalComponent& component = parts[i];
      // The sampler takes the first two by their weights and the third for the rest.
      bool drawn =
          i + 1 < parts.size() ? component.weight > 0 : parts[0].weight + parts[1].weight < 1.0;
      if (!drawn) {
        continue;
      }
      if (!(component.mean >= 0 && component.mean <= maxSpeed) ||
          !(std::fabs(component.stdDev) <= maxSpeed)) {
        return "the site file " + site.file(run_folder_files::grossWeights) + " gives " + what +
               " a component of mean " + numberText(component.mean) + " dm/s and deviation " +
               numberText(component.stdDev) + " dm/s; accepted: means and deviations within " +
               rangeText({0.0, maxSpeed}) + " dm/s (300 km/h)";
      }
    }
  }
  return "";
}

// A mixture a truck's draw uses: its weights are probabilities, and it gives values in
// range often enough.
std::string checkDrawnMixture(const Site& site, const std::string& what,
                              const NormalMixture& mixture, const MixtureSite& where,
                              const AcceptedRange& range) {
  std::string problem = checkWeights(site, what, mixture, where);
  if (problem.empty()) {
    problem = acceptance(site.file(where.fileName), what, range,
                         mixture.probabilityWithin(range.low, range.high));
  }
  return problem;
}

// Where the gross-weight mixture of trucks with `axles` axles in direction lies.
MixtureSite grossWeightSite(int axles, int direction) {
  if (axles >= firstHeavyAxles) {
    return {run_folder_files::heavyTrucks, heavy_truck_file::grossWeightBlockLine(axles),
            direction - 1};
  }
  return {run_folder_files::grossWeights, mixtureBlockFirstLine(direction - 1), axles - 1};
}

// Where spacing spacingIndex of trucks with `axles` axles lies.
MixtureSite spacingSite(int axles, int spacingIndex) {
  if (axles >= firstHeavyAxles) {
    return {run_folder_files::heavyTrucks, heavy_truck_file::spacingBlockLine(axles), spacingIndex};
  }
  return {run_folder_files::axleSpacings, mixtureBlockFirstLine(axles - 2), spacingIndex};
}

std::string checkMixtures(const Site& site, int axles) {
  std::string problem;
  for (int direction = 1; direction <= 2 && problem.empty(); ++direction) {
    if (site.hasDirection(direction)) {
      problem = checkDrawnMixture(site, grossWeightText(axles, direction),
                                  site.data.getGrossWeightMixture(direction, axles),
                                  grossWeightSite(axles, direction), grossWeightRangeOf(axles));
    }
  }
  for (int i = 0; i + 1 < axles && problem.empty(); ++i) {
    problem =
        checkDrawnMixture(site, axleSpacingText(axles, i), site.data.getSpacingMixture(axles, i),
                          spacingSite(axles, i), axleSpacingRange);
  }
  for (int i = 0; axles <= 3 && i < axles && problem.empty(); ++i) {
    problem = checkDrawnMixture(
        site, axleWeightText(axles, i), site.data.getAxleWeightMixture(axles, i),
        {run_folder_files::axleWeights23, mixtureBlockFirstLine(axles - 2), i}, axleWeightRange);
  }
  return problem;
}

// The greatest share, over the road's directions, of the accepted gross weights of trucks
// with `axles` axles that fall in band.
double bandReach(const Site& site, int axles, const AcceptedRange& band) {
  const AcceptedRange& range = grossWeightRangeOf(axles);
  double reach = 0.0;
  for (int direction = 1; direction <= 2; ++direction) {
    if (site.hasDirection(direction)) {
      const NormalMixture& grossWeights = site.data.getGrossWeightMixture(direction, axles);
      double accepted = grossWeights.probabilityWithin(range.low, range.high);
      reach = std::max(reach, grossWeights.probabilityWithin(band.low, band.high) / accepted);
    }
  }
  return reach;
}

// The message for a normal axle-weight draw that too rarely falls in its range.
std::string axleWeightAcceptance(const std::string& file, const std::string& what, double reach,
                                 double mean, double stdDev) {
  NormalMixture single;
  single.components[0] = {1.0, mean, stdDev};
  return acceptance(file, what + " (reached by " + numberText(reach) + " of their gross weights)",
                    axleWeightRange,
                    single.probabilityWithin(axleWeightRange.low, axleWeightRange.high));
}

std::string checkBandRows(const Site& site, int axles) {
  for (int row = 1; row < TrafficData::bandRowCount; ++row) {
    double reach = bandReach(site, axles, grossWeightsOfBandRow(row));
    if (!(reach > negligibleBandShare)) {
      continue;
    }
    AxleWeightRow values = site.data.getAxleWeightRow(axles, row);
    for (int group = 0; group < 3; ++group) {
      std::string problem = axleWeightAcceptance(
          site.file(run_folder_files::axleWeights45), axleGroupText(axles, group, row), reach,
          values[static_cast<std::size_t>(group)], values[static_cast<std::size_t>(group + 3)]);
      if (!problem.empty()) {
        return problem;
      }
    }
  }
  return "";
}

std::string checkHeavyBandRows(const Site& site, int axles) {
  for (int row = 0; row < TrafficData::heavyBandRowCount; ++row) {
    double reach = bandReach(site, axles, grossWeightsOfHeavyBandRow(row));
    if (!(reach > negligibleBandShare)) {
      continue;
    }
    for (int axle = 0; axle < axles; ++axle) {
      TrafficData::AxleStats stats = site.data.getHeavyAxleWeight(axles, row, axle);
      std::string problem =
          axleWeightAcceptance(site.file(run_folder_files::heavyTrucks),
                               heavyAxleText(axles, axle, row) + " (line " +
                                   std::to_string(heavy_truck_file::bandRowLine(axles, row)) + ")",
                               reach, stats.mean, stats.stdDev);
      if (!problem.empty()) {
        return problem;
      }
    }
  }
  return "";
}

std::string checkDistributions(const Site& site) {
  for (int axles = minTruckAxles; axles <= maxTruckAxles; ++axles) {
    if (!site.hasClass(axles)) {
      continue;
    }
    std::string problem = checkMixtures(site, axles);
    if (problem.empty() && axles >= firstHeavyAxles) {
      problem = checkHeavyBandRows(site, axles);
    } else if (problem.empty() && axles >= 4) {
      problem = checkBandRows(site, axles);
    }
    if (!problem.empty()) {
      return problem;
    }
  }
  return "";
}

}  // namespace

bool checkSiteData(const TrafficData& data, const std::vector<SiteFileReport>& reports,
                   const RoadLayout& road, std::string* error) {
  Site site{data, reports, road};
  std::string problem = checkFiles(reports);
  if (problem.empty()) {
    problem = checkLaneCounts(site);
  }
  if (problem.empty()) {
    problem = checkFlows(site);
  }
  if (problem.empty()) {
    problem = checkClassShares(site);
  }
  if (problem.empty() && road.trafficModel.usesHeadwayTable()) {
    problem = checkHeadwayBands(site);
  }
  if (problem.empty()) {
    problem = checkSpeeds(site);
  }
  if (problem.empty()) {
    problem = checkDistributions(site);
  }
  *error = problem;
  return problem.empty();
}

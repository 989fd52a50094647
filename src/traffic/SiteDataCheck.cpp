#include "traffic/SiteDataCheck.h"

#include <cmath>

#include "data/NumberText.h"
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
  // True when some lane of the road has trucks with this many axles.
  bool hasClass(int axles) const {
    for (int lane = 0; lane < lanes(); ++lane) {
      if (data.getClassShares(lane)[static_cast<std::size_t>(axles - 2)] > 0) {
        return true;
      }
    }
    return false;
  }
  std::string file(const char* name) const { return pathOf(reports, name); }
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
  }
  return "";
}

std::string checkLaneCounts(const Site& site) {
  const std::pair<const char*, int> tables[] = {{run_folder_files::classShares, site.data.getClassShareRowCount()},
                                                {run_folder_files::flows, site.data.getLaneFlowCount()}};
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
      if (!std::isfinite(shares[i]) || shares[i] < 0) {
        return "the site file " + site.file(run_folder_files::classShares) + " gives lane " +
               std::to_string(lane + 1) + " a share of " + numberText(shares[i]) + " % for " +
               std::to_string(i + 2) + "-axle trucks; accepted: a finite percentage, 0 or more";
      }
      total += shares[i];
    }
    if (std::fabs(total - classShareTotal) > classShareTolerance) {
      return "the site file " + site.file(run_folder_files::classShares) + " gives lane " +
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
        return "the site file " + site.file(run_folder_files::headways) + " has no flow band for lane " +
               std::to_string(lane + 1) + " in hour " + std::to_string(hour) + ": its flow of " +
               numberText(flow) + " vehicles per hour is above the last band's limit of " +
               numberText(lastLimit);
      }
    }
  }
  return "";
}

// The message for a distribution that too rarely gives a value in [low, high].
std::string acceptance(const std::string& file, const std::string& what,
                       const AcceptedRange& range, double probability) {
  if (probability >= minimumAcceptance) {
    return "";
  }
  return "the site file " + file + ": " + what + " falls in " + rangeText(range) +
         " with probability " + numberText(probability) + "; accepted: at least " +
         numberText(minimumAcceptance);
}

// Where a mixture lies in a file read as mixture blocks: its block and its place in it.
struct MixtureSite {
  const char* fileName;
  int block;    // from 0
  int mixture;  // from 0, left to right
};

// The weights of a used mixture must be probabilities that add up to 1.
std::string checkWeights(const Site& site, const std::string& what, const NormalMixture& mixture,
                         const MixtureSite& where) {
  int firstLine = mixtureBlockFirstLine(where.block);
  std::string place = what + " (field " + std::to_string(3 * where.mixture + 1) + " of lines " +
                      std::to_string(firstLine) + " to " +
                      std::to_string(firstLine + NormalMixture::componentCount - 1) + ")";
  const std::string accepted =
      "; accepted: weights of 0 or more that add up to 1 within " + numberText(weightTolerance);
  double sum = 0.0;
  for (const NormalComponent& component : mixture.components) {
    if (!(component.weight >= 0)) {
      return "the site file " + site.file(where.fileName) + " gives the mixture of " +
             place + " a weight of " + numberText(component.weight) + accepted;
    }
    sum += component.weight;
  }
  if (!(std::fabs(sum - 1.0) <= weightTolerance)) {
    return "the site file " + site.file(where.fileName) + " gives the mixture of " +
           place + " weights that add up to " + numberText(sum) + accepted;
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
    std::string problem = checkWeights(site, what, mixture, {run_folder_files::grossWeights, direction - 1, 0});
    if (!problem.empty()) {
      return problem;
    }
    const auto& parts = mixture.components;
    for (std::size_t i = 0; i < parts.size(); ++i) {
      const NormalComponent& component = parts[i];
      // The sampler takes the first two by their weights and the third for the rest.
      bool drawn = i + 1 < parts.size() ? component.weight > 0
                                        : parts[0].weight + parts[1].weight < 1.0;
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

std::string checkMixtures(const Site& site, int axles) {
  std::string problem;
  for (int direction = 1; direction <= 2 && problem.empty(); ++direction) {
    if (site.hasDirection(direction)) {
      problem = checkDrawnMixture(site, grossWeightText(axles, direction),
                                  site.data.getGrossWeightMixture(direction, axles),
                                  {run_folder_files::grossWeights, direction - 1, axles - 1}, grossWeightRange);
    }
  }
  for (int i = 0; i + 1 < axles && problem.empty(); ++i) {
    problem = checkDrawnMixture(site, axleSpacingText(axles, i),
                                site.data.getSpacingMixture(axles, i), {run_folder_files::axleSpacings, axles - 2, i},
                                axleSpacingRange);
  }
  for (int i = 0; axles <= 3 && i < axles && problem.empty(); ++i) {
    problem = checkDrawnMixture(site, axleWeightText(axles, i),
                                site.data.getAxleWeightMixture(axles, i),
                                {run_folder_files::axleWeights23, axles - 2, i}, axleWeightRange);
  }
  return problem;
}

// The share of accepted gross weights of a mixture that fall in band row `row` (1..11).
double bandShare(const NormalMixture& grossWeights, int row) {
  AcceptedRange band = grossWeightsOfBandRow(row);
  double accepted = grossWeights.probabilityWithin(grossWeightRange.low, grossWeightRange.high);
  return grossWeights.probabilityWithin(band.low, band.high) / accepted;
}

std::string checkBandRows(const Site& site, int axles) {
  for (int row = 1; row < TrafficData::bandRowCount; ++row) {
    double reach = 0.0;
    for (int direction = 1; direction <= 2; ++direction) {
      if (site.hasDirection(direction)) {
        reach = std::max(reach, bandShare(site.data.getGrossWeightMixture(direction, axles), row));
      }
    }
    if (!(reach > negligibleBandShare)) {
      continue;
    }
    AxleWeightRow values = site.data.getAxleWeightRow(axles, row);
    for (int group = 0; group < 3; ++group) {
      NormalMixture single;
      single.components[0] = {1.0, values[static_cast<std::size_t>(group)],
                              values[static_cast<std::size_t>(group + 3)]};
      std::string problem = acceptance(
          site.file(run_folder_files::axleWeights45),
          axleGroupText(axles, group, row) + " (reached by " + numberText(reach) +
              " of their gross weights)",
          axleWeightRange, single.probabilityWithin(axleWeightRange.low, axleWeightRange.high));
      if (!problem.empty()) {
        return problem;
      }
    }
  }
  return "";
}

std::string checkDistributions(const Site& site) {
  for (int axles = 2; axles <= 5; ++axles) {
    if (!site.hasClass(axles)) {
      continue;
    }
    std::string problem = checkMixtures(site, axles);
    if (problem.empty() && axles >= 4) {
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

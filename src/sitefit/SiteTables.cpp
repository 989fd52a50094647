#include "sitefit/SiteTables.h"

#include <algorithm>
#include <cassert>
#include <cmath>

#include "cli/ProgramFrame.h"
#include "traffic/DrawnQuantity.h"
#include "traffic/SiteDataCheck.h"

namespace {

constexpr long long minimumHeadways = 20;  // of a lane and hour, to fit its flow by them

// One normal, for a table that has no values of its own.
NormalMixture placeholder(double mean, double stdDev) {
  NormalMixture mixture;
  for (NormalComponent& component : mixture.components) {
    component = {0.0, mean, stdDev};
  }
  mixture.components[0].weight = 1.0;
  return mixture;
}

// Fits tally, warning about `what` when it holds too few values for three components.
NormalMixture fitted(const ValueTally& tally, const std::string& what,
                     std::vector<std::string>* warnings) {
  MixtureFitResult fit = fitNormalMixture(tally);
  if (fit.simplified) {
    warnings->push_back(what + ": only " + std::to_string(tally.size()) +
                        " values, fitted with one normal instead of three");
  }
  return fit.mixture;
}

// Trucks per hour that the free-flow model needs for the lane's measured headways of the
// hour: it keeps an exponential draw only at or above the minimum headway, so a headway is
// the minimum plus the exponential, whose mean is the hour's 3600 s / (flow / (1 - car
// fraction)). Too few headways give the measured trucks per hour instead, and so do
// headways that leave too little beyond their minimums for a flow a run accepts (with a
// warning).
double fittedFlow(const LaneTallies& lane, int laneNumber, int hour, int days, double carFraction,
                  std::vector<std::string>* warnings) {
  const HeadwaySums& sums = lane.headwaysByHour[hour];
  double measured = static_cast<double>(lane.trucksByHour[hour]) / days;  // trucks per hour
  if (sums.drawn < minimumHeadways) {
    return measured;
  }
  double meanExponential = (sums.headways - sums.minimums) / static_cast<double>(sums.drawn);
  if (!(meanExponential > 3600.0 / maxLaneFlow)) {
    warnings->push_back("lane " + std::to_string(laneNumber) + " from " + std::to_string(hour) +
                        " h: the headways leave almost no time beyond their minimum headways, "
                        "so the flow is the measured one");
    return measured;
  }
  return 3600.0 / meanExponential * (1 - carFraction);
}

bool fitLanes(const SiteTallies& tallies, int days, SiteTables* tables,
              std::vector<std::string>* warnings, std::string* error) {
  const std::vector<LaneTallies>& lanes = tallies.lanes();
  for (std::size_t i = 0; i < lanes.size(); ++i) {
    int direction = lanes[i].direction;
    if (direction == 0) {
      *error = "lane " + std::to_string(i + 1) +
               " has no records; accepted: records of every lane from 1 to the highest";
      return false;
    }
    if (direction == 1 && tables->lanesDir2 > 0) {
      *error = "lane " + std::to_string(i + 1) +
               " is in direction 1 after lanes of direction 2; accepted: the lanes of direction "
               "1 numbered first";
      return false;
    }
    (direction == 1 ? tables->lanesDir1 : tables->lanesDir2) += 1;
    int laneDays = std::min(days, static_cast<int>(lanes[i].days.size()));
    std::array<double, 24> flows{};
    long long trucks = 0;
    for (int hour = 0; hour < 24; ++hour) {
      flows[hour] = fittedFlow(lanes[i], static_cast<int>(i + 1), hour, laneDays,
                               tables->carFraction, warnings);
      trucks += lanes[i].trucksByHour[hour];
    }
    tables->flows.push_back(flows);
    ClassShares shares = {25.0, 25.0, 25.0, 25.0};
    if (trucks == 0) {
      warnings->push_back("lane " + std::to_string(i + 1) +
                          " has no trucks: its class shares are 25 % each of 2 to 5 axles");
    }
    for (int c = 0; trucks > 0 && c < truckClassCount; ++c) {
      shares[c] = 100.0 * static_cast<double>(lanes[i].trucksByClass[c]) / trucks;
    }
    tables->classShares.push_back(shares);
  }
  return true;
}

// The speeds of each direction; a direction without vehicles takes the other's.
void fitSpeeds(const SiteTallies& tallies, SiteTables* tables, std::vector<std::string>* warnings) {
  for (int direction = 1; direction <= 2; ++direction) {
    const ValueTally& own = tallies.speeds(direction);
    const ValueTally& other = tallies.speeds(3 - direction);
    if (own.size() == 0) {
      warnings->push_back("direction " + std::to_string(direction) +
                          " has no vehicles: its speeds and gross weights are those of direction " +
                          std::to_string(3 - direction));
    }
    tables->speeds[direction - 1] = fitted(
        own.size() > 0 ? own : other, "speeds of direction " + std::to_string(direction), warnings);
  }
}

// The truck classes the tables hold: 2 to 5 axles, and 6 to 9 when the records have any.
int lastClass(const SiteTables& tables) {
  return tables.heavyTrucks ? maxTruckAxles : firstHeavyAxles - 1;
}

void fitGrossWeights(const SiteTallies& tallies, SiteTables* tables,
                     std::vector<std::string>* warnings) {
  for (int axles = minTruckAxles; axles <= lastClass(*tables); ++axles) {
    const ClassTallies& tally = tallies.truckClass(axles);
    for (int direction = 1; direction <= 2; ++direction) {
      const ValueTally& own = tally.grossWeights[direction - 1];
      const ValueTally& other = tally.grossWeights[2 - direction];
      NormalMixture& mixture = tables->grossWeights[direction - 1][axles - minTruckAxles];
      std::string what = grossWeightText(axles, direction);
      if (own.size() + other.size() == 0) {
        mixture = placeholder(100.0 * (axles - 1), 30.0);
        continue;
      }
      if (own.size() == 0) {
        warnings->push_back(what + ": no trucks, those of direction " +
                            std::to_string(3 - direction) + " taken");
      }
      mixture = fitted(own.size() > 0 ? own : other, what, warnings);
    }
  }
}

void fitAxles(const SiteTallies& tallies, SiteTables* tables, std::vector<std::string>* warnings) {
  for (int axles = minTruckAxles; axles <= lastClass(*tables); ++axles) {
    const ClassTallies& tally = tallies.truckClass(axles);
    bool any = tally.spacings[0].size() > 0;
    for (int i = 0; i + 1 < axles; ++i) {
      tables->spacings[axles - minTruckAxles].push_back(
          any ? fitted(tally.spacings[i], axleSpacingText(axles, i), warnings)
              : placeholder(i == 0 ? 40.0 : 13.0, 3.0));
    }
    for (int i = 0; axles <= 3 && i < axles; ++i) {
      tables->axleWeights[axles - 2].push_back(
          any ? fitted(tally.axleWeights[i], axleWeightText(axles, i), warnings)
              : placeholder(50.0, 10.0));
    }
  }
}

// The band's means and standard deviations. REQUIRES: at least two trucks.
void bandRow(const BandSums& band, std::array<double, 6>* row) {
  assert(band.trucks >= 2);
  double n = static_cast<double>(band.trucks);
  for (int g = 0; g < 3; ++g) {
    double mean = band.sums[g] / n;
    double variance = band.squares[g] / n - mean * mean;
    (*row)[g] = mean;
    (*row)[g + 3] = std::max(std::sqrt(std::max(variance, 0.0)), mixture_fit::minimumStdDev);
  }
}

// The band row nearest to row with at least two trucks, or -1 when there is none.
int nearestFilledBand(const ClassTallies& tally, int row) {
  for (int distance = 0; distance < SiteTallies::bandRows; ++distance) {
    for (int near : {row - distance, row + distance}) {
      if (near >= 0 && near < SiteTallies::bandRows && tally.bands[near].trucks >= 2) {
        return near;
      }
    }
  }
  return -1;
}

// Each band row of 4- and 5-axle trucks; a row with too few trucks takes the nearest row
// that has them, and a class without any a split of the band's middle weight.
void fitBands(const SiteTallies& tallies, SiteTables* tables, std::vector<std::string>* warnings) {
  for (int axles = 4; axles <= 5; ++axles) {
    const ClassTallies& tally = tallies.truckClass(axles);
    auto& rows = tables->bandRows[axles - 4];
    int borrowed = 0;
    for (int row = 0; row < SiteTallies::bandRows; ++row) {
      int source = nearestFilledBand(tally, row);
      if (source < 0) {
        double middle = std::max(50.0 * row, 60.0);
        rows[row] = {0.25 * middle, 0.3 * middle, 0.45 * middle, 5.0, 5.0, 8.0};
        continue;
      }
      bandRow(tally.bands[source], &rows[row]);
      borrowed += source != row && row > 0;  // row 0 is never drawn from
    }
    if (borrowed > 0 && tally.spacings[0].size() > 0) {
      warnings->push_back(trucksText(axles) + ": " +
                          program_frame::countOf(borrowed, "gross-weight band") +
                          " with fewer than 2 trucks " + (borrowed == 1 ? "takes" : "take") +
                          " the axle weights of the nearest band with more");
    }
  }
}

// The heavy band row nearest to row with at least two trucks, or -1 when there is none.
int nearestFilledHeavyBand(const ClassTallies& tally, int row) {
  for (int distance = 0; distance < TrafficData::heavyBandRowCount; ++distance) {
    for (int near : {row - distance, row + distance}) {
      if (near >= 0 && near < TrafficData::heavyBandRowCount &&
          tally.heavyBands[static_cast<std::size_t>(near)].trucks >= 2) {
        return near;
      }
    }
  }
  return -1;
}

// Each band row of trucks of 6 to 9 axles, by axle; a row with too few trucks takes the
// nearest row that has them, and a class without any an equal split of the row's middle
// weight.
void fitHeavyBands(const SiteTallies& tallies, SiteTables* tables) {
  for (int axles = firstHeavyAxles; tables->heavyTrucks && axles <= maxTruckAxles; ++axles) {
    const ClassTallies& tally = tallies.truckClass(axles);
    auto& rows = tables->heavyBandRows[static_cast<std::size_t>(axles - firstHeavyAxles)];
    for (int row = 0; row < TrafficData::heavyBandRowCount; ++row) {
      int source = nearestFilledHeavyBand(tally, row);
      TrafficData::HeavyBandRow& values = rows[static_cast<std::size_t>(row)];
      for (std::size_t axle = 0; axle < static_cast<std::size_t>(axles); ++axle) {
        if (source < 0) {
          values[axle] = {std::max(100.0 * row, 60.0) / axles, 5.0};
          continue;
        }
        const HeavyBandSums& band = tally.heavyBands[static_cast<std::size_t>(source)];
        double n = static_cast<double>(band.trucks);
        double mean = band.sums[axle] / n;
        double variance = band.squares[axle] / n - mean * mean;
        values[axle] = {mean,
                        std::max(std::sqrt(std::max(variance, 0.0)), mixture_fit::minimumStdDev)};
      }
    }
  }
}

// The share of counts at or below hundredths (0 to 400) of a second.
double shareAtOrBelow(const HeadwayCounts& counts, int hundredths) {
  long long below = 0;
  long long all = 0;
  for (int i = 0; i <= shortHeadways; ++i) {
    below += i <= hundredths ? counts[i] : 0;
    all += counts[i];
  }
  return all > 0 ? static_cast<double>(below) / static_cast<double>(all) : 0.0;
}

// The quadratic through the distribution at from, the middle and to (hundredths of a
// second), as bound, a, b, c. Where that would turn within the piece, the quadratic through
// the ends that is flat at one of them, on the side of the middle value.
std::array<double, 4> headwayPiece(const HeadwayCounts& counts, int from, int to, double bound) {
  double x0 = from / 100.0, x2 = to / 100.0, x1 = (x0 + x2) / 2;
  double y0 = shareAtOrBelow(counts, from), y2 = shareAtOrBelow(counts, to);
  double y1 = shareAtOrBelow(counts, (from + to) / 2);
  double a = ((y2 - y1) / (x2 - x1) - (y1 - y0) / (x1 - x0)) / (x2 - x0);
  double b = (y1 - y0) / (x1 - x0) - a * (x0 + x1);
  double vertex = a != 0 ? -b / (2 * a) : x0;
  if (a == 0 || (vertex > x0 && vertex < x2)) {
    double flatAt = y1 < (y0 + y2) / 2 ? x0 : x2;  // below the chord: convex, flat at x0
    a = (y2 - y0) / ((x2 - x0) * (x2 - x0)) * (flatAt == x0 ? 1 : -1);
    if (a == 0) {
      a = 1e-9;  // a flat piece inverts to no finite headway
    }
    b = -2 * a * flatAt;
    double c = (flatAt == x0 ? y0 : y2) + a * flatAt * flatAt;
    return {bound, a, b, c};
  }
  return {bound, a, b, y0 - a * x0 * x0 - b * x0};
}

void addCounts(HeadwayCounts* total, const HeadwayCounts& counts) {
  for (std::size_t i = 0; i < counts.size(); ++i) {
    (*total)[i] += counts[i];
  }
}

// The headway table: the first two pieces from every lane's headways, the last per band of
// the fitted hourly flows, at their quartiles.
void fitHeadwayTable(const SiteTallies& tallies, SiteTables* tables) {
  std::vector<double> flows;
  HeadwayCounts all{};
  for (std::size_t lane = 0; lane < tables->flows.size(); ++lane) {
    for (int hour = 0; hour < 24; ++hour) {
      flows.push_back(tables->flows[lane][hour]);
      addCounts(&all, tallies.lanes()[lane].headwayCountsByHour[hour]);
    }
  }
  std::sort(flows.begin(), flows.end());
  tables->headwayRows = {headwayPiece(all, 0, 100, 0), headwayPiece(all, 100, 150, 0)};
  double lower = -1.0;
  for (int band = 1; band <= site_tables::headwayBands; ++band) {
    double bound = flows[(flows.size() - 1) * band / site_tables::headwayBands];
    if (bound <= lower) {
      continue;  // a band no hour falls in
    }
    HeadwayCounts counts{};
    for (std::size_t lane = 0; lane < tables->flows.size(); ++lane) {
      for (int hour = 0; hour < 24; ++hour) {
        double flow = tables->flows[lane][hour];
        if (flow > lower && flow <= bound) {
          addCounts(&counts, tallies.lanes()[lane].headwayCountsByHour[hour]);
        }
      }
    }
    tables->headwayRows.push_back(headwayPiece(counts, 150, 400, bound));
    lower = bound;
  }
}

}  // namespace

bool fitSiteTables(const SiteTallies& tallies, int days, bool headwayTable, SiteTables* tables,
                   std::vector<std::string>* warnings, std::string* error) {
  if (tallies.trucks() == 0) {
    *error = "the records hold no trucks; accepted: records with trucks of 2 to 9 axles";
    return false;
  }
  tables->heavyTrucks = tallies.hasHeavyTrucks();
  tables->carFraction =
      static_cast<double>(tallies.cars()) / static_cast<double>(tallies.cars() + tallies.trucks());
  if (!fitLanes(tallies, days, tables, warnings, error)) {
    return false;
  }
  for (int axles = minTruckAxles; axles <= lastClass(*tables); ++axles) {
    if (tallies.truckClass(axles).grossWeights[0].size() +
            tallies.truckClass(axles).grossWeights[1].size() ==
        0) {
      warnings->push_back(
          "no " + trucksText(axles) +
          ": their tables are placeholders, never drawn from while their share is 0");
    }
  }
  fitSpeeds(tallies, tables, warnings);
  fitGrossWeights(tallies, tables, warnings);
  fitAxles(tallies, tables, warnings);
  fitBands(tallies, tables, warnings);
  fitHeavyBands(tallies, tables);
  if (headwayTable) {
    fitHeadwayTable(tallies, tables);
  }
  return true;
}

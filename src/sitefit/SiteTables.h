// A site's tables fitted from the tallies of its records: trucks per hour per lane and
// class shares per lane, mixtures of speeds, gross weights, axle spacings and the axle
// weights of 2- and 3-axle trucks, the band rows of 4- and 5-axle trucks, those of trucks of
// 6 to 9 axles when the records have any and, when asked for, the headway table.
// SiteTableFiles writes them as the site files.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "random/NormalMixture.h"
#include "sitefit/SiteTallies.h"

struct SiteTables {
  int lanesDir1 = 0;
  int lanesDir2 = 0;
  double carFraction = 0.0;                   // of all vehicles
  std::vector<std::array<double, 24>> flows;  // by lane index: trucks per hour
  std::vector<ClassShares> classShares;       // by lane index: % of 2- to 9-axle trucks
  std::array<NormalMixture, 2> speeds;        // by direction - 1, dm/s
  std::array<std::array<NormalMixture, truckClassCount>, 2>
      grossWeights;                                                  // by direction - 1, class
  std::array<std::vector<NormalMixture>, truckClassCount> spacings;  // by class: n - 1, dm
  std::array<std::vector<NormalMixture>, 2> axleWeights;             // 2 and 3 axles: by axle
  // 4 and 5 axles, by band row: the means of the first axle, the second axle and the rear
  // group, then their standard deviations.
  std::array<std::array<std::array<double, 6>, SiteTallies::bandRows>, 2> bandRows;
  // Whether the records have trucks of 6 to 9 axles, and then their band rows by class: the
  // mean weight of every axle, then every axle's standard deviation.
  bool heavyTrucks = false;
  std::array<std::array<TrafficData::HeavyBandRow, TrafficData::heavyBandRowCount>, heavyClassCount>
      heavyBandRows;
  // The rows of "NHM.csv" after its first line: for 0 to 1 s, for 1 to 1.5 s, then one per
  // flow band (its highest flow, trucks per hour) for 1.5 to 4 s: bound, a, b, c of
  // a x^2 + b x + c. Empty when no table is fitted.
  std::vector<std::array<double, 4>> headwayRows;
};

namespace site_tables {
constexpr int headwayBands = 4;  // of the hours' flows, at their quartiles
}  // namespace site_tables

// Fits the tables to tallies gathered over `days` days; a lane's flows come from the days it
// has records on. Adds to *warnings one line for each table fitted with less than it needs
// (no "warning: "). False, with *error one line, when the records cannot make a site: no
// trucks, lanes without records, or lanes of direction 1 that do not come first.
bool fitSiteTables(const SiteTallies& tallies, int days, bool headwayTable, SiteTables* tables,
                   std::vector<std::string>* warnings, std::string* error);

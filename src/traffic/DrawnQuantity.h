// The bounded quantities a truck is drawn with: the range each must fall in, how messages
// name it, and the gross-weight bands that pick the axle weights of trucks of 4 or more axles.
// The vehicle generator draws by these and the site check checks by them.
#pragma once

#include <string>

#include "data/TrafficData.h"

struct AcceptedRange {
  double low;
  double high;

  bool contains(double x) const { return x >= low && x <= high; }
};

constexpr AcceptedRange grossWeightRange{35.0, 800.0};  // weight unit of the site files
// Trucks of 6 to 9 axles, heavy transports and cranes among them.
constexpr AcceptedRange heavyGrossWeightRange{35.0, 2000.0};
constexpr AcceptedRange axleSpacingRange{0.5, 200.0};  // dm
constexpr AcceptedRange axleWeightRange{15.0, 500.0};  // weight unit of the site files
constexpr double maxSpeedKmh = 300.0;  // the fastest vehicle a site or a run may describe
constexpr double maxSpeed = maxSpeedKmh / 3.6 * 10.0;  // dm/s

// The accepted gross weights of trucks with `axles` axles (2..9).
constexpr const AcceptedRange& grossWeightRangeOf(int axles) {
  return axles >= firstHeavyAxles ? heavyGrossWeightRange : grossWeightRange;
}

// "[35, 800]".
std::string rangeText(const AcceptedRange& range);
// "3-axle trucks".
std::string trucksText(int axles);
// "the gross weight of 3-axle trucks in direction 1".
std::string grossWeightText(int axles, int direction);
// "spacing 2 of 3-axle trucks" for spacing index 1 (from 0: behind the first axle).
std::string axleSpacingText(int axles, int spacingIndex);
// "the weight of axle 1 of 2-axle trucks" for axle index 0.
std::string axleWeightText(int axles, int axleIndex);
// "the weight of axle group 1 of 4-axle trucks in band row 3" for group index 0; rows past
// the table's last read as the last.
std::string axleGroupText(int axles, int groupIndex, int bandRow);

// "the weight of axle 1 of 6-axle trucks in band row 3"; rows past the table's last read as
// the last.
std::string heavyAxleText(int axles, int axleIndex, int bandRow);

// The band row (from 1) of a gross weight: 1 below 75, then one row per 50 units.
int bandRowOf(double grossWeight);
// The accepted gross weights whose band row is row (1 .. the table's last row, which also
// takes every heavier weight).
AcceptedRange grossWeightsOfBandRow(int row);
// The heavy-truck band row (from 0) of a gross weight: one row per 100 units, row r from
// 100 r - 50 to below 100 r + 50; the table's last row also takes every heavier weight.
int heavyBandRowOf(double grossWeight);
// The accepted gross weights of heavy-truck band row row (0 .. the table's last row).
AcceptedRange grossWeightsOfHeavyBandRow(int row);

// What a run folder's parameters and site tables lead one to expect of its stream, read
// with the program's own loader and checks: hourly flows per lane (cars included), class
// shares per lane, the car fraction and the gross-weight distributions.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "data/TrafficData.h"
#include "stats/StreamSummary.h"

class SiteExpectation {
 public:
  // Reads folder's "VLMin.txt" (or the defaults) and its site files. False, with *error
  // one line, when they cannot be used.
  bool load(const std::string& folder, std::string* error);

  int lanes() const { return lanesDir1 + lanesDir2; }
  int directionOfLane(int lane) const { return lane <= lanesDir1 ? 1 : 2; }
  // Vehicles per hour expected on lane (from 1) in hour: the site's flow / (1 - car
  // fraction). Under the free-flow models a headway is an exponential draw kept only at or
  // above the minimum headway, that is the minimum plus the exponential, so with the
  // stream's own minimum headways of the hour the expectation is 3600 s over the mean
  // headway they lead to. Not a number when the car fraction is 1.
  double hourlyVehicles(int lane, int hour, const StreamSummary& stream) const;
  double catchUpLength() const { return catchUp; }  // m
  // The share (0 to 1) of trucks of lane with `axles` axles (2 to 9).
  double truckShare(int lane, int axles) const;
  // The share of cars among all vehicles: the car fraction under traffic models 5 and 6.
  double carShare() const;
  // The probability that a truck of `axles` axles in direction has a gross weight in
  // [low, high], its draws kept within the accepted gross weights.
  double grossWeightWithin(int axles, int direction, double low, double high) const;
  // The probability that a vehicle of direction has a speed in [low, high] dm/s; not a
  // number under the congested model, whose speed is one constant.
  double speedWithin(int direction, double low, double high) const;
  const std::string& folder() const { return siteFolder; }
  // Whether the site has the heavy-truck table of trucks with 6 to 9 axles.
  bool hasHeavyTrucks() const { return data.hasHeavyTrucks(); }

 private:
  std::string siteFolder;
  TrafficData data;
  int lanesDir1 = 0;
  int lanesDir2 = 0;
  bool hasCars = false;
  bool congested = false;
  bool tableHeadways = false;
  double catchUp = 0.0;  // m
  double carFraction = 0.0;
};

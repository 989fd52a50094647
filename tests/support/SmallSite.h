// Small, plausible site tables built in memory, for tests that need a TrafficData.
#pragma once

#include <array>

#include "data/TrafficData.h"
#include "traffic/TrafficParameters.h"

// A mixture that always takes component 0: a normal of mean and stdDev.
NormalMixture singleNormal(double mean, double stdDev);

// Tables for `lanes` lanes: truck speeds near 230 dm/s, gross weights, spacings and axle
// weights well inside their ranges, class shares 40/10/20/30 on every lane, 100 vehicles an
// hour on every lane and hour, and a headway table of three flow bands. Car fraction 0.8.
TrafficData smallSiteData(int lanes);

// Gives data the heavy-truck table: on every one of `lanes` lanes the 2- to 5-axle shares
// 40/10/20/10 and the 6- to 9-axle shares of `heavyShares`, which add up to 20; gross
// weights bimodal around 300 and 700, every spacing near 20 dm, and axle weights that share
// the band's gross weight equally.
void addHeavyTrucks(TrafficData& data, int lanes, const std::array<double, 4>& heavyShares);

// The default run parameters' traffic parameters, under traffic model `model`.
TrafficParameters parametersFor(int model);

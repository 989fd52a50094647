// Small, plausible site tables built in memory, for tests that need a TrafficData.
#pragma once

#include "data/TrafficData.h"
#include "traffic/TrafficParameters.h"

// A mixture that always takes component 0: a normal of mean and stdDev.
NormalMixture singleNormal(double mean, double stdDev);

// Tables for `lanes` lanes: truck speeds near 230 dm/s, gross weights, spacings and axle
// weights well inside their ranges, class shares 40/10/20/30 on every lane, 100 vehicles an
// hour on every lane and hour, and a headway table of three flow bands. Car fraction 0.8.
TrafficData smallSiteData(int lanes);

// The default run parameters' traffic parameters, under traffic model `model`.
TrafficParameters parametersFor(int model);

// Checks, before anything is generated, that a site's data can serve the road of a run:
// every file opened and complete, enough lanes, sane flows and class shares, a headway table
// that covers every flow, and distributions that can give values in their accepted ranges.
// With data that passes, no draw of the generators comes near its rejection limit.
#pragma once

#include <string>
#include <vector>

#include "data/TrafficData.h"
#include "data/TrafficDataLoader.h"
#include "data/TrafficModel.h"

// The road a run builds and its traffic model.
struct RoadLayout {
  int lanesDir1 = 0;
  int lanesDir2 = 0;
  TrafficModel trafficModel{TrafficModel::freeFlowWithCarsCode};
};

// Vehicles per hour on one lane, cars included (the table's flow / (1 - car fraction)).
constexpr double maxLaneFlow = 10000.0;
// How far the weights of a mixture may add up away from 1 (rounding in the file).
constexpr double weightTolerance = 0.01;
// The smallest probability, per draw, of a value in its accepted range.
constexpr double minimumAcceptance = 1e-6;
// Band rows that gross weights reach with at most this probability are not checked.
constexpr double negligibleBandShare = 1e-9;

// True when data, read from the files that reports describe, can serve road; else false,
// with *error the first reason: one line that names the file.
bool checkSiteData(const TrafficData& data, const std::vector<SiteFileReport>& reports,
                   const RoadLayout& road, std::string* error);

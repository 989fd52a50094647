// What the generators take from a run's parameters, as plain values.
#pragma once

#include "data/TrafficModel.h"
#include "traffic/DrawLimit.h"

struct TrafficParameters {
  TrafficModel model{TrafficModel::freeFlowWithCarsCode};
  double catchUpLength = 0.0;      // m, used by the minimum headway when the follower is faster
  double constantSpeed = 0.0;      // m/s, every vehicle's speed under the congested model
  double meanGapTime = 0.0;        // s, mean gap time of the congested model
  double gapCv = 0.0;              // coefficient of variation of the congested gap time
  long drawLimit = maxRejections;  // rejections in a row after which a draw gives up
};

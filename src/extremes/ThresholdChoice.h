// The threshold of a peaks-over-threshold fit, and the diagnostics that show whether it is
// high enough: the mean residual life (the mean excess over each threshold, straight above
// the threshold where the excesses follow a generalized Pareto distribution) and the
// shape fitted over each threshold (steady, within its interval, above such a threshold).
#pragma once

#include <vector>

// The default threshold: the value that leaves the greater of 5 % of the days and 50 days
// above it (at most half the days); a fit over it rests on enough excesses to rely on and
// still on the upper tail only.
double defaultThreshold(const std::vector<double>& dailyMaxima);

// The quantile q of the daily maxima, 0 < q < 1, interpolated between order statistics
// (numpy's default: position q (n - 1) among the sorted values).
double thresholdAtQuantile(const std::vector<double>& dailyMaxima, double q);

struct ThresholdPoint {
  double threshold = 0.0;
  int excesses = 0;                  // days above it
  double meanExcess = 0.0;           // of the days above it
  double meanExcessHalfWidth = 0.0;  // of its 95 % interval, 1.96 s / sqrt(excesses)
  bool shapeFitted = false;          // false when the generalized Pareto fit failed there
  double shape = 0.0;
  double shapeError = 0.0;
};

// The diagnostics at `count` thresholds from the 80 % quantile of the daily maxima up to the
// one that leaves 20 days above it, evenly spaced in the log of the days above.
std::vector<ThresholdPoint> thresholdDiagnostics(const std::vector<double>& dailyMaxima,
                                                 int count = 20);

// Return levels read from a long simulation's annual maxima without a model: where the data
// hold at least T years, the T-year level is the quantile 1 - 1/T of the annual maxima, by
// Weibull plotting positions (the i-th smallest of n at i / (n + 1), straight lines between
// them; numpy's quantile with method "weibull"), with a distribution-free 95 % interval from
// the order statistics.
#pragma once

#include <vector>

struct LongRunLevel {
  double years = 0.0;
  bool read = false;  // false: fewer than `years` annual maxima
  double level = 0.0;
  // The interval [x(lowerRank), x(upperRank)] of order statistics (ranks from 1) that holds
  // the true quantile with probability at least 0.95; false when the maxima are too few
  // for such ranks on a side.
  bool intervalFound = false;
  int lowerRank = 0;
  int upperRank = 0;
  double lower = 0.0;
  double upper = 0.0;
};

// The long-run level of each return period from annual maxima, in the order of returnYears.
std::vector<LongRunLevel> longRunLevels(std::vector<double> annualMaxima,
                                        const std::vector<double>& returnYears);

// Three-component normal mixtures fitted to measured values by expectation-maximisation,
// from several starts fixed by the data alone, so the same values always give the same
// mixture. Fewer values than a mixture needs give one normal.
#pragma once

#include <cstdint>
#include <map>

#include "random/NormalMixture.h"

// Measured whole values with their counts: memory follows the range of the values, not
// their number, and EM goes over the distinct values only.
class ValueTally {
 public:
  void add(std::int64_t value) {
    ++counts[value];
    ++total;
  }
  long long size() const { return total; }
  const std::map<std::int64_t, long long>& distinct() const { return counts; }
  // The value of rank `rank` (0 to size() - 1) in rising order.
  double valueOfRank(long long rank) const;
  double mean() const;
  double stdDev() const;  // of the values as a population

 private:
  std::map<std::int64_t, long long> counts;
  long long total = 0;
};

struct MixtureFitResult {
  NormalMixture mixture;
  bool simplified = false;  // too few values for three components: one normal instead
  double logLikelihood = 0.0;
};

namespace mixture_fit {

constexpr long long minimumForMixture = 60;  // values; fewer get one normal
constexpr int starts = 6;                    // the best of these EM runs is kept
constexpr int maxIterations = 1000;
// The smallest standard deviation of a component: values are recorded as whole units, so
// a narrower component would fit the rounding only.
constexpr double minimumStdDev = 0.5;

}  // namespace mixture_fit

// Fits the tally's values. REQUIRES: at least one value.
MixtureFitResult fitNormalMixture(const ValueTally& tally);

// The mixture's cumulative distribution function at x.
double mixtureCdf(const NormalMixture& mixture, double x);

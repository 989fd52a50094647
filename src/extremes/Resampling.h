// Parametric bootstrap: reproducible draws from fitted distributions, the goodness-of-fit
// p-value they give a fit, and percentile intervals. Each resample draws from a 64-bit
// Mersenne twister of its own, seeded from the bootstrap's seed and its index, turned into
// uniforms by their top 53 bits: a result is the same on every machine and however many
// cores share the resamples.
#pragma once

#include <cstdint>
#include <functional>
#include <random>
#include <vector>

#include "extremes/ExtremeValueFit.h"

class UniformStream {
 public:
  // The stream of resample `index` of the bootstrap of `seed`.
  UniformStream(std::uint64_t seed, int index);
  // The next number, strictly between 0 and 1.
  double next() { return (static_cast<double>(engine() >> 11) + 0.5) * 0x1.0p-53; }

 private:
  std::mt19937_64 engine;
};

// Calls resample(index, stream) for every index from 0 to count - 1, each with its own
// stream, spread over the machine's cores. resample must write only what belongs to its index.
void forEachResample(int count, std::uint64_t seed,
                     const std::function<void(int, UniformStream&)>& resample);

// The p-value of the fit's A^2 by parametric bootstrap: the share of `resamples` samples
// drawn from the fit, each as many as `fitted` and fitted again, whose A^2 is at least the
// fit's, counted as (1 + at least) / (1 + resamples). NaN when no resample could be fitted.
double bootstrapPValue(const std::vector<double>& fitted, const ExtremeValueFit& fit, int resamples,
                       std::uint64_t seed);

// The q point of the values, 0 <= q <= 1, between order statistics as numpy's default.
double percentile(std::vector<double> values, double q);

#include "extremes/Resampling.h"

#include <algorithm>
#include <cmath>
#include <limits>

double bootstrapPValue(const std::vector<double>& fitted, const ExtremeValueFit& fit,
                       int resamples, std::uint64_t seed) {
  UniformStream uniform(seed);
  int fittedResamples = 0;
  int atLeast = 0;
  std::vector<double> sample(fitted.size());
  for (int i = 0; i < resamples; ++i) {
    for (double& x : sample) {
      x = quantile(fit, uniform.next());
    }
    ExtremeValueFit again;
    if (!refit(sample, fit, &again)) {
      continue;
    }
    ++fittedResamples;
    atLeast += again.andersonDarling >= fit.andersonDarling ? 1 : 0;
  }
  if (fittedResamples == 0) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  return (1.0 + atLeast) / (1.0 + fittedResamples);
}

double percentile(std::vector<double> values, double q) {
  std::sort(values.begin(), values.end());
  double position = q * static_cast<double>(values.size() - 1);
  auto below = static_cast<std::size_t>(std::floor(position));
  if (below + 1 >= values.size()) {
    return values.back();
  }
  return values[below] + (position - static_cast<double>(below)) * (values[below + 1] - values[below]);
}

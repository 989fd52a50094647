#include "extremes/Resampling.h"

#include <algorithm>
#include <atomic>
#include <cmath>
#include <limits>
#include <thread>

namespace {

std::mt19937_64 seededEngine(std::uint64_t seed, int index) {
  std::seed_seq sequence{static_cast<std::uint32_t>(seed), static_cast<std::uint32_t>(seed >> 32),
                         static_cast<std::uint32_t>(index)};
  return std::mt19937_64(sequence);
}

}  // namespace

UniformStream::UniformStream(std::uint64_t seed, int index) : engine(seededEngine(seed, index)) {}

void forEachResample(int count, std::uint64_t seed,
                     const std::function<void(int, UniformStream&)>& resample) {
  std::atomic<int> next{0};
  auto work = [&]() {
    for (int index; (index = next.fetch_add(1)) < count;) {
      UniformStream stream(seed, index);
      resample(index, stream);
    }
  };
  unsigned cores = std::max(1u, std::thread::hardware_concurrency());
  std::vector<std::thread> helpers;
  for (unsigned i = 1; i < cores && static_cast<int>(i) < count; ++i) {
    helpers.emplace_back(work);
  }
  work();
  for (std::thread& helper : helpers) {
    helper.join();
  }
}

double bootstrapPValue(const std::vector<double>& fitted, const ExtremeValueFit& fit, int resamples,
                       std::uint64_t seed) {
  // By resample: 1 when its A^2 is at least the fit's, 0 below it, -1 when it was not fitted.
  std::vector<int> outcomes(static_cast<std::size_t>(std::max(resamples, 0)), -1);
  forEachResample(resamples, seed, [&](int index, UniformStream& uniform) {
    std::vector<double> sample(fitted.size());
    for (double& x : sample) {
      x = quantile(fit, uniform.next());
    }
    ExtremeValueFit again;
    if (refit(sample, fit, &again)) {
      outcomes[static_cast<std::size_t>(index)] = again.andersonDarling >= fit.andersonDarling;
    }
  });
  int fittedResamples = 0;
  int atLeast = 0;
  for (int outcome : outcomes) {
    fittedResamples += outcome >= 0 ? 1 : 0;
    atLeast += outcome > 0 ? 1 : 0;
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
  return values[below] +
         (position - static_cast<double>(below)) * (values[below + 1] - values[below]);
}

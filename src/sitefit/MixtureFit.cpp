#include "sitefit/MixtureFit.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cmath>
#include <limits>
#include <random>

namespace {

constexpr int k = NormalMixture::componentCount;
constexpr double tolerance = 1e-9;  // relative change of the log-likelihood that ends EM
constexpr std::uint32_t startSeed = 20261209u;
const double logRootTwoPi = 0.5 * std::log(2.0 * M_PI);

NormalMixture singleNormal(const ValueTally& tally) {
  NormalMixture mixture;
  for (NormalComponent& component : mixture.components) {
    component = {0.0, tally.mean(), std::max(tally.stdDev(), mixture_fit::minimumStdDev)};
  }
  mixture.components[0].weight = 1.0;
  return mixture;
}

// One E and M step; returns the log-likelihood of the mixture before the step.
double emStep(const ValueTally& tally, NormalMixture* mixture) {
  std::array<double, k> weightSum{}, valueSum{}, squareSum{};
  std::array<double, k> logScale;  // of each component's weighted density at its mean
  for (int c = 0; c < k; ++c) {
    const NormalComponent& component = mixture->components[c];
    logScale[c] = std::log(component.weight) - std::log(component.stdDev) - logRootTwoPi;
  }
  double logLikelihood = 0.0;
  for (const auto& [value, count] : tally.distinct()) {
    double x = static_cast<double>(value);
    std::array<double, k> shares;
    for (int c = 0; c < k; ++c) {
      double z = (x - mixture->components[c].mean) / mixture->components[c].stdDev;
      shares[c] = logScale[c] - 0.5 * z * z;
    }
    double top = *std::max_element(shares.begin(), shares.end());
    double total = 0.0;
    for (double& share : shares) {
      share = std::exp(share - top);
      total += share;
    }
    logLikelihood += static_cast<double>(count) * (top + std::log(total));
    for (int c = 0; c < k; ++c) {
      double weight = static_cast<double>(count) * shares[c] / total;
      weightSum[c] += weight;
      valueSum[c] += weight * x;
      squareSum[c] += weight * x * x;
    }
  }
  for (int c = 0; c < k; ++c) {
    NormalComponent& component = mixture->components[c];
    double weight = std::max(weightSum[c], 1e-300);
    component.weight = std::max(weightSum[c] / static_cast<double>(tally.size()), 1e-12);
    component.mean = valueSum[c] / weight;
    double variance = squareSum[c] / weight - component.mean * component.mean;
    component.stdDev = std::max(std::sqrt(std::max(variance, 0.0)), mixture_fit::minimumStdDev);
  }
  return logLikelihood;
}

MixtureFitResult runEm(const ValueTally& tally, NormalMixture mixture) {
  double previous = -std::numeric_limits<double>::infinity();
  double current = previous;
  for (int iteration = 0; iteration < mixture_fit::maxIterations; ++iteration) {
    current = emStep(tally, &mixture);
    if (std::fabs(current - previous) <= tolerance * std::fabs(current)) {
      break;
    }
    previous = current;
  }
  return {mixture, false, current};
}

// Start 0: the values at the sextiles 1, 3 and 5; the others: three values picked at random.
NormalMixture startOf(const ValueTally& tally, int start, std::mt19937& engine) {
  NormalMixture mixture;
  long long size = tally.size();
  for (int c = 0; c < k; ++c) {
    long long rank = start == 0
                         ? size * (2 * c + 1) / (2 * k)
                         : static_cast<long long>(engine() % static_cast<unsigned long long>(size));
    mixture.components[c] = {1.0 / k, tally.valueOfRank(rank),
                             std::max(tally.stdDev() / k, mixture_fit::minimumStdDev)};
  }
  return mixture;
}

// The components in rising order of mean, the weights adding up to 1.
NormalMixture tidied(NormalMixture mixture) {
  std::sort(mixture.components.begin(), mixture.components.end(),
            [](const NormalComponent& a, const NormalComponent& b) { return a.mean < b.mean; });
  double total = 0.0;
  for (const NormalComponent& component : mixture.components) {
    total += component.weight;
  }
  for (NormalComponent& component : mixture.components) {
    component.weight /= total;
  }
  return mixture;
}

}  // namespace

double ValueTally::valueOfRank(long long rank) const {
  long long below = 0;
  for (const auto& [value, count] : counts) {
    below += count;
    if (rank < below) {
      return static_cast<double>(value);
    }
  }
  return counts.empty() ? 0.0 : static_cast<double>(counts.rbegin()->first);
}

double ValueTally::mean() const {
  double sum = 0.0;
  for (const auto& [value, count] : counts) {
    sum += static_cast<double>(value) * static_cast<double>(count);
  }
  return total > 0 ? sum / static_cast<double>(total) : 0.0;
}

double ValueTally::stdDev() const {
  double average = mean();
  double squares = 0.0;
  for (const auto& [value, count] : counts) {
    squares += (static_cast<double>(value) - average) * (static_cast<double>(value) - average) *
               static_cast<double>(count);
  }
  return total > 0 ? std::sqrt(squares / static_cast<double>(total)) : 0.0;
}

MixtureFitResult fitNormalMixture(const ValueTally& tally) {
  assert(tally.size() >= 1);
  if (tally.size() < mixture_fit::minimumForMixture) {
    return {singleNormal(tally), true, 0.0};
  }
  std::mt19937 engine(startSeed);
  MixtureFitResult best;
  best.logLikelihood = -std::numeric_limits<double>::infinity();
  for (int start = 0; start < mixture_fit::starts; ++start) {
    MixtureFitResult fit = runEm(tally, startOf(tally, start, engine));
    if (fit.logLikelihood > best.logLikelihood) {
      best = fit;
    }
  }
  best.mixture = tidied(best.mixture);
  return best;
}

double mixtureCdf(const NormalMixture& mixture, double x) {
  double total = 0.0;
  for (const NormalComponent& component : mixture.components) {
    total += component.weight * 0.5 *
             std::erfc(-(x - component.mean) / (component.stdDev * std::sqrt(2.0)));
  }
  return total;
}

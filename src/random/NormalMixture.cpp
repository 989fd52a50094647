#include "random/NormalMixture.h"

#include <algorithm>
#include <cmath>

namespace {

// P(Z > x) for a standard normal Z.
double upperTail(double x) {
  return 0.5 * std::erfc(x / std::sqrt(2.0));
}

// The probability that mean + stdDev * Z falls in [low, high]; 0 for parameters that are
// not finite, since such draws are never accepted.
double normalWithin(double mean, double stdDev, double low, double high) {
  if (!std::isfinite(mean) || !std::isfinite(stdDev)) {
    return 0.0;
  }
  double spread = std::fabs(stdDev);
  if (spread == 0.0) {
    return low <= mean && mean <= high ? 1.0 : 0.0;
  }
  double a = (low - mean) / spread;
  double b = (high - mean) / spread;
  // Subtract in the tail that keeps its precision.
  return a > 0 ? upperTail(a) - upperTail(b) : upperTail(-b) - upperTail(-a);
}

double clampToUnit(double x) {
  return std::min(1.0, std::max(0.0, x));
}

}  // namespace

double NormalMixture::probabilityWithin(double low, double high) const {
  double first = std::isnan(components[0].weight) ? 0.0 : clampToUnit(components[0].weight);
  double upToSecond = components[0].weight + components[1].weight;
  double second = std::isnan(upToSecond) ? first : std::max(first, clampToUnit(upToSecond));
  const double shares[componentCount] = {first, second - first, 1.0 - second};
  double probability = 0.0;
  for (int i = 0; i < componentCount; ++i) {
    if (shares[i] > 0.0) {
      const NormalComponent& part = components[static_cast<std::size_t>(i)];
      probability += shares[i] * normalWithin(part.mean, part.stdDev, low, high);
    }
  }
  return probability;
}

#include "support/JamReference.h"

#include <cmath>

double expectedJammedShare(const std::vector<double>& hourlyFlows, double perDay, double minutes) {
  double daily = 0.0;
  for (double flow : hourlyFlows) {
    daily += flow;
  }
  double mean = minutes * 60.0;
  double decay = std::exp(-1.0 / mean);
  double mu = 0.0;
  double jammed = 0.0;
  const int settleDays = 5;
  for (int day = 0; day <= settleDays; ++day) {
    for (int second = 0; second < 86400; ++second) {
      double rate = perDay * hourlyFlows[static_cast<std::size_t>(second / 3600)] / daily / 3600.0;
      mu = mu * decay + rate * mean * (1.0 - decay);
      if (day == settleDays) {
        jammed += 1.0 - std::exp(-mu);
      }
    }
  }
  return jammed / 86400.0;
}

#include "load/FatigueTally.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>

SnCurve::SnCurve(double categoryMpa, double gammaMf)
    : category(categoryMpa),
      reference(categoryMpa / gammaMf),
      constantAmplitudeLimit(reference * std::cbrt(referenceCycles / kneeCycles)),
      cutOffLimit(constantAmplitudeLimit * std::pow(kneeCycles / cutOffCycles, 0.2)) {
  assert(categoryMpa > 0.0 && gammaMf > 0.0);
}

double SnCurve::equivalentRange(double damage, double gammaFf) const {
  return reference * std::cbrt(damage) / gammaFf;
}

FatigueTally::FatigueTally(const FatigueOfEffect& fatigue)
    : settings(fatigue),
      damageSums(fatigue.curves.size(), 0.0),
      damagingCounts(fatigue.curves.size(), 0.0),
      damagingRange(std::numeric_limits<double>::infinity()) {
  double perUnit = settings.stressPerUnit * settings.gammaFf;
  for (const SnCurve& curve : settings.curves) {
    // A little below the cut-off's range, so that rounding in the division drops no cycle;
    // addDamage decides on the stress itself.
    damagingRange = std::min(damagingRange, curve.cutOffLimit / perUnit * (1.0 - 1e-9));
  }
}

void FatigueTally::addDamage(double range, double cycles) {
  double stress = range * settings.stressPerUnit * settings.gammaFf;
  for (std::size_t i = 0; i < settings.curves.size(); ++i) {
    const SnCurve& curve = settings.curves[i];
    if (stress >= curve.cutOffLimit) {
      damageSums[i] += curve.damage(stress, cycles);
      damagingCounts[i] += cycles;
    }
  }
}

std::vector<std::pair<std::int64_t, double>> FatigueTally::spectrum() const {
  std::vector<std::pair<std::int64_t, double>> bins;
  for (std::size_t i = 0; i < dense.size(); ++i) {
    if (dense[i] > 0.0) {
      bins.emplace_back(static_cast<std::int64_t>(i), dense[i]);
    }
  }
  bins.insert(bins.end(), sparse.begin(), sparse.end());
  return bins;
}

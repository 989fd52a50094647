// What the cycles of one load effect add up to: the stress-range spectrum in bins of the
// effect's unit, and the Palmgren-Miner damage on the S-N curves of EN 1993-1-9 for each
// detail category asked for, summed over the exact ranges.
#pragma once

#include <cstdint>
#include <limits>
#include <map>
#include <vector>

// The S-N curve of a detail category: slope m = 3 through (2e6 cycles, delta_c), down to
// the constant-amplitude limit delta_d at 5e6 cycles (0.737 delta_c); then m = 5 down to
// the cut-off limit delta_l at 1e8 cycles (0.404 delta_c); no damage below it. The limits
// come from the two slopes, so the curve has no step at its knees.
struct SnCurve {
  static constexpr double referenceCycles = 2e6;
  static constexpr double kneeCycles = 5e6;
  static constexpr double cutOffCycles = 1e8;

  // The curve of category delta_c (MPa) with the resistance divided by gammaMf.
  // REQUIRES: delta_c > 0, gammaMf > 0.
  SnCurve(double category, double gammaMf);

  // The damage of `cycles` cycles of stress range `stress` (MPa, factored): cycles / N.
  double damage(double stress, double cycles) const {
    if (stress >= constantAmplitudeLimit) {
      double r = stress / reference;
      return cycles * (r * r * r) / referenceCycles;
    }
    if (stress >= cutOffLimit) {
      double r = stress / constantAmplitudeLimit;
      return cycles * (r * r * r * r * r) / kneeCycles;
    }
    return 0.0;
  }
  // The constant range (MPa, unfactored) whose 2e6 cycles on the slope m = 3 give `damage`
  // with the partial factors: delta_c damage^(1/3) / (gammaMf gammaFf).
  double equivalentRange(double damage, double gammaFf) const;

  double category;                // delta_c, MPa
  double reference;               // delta_c / gammaMf
  double constantAmplitudeLimit;  // delta_d / gammaMf
  double cutOffLimit;             // delta_l / gammaMf
};

// The fatigue settings of one effect, in the effect's unit and MPa.
struct FatigueOfEffect {
  // Turns smaller than this (effect unit) are no reversals: the --fatigue-gate, or, when
  // that is smaller, the rounding floor of the sums that make the effect.
  double gate = 0.0;
  double binWidth = 1.0;       // of the spectrum, effect unit
  double stressPerUnit = 0.0;  // MPa per effect unit; 0 when no damage is asked for
  double gammaFf = 1.0;
  std::vector<SnCurve> curves;  // one per detail category asked for
};

// The spectrum and damage of one effect's counted cycles.
class FatigueTally {
 public:
  explicit FatigueTally(const FatigueOfEffect& settings);

  // Takes `cycles` (1 or 0.5) cycles of `range` (>= 0, effect unit). A range within a few
  // units in the last place below a bin's upper edge is taken as the edge itself, so that a
  // range that is a whole number of bins, summed from loads with rounding, lands in the bin
  // it starts.
  void count(double range, double cycles) {
    std::int64_t bin = binOf(range, settings.binWidth);
    if (bin < denseBins) {
      if (static_cast<std::size_t>(bin) >= dense.size()) {
        dense.resize(static_cast<std::size_t>(bin) + 1, 0.0);
      }
      dense[static_cast<std::size_t>(bin)] += cycles;
    } else {
      sparse[bin] += cycles;
    }
    if (range >= damagingRange) {
      addDamage(range, cycles);
    }
  }

  // The bin of range: floor(range / width), or the next bin when range lies within
  // edgeTolerance (relative) below that bin's upper edge.
  static std::int64_t binOf(double range, double width) {
    auto bin = static_cast<std::int64_t>(range / width);
    double edge = static_cast<double>(bin + 1) * width;
    return edge - range <= edge * edgeTolerance ? bin + 1 : bin;
  }
  static constexpr double edgeTolerance = 8 * std::numeric_limits<double>::epsilon();

  const FatigueOfEffect& fatigueSettings() const { return settings; }
  // The cycles in each non-empty bin, by bin index (bin i holds ranges from i to i + 1
  // bin widths), in rising order.
  std::vector<std::pair<std::int64_t, double>> spectrum() const;
  // By curve: the Miner sum, and the cycles at or above the curve's cut-off limit.
  const std::vector<double>& damage() const { return damageSums; }
  const std::vector<double>& damagingCycles() const { return damagingCounts; }

 private:
  static constexpr std::int64_t denseBins = 1 << 16;  // bins above go to a map
  void addDamage(double range, double cycles);

  FatigueOfEffect settings;
  std::vector<double> dense;
  std::map<std::int64_t, double> sparse;
  std::vector<double> damageSums;
  std::vector<double> damagingCounts;
  double damagingRange;  // the smallest range at or above a curve's cut-off; infinite: none
};

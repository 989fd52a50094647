// A fitted distribution: three normal components, each with its probability.
// Held inline so that copies of site tables never touch the heap.
#pragma once

#include <array>

struct NormalComponent {
  double weight = 0.0;  // probability of the component
  double mean = 0.0;
  double stdDev = 0.0;  // standard deviation
};

class NormalMixture {
 public:
  static constexpr int componentCount = 3;

  NormalMixture() = default;
  NormalMixture(const NormalMixture&) = default;
  NormalMixture(NormalMixture&&) = default;
  NormalMixture& operator=(const NormalMixture&) = default;
  NormalMixture& operator=(NormalMixture&&) = default;
  virtual ~NormalMixture() = default;

  // The probability that one draw (RandomGenerator::normalMixture) falls in [low, high]:
  // the first component takes u <= w0, the second u <= w0 + w1, the third the rest.
  double probabilityWithin(double low, double high) const;

  // In file order. Sampling reads all three means and deviations but only the first two weights.
  std::array<NormalComponent, componentCount> components;
};

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "random/NormalMixture.h"

namespace {

NormalMixture mixtureOf(NormalComponent a, NormalComponent b, NormalComponent c) {
  NormalMixture mixture;
  mixture.components = {{a, b, c}};
  return mixture;
}

TEST(NormalMixtureTest, ProbabilityWithinFollowsTheDrawsComponentShares) {
  // One standard normal: P(-1 <= Z <= 1) = 0.682689...
  NormalMixture one = mixtureOf({1.0, 0.0, 1.0}, {0.0, 100.0, 1.0}, {0.0, 100.0, 1.0});
  EXPECT_NEAR(one.probabilityWithin(-1.0, 1.0), 0.6826894921370859, 1e-12);
  // The third weight is never read: whatever the first two leave goes to component 3.
  NormalMixture rest = mixtureOf({0.25, 0.0, 1.0}, {0.25, 0.0, 1.0}, {99.0, 100.0, 0.0});
  EXPECT_NEAR(rest.probabilityWithin(99.0, 101.0), 0.5, 1e-12);
  // A second weight that does not add to the running total takes nothing.
  NormalMixture shadowed = mixtureOf({0.6, 0.0, 0.0}, {-0.5, 50.0, 0.0}, {0.0, 10.0, 0.0});
  EXPECT_NEAR(shadowed.probabilityWithin(5.0, 60.0), 0.4, 1e-12);
}

TEST(NormalMixtureTest, ProbabilityWithinKeepsFarTailsAndRefusesBrokenParameters) {
  NormalMixture far = mixtureOf({1.0, 0.0, 1.0}, {}, {});
  double tail = far.probabilityWithin(8.0, 9.0);
  EXPECT_GT(tail, 5e-16);
  EXPECT_LT(tail, 7e-16);
  double nan = std::numeric_limits<double>::quiet_NaN();
  EXPECT_EQ(mixtureOf({1.0, nan, 1.0}, {}, {}).probabilityWithin(-1e9, 1e9), 0.0);
  // A negative deviation draws like its absolute value.
  EXPECT_NEAR(mixtureOf({1.0, 0.0, -1.0}, {}, {}).probabilityWithin(-1.0, 1.0), 0.6826894921370859,
              1e-12);
}

}  // namespace

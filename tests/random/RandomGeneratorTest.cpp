#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <vector>

#include "random/RandomGenerator.h"

namespace {

class RandomGeneratorTest : public ::testing::Test {
 protected:
  void SetUp() override {
    RandomGenerator::seedWithWord(5489u);
    RandomGenerator::clearNormalCache();
  }
  // The first words after the test's seed; the engine is reseeded afterwards.
  static std::vector<std::uint32_t> wordsAfterSeed(int count) {
    RandomGenerator::seedWithWord(5489u);
    std::vector<std::uint32_t> words;
    for (int i = 0; i < count; ++i) {
      words.push_back(RandomGenerator::nextWord());
    }
    RandomGenerator::seedWithWord(5489u);
    return words;
  }
};

TEST_F(RandomGeneratorTest, MatchesReferenceStreamAfterWordSeed) {
  EXPECT_EQ(RandomGenerator::nextWord(), 3499211612u);
  for (int i = 2; i < 10000; ++i) {
    RandomGenerator::nextWord();
  }
  EXPECT_EQ(RandomGenerator::nextWord(), 4123659995u);
}

TEST_F(RandomGeneratorTest, MatchesReferenceStreamAfterArraySeed) {
  const std::uint32_t key[] = {0x123, 0x234, 0x345, 0x456};
  RandomGenerator::seedWithArray(key, 4);
  const std::uint32_t expected[] = {1067595299u, 955945823u, 477289528u, 4107218783u, 4228976476u};
  for (std::uint32_t word : expected) {
    EXPECT_EQ(RandomGenerator::nextWord(), word);
  }
}

TEST_F(RandomGeneratorTest, ReloadsLazilyOnThe625thRequest) {
  // Reseeding mid-block restarts the same block, so word 625 only comes from a reload
  // that happens on request.
  std::vector<std::uint32_t> words = wordsAfterSeed(626);
  for (int i = 0; i < 624; ++i) {
    RandomGenerator::nextWord();
  }
  EXPECT_EQ(RandomGenerator::nextWord(), words[624]);
  EXPECT_NE(words[624], words[0]);
}

TEST_F(RandomGeneratorTest, UniformUsesClosedIntervalMapping) {
  std::vector<std::uint32_t> words = wordsAfterSeed(1);
  RandomGenerator random;
  EXPECT_EQ(random.uniform(), words[0] * 2.3283064370807974e-10);
  EXPECT_EQ(0u * RandomGenerator::wordToUnit, 0.0);
  EXPECT_EQ(4294967295u * RandomGenerator::wordToUnit, 1.0);
}

TEST_F(RandomGeneratorTest, ExponentialUsesOwnLocationAndScale) {
  std::vector<std::uint32_t> words = wordsAfterSeed(1);
  RandomGenerator random;
  random.setExponentialLocation(0.0);
  random.setExponentialScale(7.2);
  EXPECT_EQ(random.exponential(), 0.0 - 7.2 * std::log(words[0] * 2.3283064370807974e-10));
}

TEST_F(RandomGeneratorTest, StandardNormalCachesSecondValueOfPair) {
  std::vector<std::uint32_t> words = wordsAfterSeed(40);
  // Rebuild the first accepted polar pair by hand.
  std::size_t at = 0;
  double x;
  double y;
  double r;
  do {
    x = words[at++] * 4.656612874161595e-10 - 1.0;
    y = words[at++] * 4.656612874161595e-10 - 1.0;
    r = x * x + y * y;
  } while (r >= 1.0);
  double s = std::sqrt(-2.0 * std::log(r) / r);
  RandomGenerator first;
  RandomGenerator second;
  EXPECT_EQ(first.standardNormal(), x * s);
  EXPECT_EQ(second.standardNormal(), y * s);  // from the class-wide cache: no word used
  EXPECT_EQ(RandomGenerator::nextWord(), words[at]);
}

TEST_F(RandomGeneratorTest, NormalScalesAndShifts) {
  RandomGenerator random;
  double z = random.standardNormal();
  RandomGenerator::seedWithWord(5489u);
  RandomGenerator::clearNormalCache();
  EXPECT_EQ(random.normal(3.0, 2.0), z * 2.0 + 3.0);
}

NormalMixture mixtureOf(double w0, double w1, double w2) {
  NormalMixture mixture;
  mixture.components = {{{w0, 100.0, 0.0}, {w1, 200.0, 0.0}, {w2, 300.0, 0.0}}};
  return mixture;
}

TEST_F(RandomGeneratorTest, MixturePicksComponentByRunningWeights) {
  std::vector<std::uint32_t> words = wordsAfterSeed(1);
  double u = words[0] * RandomGenerator::wordToUnit;
  RandomGenerator random;
  // Ties go to the lower component: u equal to w0, then u equal to w0 + w1.
  EXPECT_EQ(random.normalMixture(mixtureOf(u, 0.5, 0.0)), 100.0);
  RandomGenerator::seedWithWord(5489u);
  EXPECT_EQ(random.normalMixture(mixtureOf(u / 2, u / 2, 0.0)), 200.0);
  RandomGenerator::seedWithWord(5489u);
  // The third weight is never read: the rest of the probability goes to component 3.
  EXPECT_EQ(random.normalMixture(mixtureOf(0.0, 0.0, 0.0)), 300.0);
  RandomGenerator::seedWithWord(5489u);
  EXPECT_EQ(random.normalMixture(mixtureOf(1.0, 0.0, 0.0)), 100.0);
}

TEST(QuadraticTest, EvaluatesInHornerOrder) {
  EXPECT_EQ(evaluateQuadratic(2.0, 3.0, 4.0, 1.5), (2.0 * 1.5 + 3.0) * 1.5 + 4.0);
}

TEST(QuadraticTest, InvertsIncreasingPieceToItsNonNegativeRoot) {
  // F(x) = 0.02 x^2 + 0.01 x on [0, 1].
  double x = invertQuadratic(0.02, 0.01, 0.0, 0.015);
  EXPECT_NEAR(evaluateQuadratic(0.02, 0.01, 0.0, x), 0.015, 1e-15);
  EXPECT_GT(x, 0.0);
}

TEST(QuadraticTest, FallsBackToSecondRootOutsideTheOnePercentWindow) {
  // u = 0 never satisfies 0 < q < 0, so the second root comes back.
  EXPECT_EQ(invertQuadratic(1.0, 0.0, -4.0, 0.0), -2.0);
}

TEST(QuadraticTest, GivesNoFiniteValueForDegeneratePieces) {
  EXPECT_TRUE(std::isnan(invertQuadratic(1.0, 0.0, 1.0, 0.5)));  // negative discriminant
  EXPECT_FALSE(std::isfinite(invertQuadratic(0.0, 1.0, 0.0, 0.5)));
}

}  // namespace

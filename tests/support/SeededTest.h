// A test that starts from a known random stream: the one engine seeded with a fixed word
// and the cached second normal value forgotten, before every test and at every reseed().
#pragma once

#include <gtest/gtest.h>

#include <cstdint>

#include "random/RandomGenerator.h"

class SeededTest : public ::testing::Test {
 protected:
  explicit SeededTest(std::uint32_t seedWord) : seed(seedWord) {}
  void SetUp() override { reseed(); }
  void reseed() const {
    RandomGenerator::seedWithWord(seed);
    RandomGenerator::clearNormalCache();
  }

 private:
  std::uint32_t seed;
};

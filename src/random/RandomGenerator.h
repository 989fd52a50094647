// A light handle on the one process-wide MT19937 stream, with the variates built on it.
// Every object draws from the same engine, so the order of all calls across the program
// is part of the output. The engine is seeded once before main (from /dev/urandom, or a
// clock hash when the device cannot deliver) and may be reseeded with seedWithWord or
// seedWithArray for reproducible runs and tests. Single-threaded.
#pragma once

#include <cstddef>
#include <cstdint>

#include "random/NormalMixture.h"

class RandomGenerator {
 public:
  RandomGenerator() = default;
  RandomGenerator(const RandomGenerator&) = default;
  RandomGenerator& operator=(const RandomGenerator&) = default;
  virtual ~RandomGenerator() = default;

  // One word mapped onto the closed interval [0, 1]: word 0 gives 0.0, 2^32 - 1 gives 1.0.
  double uniform() { return nextWord() * wordToUnit; }

  // location - scale * ln(u) for one closed-interval uniform u; +infinity when u is 0.
  double exponential();
  void setExponentialScale(double value) { scale = value; }
  void setExponentialLocation(double value) { location = value; }

  // Polar method; the second value of each accepted pair is cached class-wide and handed
  // to the next request from any object, using no word.
  double standardNormal();
  // standardNormal() * stdDev + mean; arguments are not validated.
  double normal(double mean, double stdDev) { return standardNormal() * stdDev + mean; }
  // One uniform picks the component (u <= w0: first, u <= w0 + w1: second, else third),
  // then one normal draw from it.
  double normalMixture(const NormalMixture& mixture);

  // The next tempered MT19937 output; reloads the state lazily on the 625th request.
  static std::uint32_t nextWord() {
    if (remaining == 0) {
      reload();
    }
    --remaining;
    return temper(state[next++]);
  }
  // Reference init_genrand(seed) followed by a reload.
  static void seedWithWord(std::uint32_t seed);
  // Reference init_by_array(key, length) followed by a reload. REQUIRES: length >= 1.
  static void seedWithArray(const std::uint32_t* key, std::size_t length);
  // Start-up seeding: 624 words from /dev/urandom, else a hash of clock() and time().
  static void seedFromEntropy();
  // Forgets the cached second normal value (tests use it to start from a known state).
  static void clearNormalCache() { hasCachedNormal = false; }

  // The whole state of the one stream, cached normal value included: a stream put aside with
  // snapshot() and taken up again with restore() goes on exactly as if nothing had drawn
  // in between.
  struct Snapshot;
  static Snapshot snapshot();
  static void restore(const Snapshot& saved);

  static constexpr double wordToUnit = 2.3283064370807974e-10;  // nearest to 1/(2^32 - 1)

 private:
  static constexpr int stateSize = 624;

  static void reload();
  static std::uint32_t temper(std::uint32_t y) {
    y ^= y >> 11;
    y ^= (y << 7) & 0x9d2c5680u;
    y ^= (y << 15) & 0xefc60000u;
    y ^= y >> 18;
    return y;
  }
  static void fillState(std::uint32_t seed);

  double location = 10.0;  // s, shift of this object's exponential variate
  double scale = 2.0;      // s, mean of this object's exponential variate above its location

  static inline std::uint32_t state[stateSize] = {};
  static inline int next = 0;
  static inline int remaining = 0;
  static inline bool hasCachedNormal = false;
  static inline double cachedNormal = 0.0;
};

struct RandomGenerator::Snapshot {
  std::uint32_t state[RandomGenerator::stateSize];
  int next;
  int remaining;
  bool hasCachedNormal;
  double cachedNormal;
};

// (a * x + b) * x + c.
double evaluateQuadratic(double a, double b, double c, double x);

// The x at which the piece a*x^2 + b*x + c reaches u: the root (s - b) / 2a when it
// reproduces u within 1 % (or, for a < 0, lies beyond the vertex), else (-b - s) / 2a.
// Not a number for a negative discriminant; not finite for a = 0.
double invertQuadratic(double a, double b, double c, double u);

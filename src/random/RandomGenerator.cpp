#include "random/RandomGenerator.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstdio>
#include <ctime>
#include <iterator>

namespace {

constexpr int shift = 397;
constexpr std::uint32_t twistMatrix = 0x9908b0dfu;
constexpr std::uint32_t upperMask = 0x80000000u;
constexpr std::uint32_t lowerMask = 0x7fffffffu;
constexpr double wordToSymmetricUnit = 4.656612874161595e-10;  // nearest to 2/(2^32 - 1)

std::uint32_t hashBytes(std::uint32_t value) {
  std::uint32_t hash = 0;
  for (int byte = 0; byte < 4; ++byte) {
    hash = hash * 257u + ((value >> (8 * byte)) & 0xffu);
  }
  return hash;
}

// Fills key with words from the device; false when it cannot be opened or runs short.
bool readDeviceKey(std::uint32_t* key, int length) {
  std::FILE* device = std::fopen("/dev/urandom", "rb");
  if (device == nullptr) {
    return false;
  }
  int read = 0;
  while (read < length && std::fread(&key[read], 4, 1, device) == 1) {
    ++read;
  }
  std::fclose(device);
  return read == length;
}

std::uint32_t twist(std::uint32_t current, std::uint32_t following, std::uint32_t shifted) {
  std::uint32_t y = (current & upperMask) | (following & lowerMask);
  return shifted ^ (y >> 1) ^ ((y & 1u) ? twistMatrix : 0u);
}

const bool seededAtStartUp = (RandomGenerator::seedFromEntropy(), true);

}  // namespace

void RandomGenerator::fillState(std::uint32_t seed) {
  state[0] = seed;
  for (int i = 1; i < stateSize; ++i) {
    state[i] = 1812433253u * (state[i - 1] ^ (state[i - 1] >> 30)) + static_cast<std::uint32_t>(i);
  }
}

RandomGenerator::Snapshot RandomGenerator::snapshot() {
  Snapshot saved{};
  std::copy(std::begin(state), std::end(state), std::begin(saved.state));
  saved.next = next;
  saved.remaining = remaining;
  saved.hasCachedNormal = hasCachedNormal;
  saved.cachedNormal = cachedNormal;
  return saved;
}

void RandomGenerator::restore(const Snapshot& saved) {
  std::copy(std::begin(saved.state), std::end(saved.state), std::begin(state));
  next = saved.next;
  remaining = saved.remaining;
  hasCachedNormal = saved.hasCachedNormal;
  cachedNormal = saved.cachedNormal;
}

// In place and in index order, so words already regenerated are used as they now stand;
// split in three runs only to avoid the index wrap-around.
void RandomGenerator::reload() {
  int k = 0;
  for (; k < stateSize - shift; ++k) {
    state[k] = twist(state[k], state[k + 1], state[k + shift]);
  }
  for (; k < stateSize - 1; ++k) {
    state[k] = twist(state[k], state[k + 1], state[k + shift - stateSize]);
  }
  state[k] = twist(state[k], state[0], state[shift - 1]);
  next = 0;
  remaining = stateSize;
}

void RandomGenerator::seedWithWord(std::uint32_t seed) {
  fillState(seed);
  reload();
}

void RandomGenerator::seedWithArray(const std::uint32_t* key, std::size_t length) {
  assert(length >= 1);
  fillState(19650218u);
  int i = 1;
  std::size_t j = 0;
  std::size_t rounds = length > stateSize ? length : stateSize;
  for (; rounds > 0; --rounds) {
    state[i] = (state[i] ^ ((state[i - 1] ^ (state[i - 1] >> 30)) * 1664525u)) + key[j] +
               static_cast<std::uint32_t>(j);
    ++i;
    ++j;
    if (i >= stateSize) {
      state[0] = state[stateSize - 1];
      i = 1;
    }
    if (j >= length) {
      j = 0;
    }
  }
  for (int k = stateSize - 1; k > 0; --k) {
    state[i] = (state[i] ^ ((state[i - 1] ^ (state[i - 1] >> 30)) * 1566083941u)) -
               static_cast<std::uint32_t>(i);
    ++i;
    if (i >= stateSize) {
      state[0] = state[stateSize - 1];
      i = 1;
    }
  }
  state[0] = upperMask;
  reload();
}

void RandomGenerator::seedFromEntropy() {
  std::uint32_t key[stateSize];
  if (readDeviceKey(key, stateSize)) {
    seedWithArray(key, stateSize);
    return;
  }
  auto clockValue = static_cast<std::uint32_t>(std::clock());
  auto calendarTime = static_cast<std::uint32_t>(std::time(nullptr));
  seedWithWord(hashBytes(calendarTime) ^ hashBytes(clockValue));
}

double RandomGenerator::exponential() {
  double u = nextWord() * wordToUnit;
  return location - scale * std::log(u);
}

double RandomGenerator::standardNormal() {
  if (hasCachedNormal) {
    hasCachedNormal = false;
    return cachedNormal;
  }
  double x;
  double y;
  double r;
  do {
    x = nextWord() * wordToSymmetricUnit - 1.0;
    y = nextWord() * wordToSymmetricUnit - 1.0;
    r = x * x + y * y;
  } while (r >= 1.0);
  double s = std::sqrt(-2.0 * std::log(r) / r);
  cachedNormal = y * s;
  hasCachedNormal = true;
  return x * s;
}

double RandomGenerator::normalMixture(const NormalMixture& mixture) {
  double u = uniform();
  const auto& parts = mixture.components;
  const NormalComponent& chosen = u <= parts[0].weight                     ? parts[0]
                                  : u <= parts[0].weight + parts[1].weight ? parts[1]
                                                                           : parts[2];
  return normal(chosen.mean, chosen.stdDev);
}

double evaluateQuadratic(double a, double b, double c, double x) {
  return (a * x + b) * x + c;
}

double invertQuadratic(double a, double b, double c, double u) {
  double d = c - u;
  double s = std::sqrt(b * b - 4.0 * a * d);
  double r1 = (s - b) / (2.0 * a);
  double r2 = (-b - s) / (2.0 * a);
  if (a < 0.0 && -b / (2.0 * a) < r1) {
    return r1;
  }
  double q = evaluateQuadratic(a, b, d + u, r1);
  return (0.99 * u < q && q < 1.01 * u) ? r1 : r2;
}

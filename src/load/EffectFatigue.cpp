#include "load/EffectFatigue.h"

#include <algorithm>
#include <cmath>

namespace effect_fatigue {
namespace {

// 1, 2 or 5 times a power of ten, at most value (> 0).
double roundedDown(double value) {
  double power = std::pow(10.0, std::floor(std::log10(value)));
  if (power * 10.0 <= value) {
    power *= 10.0;  // log10 rounded down across a power of ten
  }
  for (double step : {5.0, 2.0, 1.0}) {
    if (step * power <= value) {
      return step * power;
    }
  }
  return power / 2.0;  // log10 rounded up: the next step down
}

// The greatest |ordinate| of a piece: at its ends or where it turns, sampled finely enough
// for a default that is rounded to 1, 2 or 5.
double pieceMaximum(const InfluencePiece& piece) {
  constexpr int samples = 64;
  double greatest = 0.0;
  double width = piece.end - piece.start;
  for (int i = 0; i <= samples; ++i) {
    double d = width * i / samples;
    const auto& c = piece.coefficients;
    greatest = std::max(greatest, std::abs(c[0] + d * (c[1] + d * (c[2] + d * c[3]))));
  }
  return greatest;
}

}  // namespace

const double* stressOf(const FatigueSettings& fatigue, const std::string& effect) {
  for (const auto& given : fatigue.stressPerUnit) {
    if (given.first == effect) {
      return &given.second;
    }
  }
  return nullptr;
}

double greatestOrdinate(const InfluenceLine& line) {
  double greatest = 0.0;
  for (const InfluencePiece& piece : line.pieceList()) {
    greatest = std::max(greatest, pieceMaximum(piece));
  }
  return greatest;
}

double defaultBinWidth(const InfluenceLine& line) {
  double greatest = greatestOrdinate(line);
  return greatest > 0.0 ? roundedDown(greatest) : 1.0;
}

std::vector<FatigueOfEffect> fatigueOfEffects(const LoadSettings& settings) {
  const FatigueSettings& fatigue = settings.fatigue;
  std::vector<FatigueOfEffect> effects;
  for (const LoadEffect& effect : settings.effects) {
    FatigueOfEffect of;
    of.gate = std::max(fatigue.gate, roundingFloor * greatestOrdinate(effect.line));
    of.binWidth = fatigue.rangeBin > 0.0 ? fatigue.rangeBin : defaultBinWidth(effect.line);
    const double* stress = stressOf(fatigue, effect.name);
    of.stressPerUnit = stress ? *stress : 0.0;
    of.gammaFf = fatigue.gammaFf;
    for (double category : fatigue.detailCategories) {
      of.curves.emplace_back(category, fatigue.gammaMf);
    }
    effects.push_back(of);
  }
  return effects;
}

}  // namespace effect_fatigue

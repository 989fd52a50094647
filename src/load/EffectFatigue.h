// What the fatigue count of each effect is made of, from the load settings: the gate below
// which a reversal is rounding, the spectrum's bin width, the stress per unit and the S-N
// curves. The engine counts with it; the campaign adds up the runs' files with it.
#pragma once

#include <vector>

#include "load/FatigueTally.h"
#include "load/LoadEffectEngine.h"

namespace effect_fatigue {

// The greatest ordinate of the line in absolute value.
double greatestOrdinate(const InfluenceLine& line);
// The default bin width of an effect's spectrum: the range a load of 1 (kN, or the site
// weight unit) makes at the line's greatest ordinate, rounded down to 1, 2 or 5 times a
// power of ten.
double defaultBinWidth(const InfluenceLine& line);
// An effect is a sum of many products, each rounded: a turn smaller than this fraction of
// the range a load of 1 makes at the line's greatest ordinate is rounding, not traffic
// (rounding stays below 1e-12 of it; the smallest turns of traffic are far above).
constexpr double roundingFloor = 1e-10;
// The stress per unit that the settings give the effect named `effect`; nullptr for none.
const double* stressOf(const FatigueSettings& fatigue, const std::string& effect);
// Effect by effect, in the settings' order: the gate, bin width, stress per unit and curves.
std::vector<FatigueOfEffect> fatigueOfEffects(const LoadSettings& settings);

}  // namespace effect_fatigue

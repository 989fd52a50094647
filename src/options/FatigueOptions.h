// The command-line options of the fatigue count, shared by velmora, velmora-load and
// velmora-campaign as load options:
//   --fatigue-gate G          drop reversals smaller than G (effect unit; default 0: none)
//   --range-bin W             the spectra's bin width (effect unit; default: each effect's)
//   --detail-category C       an EN 1993-1-9 detail category, delta_c in MPa (repeatable)
//   --stress-per-unit E=S     MPa per unit of effect E (repeatable, one per effect)
//   --gamma-mf F, --gamma-ff F  the partial factors of resistance and of the loads
// The files they fill are each program's own options.
#pragma once

#include <string>
#include <vector>

#include "cli/OptionParser.h"
#include "load/FatigueTally.h"
#include "load/LoadEffectEngine.h"

namespace fatigue_options {

constexpr double maxCategory = 1000.0;  // MPa
constexpr double maxGamma = 10.0;
// --range-bin may split an effect's default bin into at most this many, which bounds the
// spectrum's bins, and so its memory, whatever the length of the run.
constexpr double maxBinsPerDefault = 1000.0;

std::vector<KnownOption> knownOptions();
bool isFatigueOption(const std::string& name);
// Reads the value of the fatigue option `name` into *fatigue. False, with *error one line,
// for a bad value or a category or effect given twice.
bool takeOption(const std::string& name, const std::string& value, FatigueSettings* fatigue,
                std::string* error);
// The options agree with the files asked for (spectra, damage) and with the effects:
// spectra and damage need an effect, --range-bin the spectra, the damage a detail category
// and a stress per unit for every effect, and the damage's options the damage. False, with
// *error one line naming the option and what it needs, when they do not. spectrumOption
// and damageOption are how the program asks for the files.
bool optionsAgree(const LoadSettings& settings, bool spectra, bool damage,
                  const std::string& spectrumOption, const std::string& damageOption,
                  std::string* error);

// The options' lines for a usage text.
std::string usageLines();

}  // namespace fatigue_options

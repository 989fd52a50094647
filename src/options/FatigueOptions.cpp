#include "options/FatigueOptions.h"

#include <algorithm>

#include "base/Refusal.h"
#include "base/text/NumberText.h"
#include "cli/OptionCatalogue.h"
#include "load/EffectFatigue.h"

namespace fatigue_options {
namespace {

// A number in (low, high], or [low, high] when low is allowed.
bool readBounded(const std::string& name, const std::string& text, double low, bool lowAllowed,
                 double high, double* value, std::string* error) {
  double read = 0.0;
  bool fits =
      readNumberText(text, &read) && (lowAllowed ? read >= low : read > low) && read <= high;
  if (!fits) {
    return refuse(name + " is \"" + text + "\"; accepted: a number " +
                      (lowAllowed ? "from " : "above ") + numberText(low) + " " +
                      (lowAllowed ? "to " : "and up to ") + numberText(high),
                  error);
  }
  *value = read;
  return true;
}

constexpr double maxEffectNumber = 1e12;  // for gates, bins and stresses per unit

bool readStressPerUnit(const std::string& text, FatigueSettings* fatigue, std::string* error) {
  std::size_t equals = text.rfind('=');
  if (equals == std::string::npos || equals == 0) {
    return refuse("--stress-per-unit is \"" + text +
                      "\"; accepted: EFFECT=S, an effect and its MPa per effect unit",
                  error);
  }
  std::string effect = text.substr(0, equals);
  for (const auto& given : fatigue->stressPerUnit) {
    if (given.first == effect) {
      return refuse("--stress-per-unit names \"" + effect + "\" twice; accepted: each effect once",
                    error);
    }
  }
  double stress = 0.0;
  if (!readBounded("--stress-per-unit \"" + effect + "\"", text.substr(equals + 1), 0.0, false,
                   maxEffectNumber, &stress, error)) {
    return false;
  }
  fatigue->stressPerUnit.emplace_back(effect, stress);
  return true;
}

bool readCategory(const std::string& text, FatigueSettings* fatigue, std::string* error) {
  double category = 0.0;
  if (!readBounded("--detail-category", text, 0.0, false, maxCategory, &category, error)) {
    return false;
  }
  std::vector<double>& categories = fatigue->detailCategories;
  if (std::find(categories.begin(), categories.end(), category) != categories.end()) {
    return refuse("--detail-category " + text + " is given twice; accepted: each category once",
                  error);
  }
  categories.push_back(category);
  return true;
}

bool hasEffect(const LoadSettings& settings, const std::string& name) {
  return std::any_of(settings.effects.begin(), settings.effects.end(),
                     [&name](const LoadEffect& effect) { return effect.name == name; });
}

// The damage's own options need the damage file; the damage needs them.
bool damageOptionsAgree(const LoadSettings& settings, bool damage, const std::string& damageOption,
                        std::string* error) {
  const FatigueSettings& fatigue = settings.fatigue;
  bool damageOptions =
      !fatigue.detailCategories.empty() || !fatigue.stressPerUnit.empty() || fatigue.gammasGiven;
  if (!damage) {
    return !damageOptions ||
           refuse("--detail-category, --stress-per-unit, --gamma-mf and --gamma-ff need " +
                      damageOption + ", where the damage goes",
                  error);
  }
  if (fatigue.detailCategories.empty()) {
    return refuse(damageOption + " needs at least one --detail-category", error);
  }
  for (const auto& given : fatigue.stressPerUnit) {
    if (!hasEffect(settings, given.first)) {
      return refuse(
          "--stress-per-unit names \"" + given.first + "\", which is no --effect of this command",
          error);
    }
  }
  for (const LoadEffect& effect : settings.effects) {
    if (!effect_fatigue::stressOf(fatigue, effect.name)) {
      return refuse(damageOption + " needs --stress-per-unit " + effect.name +
                        "=S, the MPa per unit of that effect",
                    error);
    }
  }
  return true;
}

}  // namespace

namespace {

bool takeGate(const std::string& value, FatigueSettings* fatigue, std::string* error) {
  fatigue->gateGiven = true;
  return readBounded("--fatigue-gate", value, 0.0, true, maxEffectNumber, &fatigue->gate, error);
}

bool takeRangeBin(const std::string& value, FatigueSettings* fatigue, std::string* error) {
  return readBounded("--range-bin", value, 0.0, false, maxEffectNumber, &fatigue->rangeBin, error);
}

bool takeGammaMf(const std::string& value, FatigueSettings* fatigue, std::string* error) {
  fatigue->gammasGiven = true;
  return readBounded("--gamma-mf", value, 0.0, false, maxGamma, &fatigue->gammaMf, error);
}

bool takeGammaFf(const std::string& value, FatigueSettings* fatigue, std::string* error) {
  fatigue->gammasGiven = true;
  return readBounded("--gamma-ff", value, 0.0, false, maxGamma, &fatigue->gammaFf, error);
}

const OptionTable<FatigueSettings>& table() {
  const FatigueSettings defaults;
  static const OptionTable<FatigueSettings> entries = {
      {"--fatigue-gate", "G", "a number in the effects' unit",
       "drop reversals smaller than G (effect unit; default " + shortestText(defaults.gate) +
           ": none)",
       takeGate},
      {"--range-bin", "W", "a number in the effects' unit",
       "the spectra's bin width in the effect's unit (default: the\n"
       "range of a load of 1 at the line's greatest ordinate,\n"
       "rounded down to 1, 2 or 5 times a power of ten)",
       takeRangeBin},
      {"--detail-category", "C", "delta_c in MPa",
       "an EN 1993-1-9 detail category, delta_c in MPa at 2e6\ncycles (repeatable)", readCategory},
      {"--stress-per-unit", "E=S", "EFFECT=S", "MPa per unit of effect E (one for every effect)",
       readStressPerUnit},
      {"--gamma-mf", "F", "a number",
       "the partial factor of fatigue strength (default " + shortestText(defaults.gammaMf) + ")",
       takeGammaMf},
      {"--gamma-ff", "F", "a number",
       "the partial factor of fatigue loads (default " + shortestText(defaults.gammaFf) + ")",
       takeGammaFf},
  };
  return entries;
}

constexpr std::size_t helpColumn = 23;

}  // namespace

std::vector<KnownOption> knownOptions() {
  return option_catalogue::knownOptions(table());
}

bool isFatigueOption(const std::string& name) {
  return option_catalogue::entryOf(table(), name) != nullptr;
}

bool takeOption(const std::string& name, const std::string& value, FatigueSettings* fatigue,
                std::string* error) {
  return option_catalogue::take(table(), name, value, fatigue, error);
}

bool optionsAgree(const LoadSettings& settings, bool spectra, bool damage,
                  const std::string& spectrumOption, const std::string& damageOption,
                  std::string* error) {
  const FatigueSettings& fatigue = settings.fatigue;
  if ((spectra || damage) && settings.effects.empty()) {
    return refuse((spectra ? spectrumOption : damageOption) + " needs at least one --effect",
                  error);
  }
  if (fatigue.rangeBin > 0.0 && !spectra) {
    return refuse("--range-bin needs " + spectrumOption + ", where the spectra go", error);
  }
  for (const LoadEffect& effect : settings.effects) {
    double narrowest = effect_fatigue::defaultBinWidth(effect.line) / maxBinsPerDefault;
    if (fatigue.rangeBin > 0.0 && fatigue.rangeBin < narrowest) {
      return refuse("--range-bin is " + numberText(fatigue.rangeBin) + "; accepted for " +
                        effect.name + ": at least " + numberText(narrowest) + " (a " +
                        "thousandth of its default bin), so that its spectrum stays small",
                    error);
    }
  }
  if (fatigue.gateGiven && !spectra && !damage) {
    return refuse("--fatigue-gate needs " + spectrumOption + " or " + damageOption, error);
  }
  return damageOptionsAgree(settings, damage, damageOption, error);
}

std::string usageLines() {
  return option_catalogue::usage(table(), helpColumn);
}

}  // namespace fatigue_options

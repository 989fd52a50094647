#include "campaign/FatigueSummary.h"

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "base/text/CsvField.h"
#include "base/text/NumberText.h"
#include "campaign/CampaignFolder.h"
#include "campaign/FatigueChart.h"
#include "cli/InputFile.h"
#include "cli/OutputFile.h"
#include "load/EffectFatigue.h"
#include "load/EffectKinds.h"
#include "load/FatigueRows.h"
#include "options/FatigueOptions.h"

namespace fs = std::filesystem;

namespace fatigue_summary {
namespace {

// The plan's effects with their fatigue settings, as the runs took them, and no bins or
// sums yet.
std::vector<EffectFatigue> plannedEffects(const CampaignPlan& plan) {
  LoadSettings settings;  // the effects by name only: their lines serve no sum
  const std::vector<std::string>& arguments = plan.loadArguments;
  std::string ignored;  // the plan's options were checked when it was made
  for (std::size_t i = 0; i + 1 < arguments.size(); i += 2) {
    if (arguments[i] == "--effect") {
      LoadEffect effect;
      effect.name = arguments[i + 1];
      settings.effects.push_back(effect);
    } else if (fatigue_options::isFatigueOption(arguments[i])) {
      fatigue_options::takeOption(arguments[i], arguments[i + 1], &settings.fatigue, &ignored);
    }
  }
  std::vector<FatigueOfEffect> fatigue = effect_fatigue::fatigueOfEffects(settings);
  std::vector<EffectFatigue> effects;
  for (std::size_t i = 0; i < fatigue.size(); ++i) {
    EffectFatigue effect;
    effect.name = settings.effects[i].name;
    effect.settings = fatigue[i];
    effect.gammaMf = settings.fatigue.gammaMf;
    for (double category : settings.fatigue.detailCategories) {
      effect.damage.push_back({category, 0.0, 0.0});
    }
    effects.push_back(effect);
  }
  return effects;
}

// The effect whose row `line` is, with the row's other fields; null when none.
EffectFatigue* rowOf(std::vector<EffectFatigue>& effects, const std::string& line,
                     std::vector<std::string>* fields) {
  for (EffectFatigue& effect : effects) {
    std::string start = csvField(effect.name) + ",";
    if (line.compare(0, start.size(), start) == 0) {
      fields->clear();
      std::stringstream rest(line.substr(start.size()));
      for (std::string field; std::getline(rest, field, ',');) {
        fields->push_back(field);
      }
      return &effect;
    }
  }
  return nullptr;
}

bool readNumbers(const std::vector<std::string>& fields, std::size_t count, double* values) {
  for (std::size_t i = 0; i < count; ++i) {
    if (i >= fields.size() || !readNumberText(fields[i], &values[i])) {
      return false;
    }
  }
  return true;
}

// Adds one spectrum row to its effect's bins, which every run writes in the same rising
// order of the same bin edges.
bool addSpectrumRow(EffectFatigue& effect, const std::vector<std::string>& fields) {
  double numbers[3];
  if (fields.size() != 4 || !readNumbers(fields, 3, numbers) || !(numbers[0] < numbers[1]) ||
      numbers[2] < 0.0) {
    return false;
  }
  effect.unit = fields[3];
  std::vector<SpectrumBin>& bins = effect.bins;
  auto at = std::lower_bound(bins.begin(), bins.end(), numbers[0],
                             [](const SpectrumBin& bin, double from) { return bin.from < from; });
  if (at == bins.end() || at->from != numbers[0]) {
    at = bins.insert(at, {numbers[0], numbers[1], 0.0});
  }
  at->cycles += numbers[2];
  return true;
}

bool addDamageRow(EffectFatigue& effect, const std::vector<std::string>& fields) {
  double numbers[3];
  if (fields.size() != 4 || !readNumbers(fields, 3, numbers) || numbers[1] < 0.0 ||
      numbers[2] < 0.0) {
    return false;
  }
  for (DamageSum& sum : effect.damage) {
    if (fatigue_rows::rangeText(sum.category) == fields[0]) {  // as the runs wrote it
      sum.cycles += numbers[1];
      sum.damage += numbers[2];
      return true;
    }
  }
  return false;
}

// Adds every row of one run's file. False, with *error naming the file and line, for a row
// that is none of the plan's.
bool addFile(const std::string& path, std::vector<EffectFatigue>& effects, bool spectra,
             std::string* error) {
  std::ifstream in;
  std::string problem = openInput(path, in);
  if (!problem.empty()) {
    *error = "it cannot be read: " + problem;
    return false;
  }
  std::string line;
  std::getline(in, line);  // the header, checked when the run was taken as made
  std::vector<std::string> fields;
  for (int number = 2; std::getline(in, line); ++number) {
    EffectFatigue* effect = rowOf(effects, line, &fields);
    bool added =
        effect && (spectra ? addSpectrumRow(*effect, fields) : addDamageRow(*effect, fields));
    if (!added) {
      *error = "line " + std::to_string(number) + " is \"" + line + "\", which is no " +
               (spectra ? "spectrum" : "damage") + " row of the plan's effects";
      return false;
    }
  }
  return true;
}

void writeSpectra(std::ostream& out, const std::vector<EffectFatigue>& effects) {
  out << fatigue_rows::spectrumHeader() << '\n';
  for (const EffectFatigue& effect : effects) {
    for (const SpectrumBin& bin : effect.bins) {
      out << csvField(effect.name) << ',' << fatigue_rows::rangeText(bin.from) << ','
          << fatigue_rows::rangeText(bin.to) << ',' << fatigue_rows::cyclesText(bin.cycles) << ','
          << effect.unit << '\n';
    }
  }
}

void writeDamage(std::ostream& out, const std::vector<EffectFatigue>& effects) {
  out << fatigue_rows::damageHeader() << '\n';
  for (const EffectFatigue& effect : effects) {
    for (std::size_t i = 0; i < effect.damage.size(); ++i) {
      const DamageSum& sum = effect.damage[i];
      double equivalent =
          effect.settings.curves[i].equivalentRange(sum.damage, effect.settings.gammaFf);
      out << csvField(effect.name) << ',' << fatigue_rows::rangeText(sum.category) << ','
          << fatigue_rows::cyclesText(sum.cycles) << ',' << fatigue_rows::damageText(sum.damage)
          << ',' << fatigue_rows::mpaText(equivalent) << '\n';
    }
  }
}

// Writes one of the campaign's files through `write`. False, with *error, when it cannot.
template <class Write>
bool writeFile(const std::string& campaignFolder, const char* name, Write write,
               std::string* error) {
  OutputFile file(std::string("the campaign's ") + name,
                  (fs::path(campaignFolder) / name).string());
  if (!file.open(error)) {
    return false;
  }
  write(file.stream());
  return file.commit(error);
}

std::string padded(const std::string& text, std::size_t width) {
  return text.size() >= width ? text + " " : text + std::string(width - text.size(), ' ');
}

double totalCycles(const EffectFatigue& effect) {
  double total = 0.0;
  for (const SpectrumBin& bin : effect.bins) {
    total += bin.cycles;
  }
  return total;
}

// The report's text for `years` simulated years.
std::string reportText(const std::vector<EffectFatigue>& effects, int years) {
  std::ostringstream out;
  out << "Fatigue: rainflow cycles of the exact load-effect histories over " << years
      << " simulated years\n";
  for (const EffectFatigue& effect : effects) {
    out << "\n"
        << effect.name << " (" << effect_kinds::describe(effect.name) << ")\n"
        << "  cycles counted: " << fatigue_rows::cyclesText(totalCycles(effect)) << "\n";
    if (effect.damage.empty()) {
      continue;
    }
    out << "  stress per unit: " << numberText(effect.settings.stressPerUnit) << " MPa per "
        << effect.unit << "; gamma_Mf " << numberText(effect.gammaMf) << ", gamma_Ff "
        << numberText(effect.settings.gammaFf) << "\n"
        << "  " << padded("category", 10) << padded("damaging cycles", 17)
        << padded("damage/year", 14) << padded("years to D=1", 14)
        << "equivalent range at 2e6 cycles\n";
    for (std::size_t i = 0; i < effect.damage.size(); ++i) {
      const DamageSum& sum = effect.damage[i];
      double perYear = sum.damage / years;
      std::string life = sum.damage > 0.0 ? numberText(years / sum.damage) : "none reached";
      double equivalent =
          effect.settings.curves[i].equivalentRange(sum.damage, effect.settings.gammaFf);
      out << "  " << padded(numberText(sum.category), 10)
          << padded(fatigue_rows::cyclesText(sum.cycles), 17) << padded(numberText(perYear), 14)
          << padded(life, 14) << fatigue_rows::mpaText(equivalent) << " MPa\n";
    }
  }
  return out.str();
}

}  // namespace

std::string fileProblem(const std::string& path, const CampaignPlan& plan, bool spectra) {
  std::vector<EffectFatigue> effects = plannedEffects(plan);
  std::string why;
  return addFile(path, effects, spectra, &why) ? "" : why;
}

bool combineFatigue(const std::string& campaignFolder, const CampaignPlan& plan,
                    std::string* error) {
  std::vector<EffectFatigue> effects = plannedEffects(plan);
  for (const PlannedRun& run : plan.runs()) {
    for (bool spectra : {true, false}) {
      std::string path = campaign_folder::runPath(
          campaignFolder, run.index,
          spectra ? campaign_folder::spectraFile : campaign_folder::damageFile);
      if ((spectra || plan.countsDamage()) && !addFile(path, effects, spectra, error)) {
        *error = "\"" + path + "\" " + *error;
        return false;
      }
    }
  }
  std::string report = reportText(effects, plan.years);
  bool written =
      writeFile(
          campaignFolder, spectraFile, [&](std::ostream& out) { writeSpectra(out, effects); },
          error) &&
      (!plan.countsDamage() || writeFile(
                                   campaignFolder, damageFile,
                                   [&](std::ostream& out) { writeDamage(out, effects); }, error)) &&
      writeFile(
          campaignFolder, chartFile,
          [&](std::ostream& out) { writeFatigueChart(out, effects, plan.years); }, error) &&
      writeFile(
          campaignFolder, reportFile, [&](std::ostream& out) { out << report; }, error);
  if (written) {
    std::cout << "\n" << report;
  }
  return written;
}

}  // namespace fatigue_summary

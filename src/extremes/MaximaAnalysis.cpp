#include "extremes/MaximaAnalysis.h"

#include <algorithm>
#include <cmath>

namespace {

// The event maxima must be of the maxima's days: each day's greatest event row its maximum.
bool eventsMatchMaxima(const EffectEvents& events, const EffectMaxima& maxima, std::string* error) {
  if (dailyMaximaOf(events).runs != maxima.runs) {
    *error =
        "the event maxima of " + events.effect +
        " are not of the maxima files' days: each "
        "day's greatest event value must be its maximum; accepted: both files of the same runs";
    return false;
  }
  if (events.unit != maxima.unit && !maxima.unit.empty()) {
    *error = "the event maxima give " + events.effect + " in " + events.unit +
             " and the maxima files in " + maxima.unit + "; accepted: files of one unit";
    return false;
  }
  return true;
}

EffectData dataOf(const EffectMaxima& effect, const std::vector<EffectEvents>& events,
                  const AnalysisSettings& settings) {
  EffectData data{effect.effect, effect.unit, {}, blockMaxima(effect, settings.blockDays), {},
                  nullptr};
  for (const std::vector<double>& run : effect.runs) {
    data.dailyMaxima.insert(data.dailyMaxima.end(), run.begin(), run.end());
  }
  if (settings.daysPerYear == std::floor(settings.daysPerYear)) {
    data.annualMaxima = blockMaxima(effect, static_cast<int>(settings.daysPerYear));
  }
  for (const EffectEvents& each : events) {
    if (each.effect == effect.effect) {
      data.events = &each;
    }
  }
  return data;
}

}  // namespace

bool joinEventMaxima(bool maximaGiven, std::vector<EffectMaxima>* effects,
                     const std::vector<EffectEvents>& events, std::string* error) {
  if (!maximaGiven) {
    for (const EffectEvents& effect : events) {
      effects->push_back(dailyMaximaOf(effect));
    }
    return true;
  }
  for (const EffectEvents& effect : events) {
    auto maxima = std::find_if(effects->begin(), effects->end(), [&effect](const EffectMaxima& m) {
      return m.effect == effect.effect;
    });
    if (maxima == effects->end()) {
      *error = "the event maxima hold " + effect.effect +
               ", which the maxima files do not; "
               "accepted: event maxima of the maxima files' effects";
      return false;
    }
    if (!eventsMatchMaxima(effect, *maxima, error)) {
      return false;
    }
  }
  return true;
}

bool analyseEffects(const std::vector<EffectMaxima>& effects,
                    const std::vector<EffectEvents>& events, const AnalysisSettings& settings,
                    std::vector<EffectAnalysis>* analyses, std::string* error) {
  for (const auto& given : settings.threshold.byEffect) {
    if (std::none_of(effects.begin(), effects.end(),
                     [&given](const EffectMaxima& e) { return e.effect == given.first; })) {
      *error = "--threshold names " + given.first +
               ", which the files do not hold; accepted: "
               "one of their effects";
      return false;
    }
  }
  for (const EffectMaxima& effect : effects) {
    analyses->emplace_back();
    if (!analyse(dataOf(effect, events, settings), settings, &analyses->back(), error)) {
      *error = effect.effect + " cannot be fitted: " + *error;
      return false;
    }
  }
  return true;
}

void writeCsvTable(std::ostream& out, const std::vector<EffectAnalysis>& analyses) {
  out << csvHeader() << '\n';
  for (const EffectAnalysis& analysis : analyses) {
    writeCsvRows(out, analysis);
  }
}

#include "extremes/CompositeFit.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "extremes/AnalysisLimits.h"
#include "extremes/Resampling.h"

namespace {

std::size_t countValues(const std::vector<double>& values) {
  return static_cast<std::size_t>(
      std::count_if(values.begin(), values.end(), [](double v) { return !std::isnan(v); }));
}

std::vector<double> valuesOnly(const std::vector<double>& values) {
  std::vector<double> present;
  std::copy_if(values.begin(), values.end(), std::back_inserter(present),
               [](double v) { return !std::isnan(v); });
  return present;
}

// Takes the class `from` into the class `into`, its neighbour: each day's greater value.
void merge(std::vector<EventClass>& classes, std::size_t from, std::size_t into,
           std::vector<std::string>& merges) {
  EventClass& target = classes[into];
  const EventClass& source = classes[from];
  merges.push_back("the class of " + source.label() + " has " +
                   std::to_string(source.daysWithValue) + " days with a value, fewer than " +
                   std::to_string(analysis_limits::wellFittedMaxima) +
                   "; merged into the class of " + target.label());
  for (std::size_t day = 0; day < target.values.size(); ++day) {
    double value = source.values[day];
    if (!std::isnan(value) && !(value <= target.values[day])) {
      target.values[day] = value;
    }
  }
  target.fewestTrucks = std::min(target.fewestTrucks, source.fewestTrucks);
  target.mostTrucks = std::max(target.mostTrucks, source.mostTrucks);
  target.orMore = target.orMore || source.orMore;
  target.daysWithValue = countValues(target.values);
  classes.erase(classes.begin() + static_cast<std::ptrdiff_t>(from));
}

// The classes of the events, those with too few days merged: from the top down into the
// class below, and the class of no trucks, last, into the class above.
std::vector<EventClass> classesOf(const EffectEvents& events, std::vector<std::string>& merges) {
  std::vector<EventClass> classes;
  for (std::size_t k = 0; k < events.byClass.size(); ++k) {
    EventClass c;
    c.fewestTrucks = c.mostTrucks = static_cast<int>(k);
    c.orMore = static_cast<int>(k) == events.topClass;
    c.values = events.byClass[k];
    c.daysWithValue = countValues(c.values);
    classes.push_back(c);
  }
  auto few = [](const EventClass& c) {
    return c.daysWithValue < static_cast<std::size_t>(analysis_limits::wellFittedMaxima);
  };
  for (std::size_t k = classes.size(); k-- > 1;) {
    if (few(classes[k])) {
      merge(classes, k, k - 1, merges);
    }
  }
  if (classes.size() > 1 && few(classes[0])) {
    merge(classes, 0, 1, merges);
  }
  return classes;
}

double classCumulative(const EventClass& c, double x) {
  if (c.constant) {
    return x >= c.fit.location ? 1.0 : 0.0;
  }
  return cumulative(c.fit, x);
}

double logDayCumulative(const std::vector<EventClass>& classes, double x) {
  double sum = 0.0;
  for (const EventClass& c : classes) {
    sum += std::log(c.emptyShare + (1.0 - c.emptyShare) * classCumulative(c, x));
  }
  return sum;
}

// The class's value of the uniform u: a draw from its distribution.
double classQuantile(const EventClass& c, double u) {
  return c.constant ? c.fit.location : quantile(c.fit, u);
}

// log F far below every value: the log of the share of days without a value in any class.
double logFloor(const std::vector<EventClass>& classes) {
  double sum = 0.0;
  for (const EventClass& c : classes) {
    sum += std::log(c.emptyShare);
  }
  return sum;
}

// The x where log F(x) reaches target (< 0), by bisection; NaN when no x does, as when the
// days without a value in any class are already more than the target asks for.
double solveLevel(const std::vector<EventClass>& classes, double target) {
  if (!(logFloor(classes) < target)) {
    return std::numeric_limits<double>::quiet_NaN();
  }
  double high = -std::numeric_limits<double>::infinity();
  double share = std::exp(target / static_cast<double>(classes.size()));
  for (const EventClass& c : classes) {
    high = std::max(high, classQuantile(c, share));  // every factor is at least share there
  }
  double low = high;
  double width = 1.0;
  for (const EventClass& c : classes) {
    width = std::max(width, c.constant ? 0.0 : c.fit.scale);
  }
  // Doublings past the range of a double end the search whatever the classes are.
  constexpr int maxDoublings = 2100;
  for (int i = 0; logDayCumulative(classes, low) > target; ++i) {
    if (i == maxDoublings || !std::isfinite(low)) {
      return std::numeric_limits<double>::quiet_NaN();
    }
    low -= width;
    width *= 2.0;
  }
  for (int i = 0; i < 200 && high - low > 1e-12 * std::max(1.0, std::fabs(high)); ++i) {
    double middle = 0.5 * (low + high);
    (logDayCumulative(classes, middle) < target ? low : high) = middle;
  }
  return 0.5 * (low + high);
}

double levelOf(const std::vector<EventClass>& classes, double years, double daysPerYear) {
  return solveLevel(classes, std::log1p(-1.0 / years) / daysPerYear);
}

// Each day's greatest value over the classes.
std::vector<double> dayMaxima(const std::vector<EventClass>& classes) {
  std::vector<double> maxima(classes.front().values.size(),
                             -std::numeric_limits<double>::infinity());
  for (const EventClass& c : classes) {
    for (std::size_t day = 0; day < maxima.size(); ++day) {
      if (!std::isnan(c.values[day])) {
        maxima[day] = std::max(maxima[day], c.values[day]);
      }
    }
  }
  return maxima;
}

double dayAndersonDarling(const std::vector<EventClass>& classes) {
  return andersonDarling(dayMaxima(classes),
                         [&classes](double x) { return std::exp(logDayCumulative(classes, x)); });
}

}  // namespace

std::string EventClass::label() const {
  std::string most = std::to_string(mostTrucks);
  std::string trucks = mostTrucks == 1 && !orMore && fewestTrucks == 1 ? " truck" : " trucks";
  if (orMore) {
    return (fewestTrucks == mostTrucks ? most : std::to_string(fewestTrucks)) + " or more trucks";
  }
  return fewestTrucks == mostTrucks ? most + trucks
                                    : std::to_string(fewestTrucks) + " to " + most + trucks;
}

bool fitComposite(const EffectEvents& events, CompositeModel* model, std::string* error) {
  CompositeModel result;
  result.classes = classesOf(events, result.merges);
  for (EventClass& c : result.classes) {
    c.emptyShare =
        1.0 - static_cast<double>(c.daysWithValue) / static_cast<double>(c.values.size());
    std::vector<double> present = valuesOnly(c.values);
    c.constant = !present.empty() && std::all_of(present.begin(), present.end(),
                                                 [&](double v) { return v == present[0]; });
    if (c.constant) {
      c.fit.location = present[0];
      continue;
    }
    if (!fitExtremes(present, ExtremeModel::gev, &c.fit, error)) {
      *error = "the class of " + c.label() + ": " + *error;
      return false;
    }
  }
  result.dayAndersonDarling = dayAndersonDarling(result.classes);
  *model = result;
  return true;
}

double dayCumulative(const CompositeModel& model, double x) {
  return std::exp(logDayCumulative(model.classes, x));
}

double compositeLevel(const CompositeModel& model, double years, double daysPerYear) {
  return levelOf(model.classes, years, daysPerYear);
}

CompositeResampling resampleComposite(const CompositeModel& model,
                                      const std::vector<double>& returnYears, double daysPerYear,
                                      int resamples, std::uint64_t seed) {
  struct Outcome {
    bool fitted = false;
    std::vector<double> levels;  // by return period
    bool atLeast = false;        // its A^2 is at least the data's
  };
  std::vector<Outcome> outcomes(static_cast<std::size_t>(std::max(resamples, 0)));
  forEachResample(resamples, seed, [&](int index, UniformStream& uniform) {
    std::vector<EventClass> drawn = model.classes;
    for (EventClass& c : drawn) {
      if (c.constant) {
        continue;
      }
      for (double& value : c.values) {
        if (!std::isnan(value)) {
          value = quantile(c.fit, uniform.next());
        }
      }
      if (!refit(valuesOnly(c.values), c.fit, &c.fit)) {
        return;
      }
    }
    Outcome& outcome = outcomes[static_cast<std::size_t>(index)];
    for (double years : returnYears) {
      outcome.levels.push_back(levelOf(drawn, years, daysPerYear));
    }
    outcome.atLeast = dayAndersonDarling(drawn) >= model.dayAndersonDarling;
    outcome.fitted = true;
  });
  CompositeResampling result;
  std::vector<std::vector<double>> levels(returnYears.size());
  int atLeast = 0;
  for (const Outcome& outcome : outcomes) {
    if (!outcome.fitted) {
      continue;
    }
    ++result.resamples;
    atLeast += outcome.atLeast ? 1 : 0;
    for (std::size_t t = 0; t < returnYears.size(); ++t) {
      if (!std::isnan(outcome.levels[t])) {
        levels[t].push_back(outcome.levels[t]);  // a resample may have no level
      }
    }
  }
  for (const std::vector<double>& resampled : levels) {
    bool any = !resampled.empty();
    result.lower.push_back(any ? percentile(resampled, 0.025) : std::nan(""));
    result.upper.push_back(any ? percentile(resampled, 0.975) : std::nan(""));
  }
  result.pValue = result.resamples > 0 ? (1.0 + atLeast) / (1.0 + result.resamples) : std::nan("");
  return result;
}

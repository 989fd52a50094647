#include "extremes/EffectAnalysis.h"

#include <gsl/gsl_cdf.h>

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/text/CsvField.h"
#include "cli/ProgramFrame.h"
#include "extremes/Resampling.h"

namespace {

std::string number(double value, const char* format = "%.6g") {
  if (!std::isfinite(value)) {
    return "n/a";
  }
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string interval(const ReturnLevel& level) {
  if (!level.intervalFound) {
    return "[not found]";
  }
  return "[" + number(level.lower) + ", " + number(level.upper) + "]";
}

// The models every effect is fitted with, in the order they are reported.
const ModelLook catalogue[] = {
    {ModelKind::gev, "gev", "GEV",
     "GEV of the block maxima, shape xi > 0 a heavy upper tail (scipy's genextreme c = -xi):",
     "GEV of the block maxima", "#1f5fa8", "", "#9cc3e6"},
    {ModelKind::gumbel, "gumbel", "Gumbel",
     "Gumbel of the block maxima:", "Gumbel of the block maxima", "#d9822b", "6,4", "#f3c99b"},
    {ModelKind::peaksOverThreshold, "gpd", "GPD",
     "generalized Pareto of the daily maxima over a threshold (scipy's genpareto c = xi):",
     "generalized Pareto over a threshold", "#2e8b57", "2,3", "#a8d8b9"},
    {ModelKind::composite, "composite", "composite",
     "composite of a GEV for each loading event (trucks on the bridge):",
     "composite by loading event", "#8b2e8b", "9,3,2,3", "#dcb0dc"},
};

const char* const profileMethod = "profile likelihood";

// The unit as the report and the chart name it.
std::string unitText(const EffectAnalysis& analysis) {
  return analysis.unit.empty() ? "the maxima files' unit" : analysis.unit;
}

// What a model's fitted values are, for its warnings: "block maxima".
const char* valuesName(ModelKind kind) {
  return kind == ModelKind::peaksOverThreshold ? "excesses over the threshold" : "block maxima";
}

}  // namespace

namespace {

void warnAboutShape(const std::string& fit, const ExtremeValueFit& parameters,
                    std::vector<std::string>& warnings) {
  if (parameters.model != ExtremeModel::gumbel &&
      !(parameters.shapeError <= std::fabs(parameters.shape))) {
    warnings.push_back(fit + ": the shape " + number(parameters.shape) +
                       " has a standard error of " + number(parameters.shapeError) +
                       ", more than its size: the kind of upper tail is not known");
  }
}

// The warnings of the whole fit: too few values, an unknown kind of tail, a failed test.
void diagnoseFit(FittedModel* model) {
  std::string fit = std::string("the ") + model->look.label + " fit";
  const auto wellFitted = static_cast<std::size_t>(analysis_limits::wellFittedMaxima);
  if (model->look.kind == ModelKind::composite) {
    for (const EventClass& c : model->composite.classes) {
      std::string ofClass = fit + ", class of " + c.label();
      if (c.daysWithValue < wellFitted) {
        model->warnings.push_back(ofClass + ", rests on " + std::to_string(c.daysWithValue) +
                                  " days; " + std::to_string(wellFitted) +
                                  " or more make a fit to rely on");
      }
      if (!c.constant) {
        warnAboutShape(ofClass, c.fit, model->warnings);
      }
    }
  } else {
    if (model->fitted.size() < wellFitted) {
      model->warnings.push_back(fit + " rests on " + std::to_string(model->fitted.size()) + " " +
                                valuesName(model->look.kind) + "; " + std::to_string(wellFitted) +
                                " or more make a fit to rely on");
    }
    warnAboutShape(fit, model->fit, model->warnings);
  }
  if (!model->passes()) {
    model->warnings.push_back(fit + " fails its goodness-of-fit test: Anderson-Darling p " +
                              number(model->pValue, "%.3g") + ", below " +
                              number(analysis_limits::passingPValue));
  }
}

// The warnings of each return period: a level far beyond the data, an interval not found.
void diagnoseLevels(double largest, FittedModel* model) {
  std::string fit = std::string("the ") + model->look.label + " fit";
  for (const ReturnLevel& level : model->levels) {
    std::vector<std::string> warnings;
    std::string period = fit + ": the " + number(level.years) + "-year level";
    if (std::isnan(level.level)) {
      warnings.push_back(period +
                         " does not exist: the days without a value in the classes "
                         "leave the day's distribution above 1 - 1/T at every level; a longer "
                         "return period has one");
      model->levelWarnings.push_back(warnings);
      continue;
    }
    if (largest > 0 && level.level > analysis_limits::farBeyondData * largest) {
      warnings.push_back(period + " " + number(level.level) + " is " +
                         number(level.level / largest, "%.2g") +
                         " times the largest daily maximum, " + number(largest));
    }
    bool sought = model->look.kind != ModelKind::composite || model->tested;
    if (!level.intervalFound && sought) {
      warnings.push_back(
          model->look.kind == ModelKind::composite
              ? period + " has no 95 % interval: no resample of the bootstrap could be fitted"
              : period +
                    " has no 95 % interval: the profile likelihood does not fall to its "
                    "limit on one side, as when the values are too few for so long a period");
    }
    model->levelWarnings.push_back(warnings);
  }
}

const FittedModel* modelOf(const EffectAnalysis& analysis, ModelKind kind) {
  for (const FittedModel& fitted : analysis.models) {
    if (fitted.look.kind == kind) {
      return &fitted;
    }
  }
  return nullptr;
}

LikelihoodRatio testGumbelAgainstGev(const EffectAnalysis& analysis) {
  const FittedModel* gev = modelOf(analysis, ModelKind::gev);
  const FittedModel* gumbel = modelOf(analysis, ModelKind::gumbel);
  LikelihoodRatio test;
  if (gev == nullptr || gumbel == nullptr) {
    return test;
  }
  test.tested = true;
  // The GEV's maximum is at least the Gumbel's; a hair below it is the optimiser's rounding.
  test.statistic = std::max(0.0, 2.0 * (gev->fit.logLikelihood - gumbel->fit.logLikelihood));
  test.pValue = gsl_cdf_chisq_Q(test.statistic, 1.0);
  return test;
}

// The threshold of the effect and the words that say how it was chosen.
double chooseThreshold(const EffectData& data, const ThresholdSettings& settings,
                       std::string* rule) {
  auto own = settings.byEffect.find(data.effect);
  if (own != settings.byEffect.end()) {
    *rule = "given for " + data.effect;
    return own->second;
  }
  if (settings.forAll) {
    *rule = "given";
    return settings.value;
  }
  if (settings.byQuantile) {
    *rule = "the " + number(settings.quantile) + " quantile of the daily maxima";
    return thresholdAtQuantile(data.dailyMaxima, settings.quantile);
  }
  *rule = "the default: it leaves the greater of 5 % of the days and 50 days above it";
  return defaultThreshold(data.dailyMaxima);
}

// A profile-likelihood model's levels, band levels (from its shortest period on) and
// goodness-of-fit p-value.
void completeLikelihoodModel(const AnalysisSettings& settings, FittedModel* model) {
  for (double years : settings.returnYears) {
    model->levels.push_back(returnLevel(model->fitted, model->fit, years, model->perYear));
  }
  std::vector<double> band = settings.forChart ? bandYears(settings) : std::vector<double>();
  for (double years : band) {
    if (years < shortestYearsOf(*model)) {
      continue;
    }
    auto asked = std::find(settings.returnYears.begin(), settings.returnYears.end(), years);
    model->bandLevels.push_back(
        asked != settings.returnYears.end()
            ? model->levels[static_cast<std::size_t>(asked - settings.returnYears.begin())]
            : returnLevel(model->fitted, model->fit, years, model->perYear));
  }
  model->intervalMethod = profileMethod;
  model->tested = settings.resamples > 0;
  if (model->tested) {
    model->pValue = bootstrapPValue(model->fitted, model->fit, settings.resamples, settings.seed);
  }
}

// The composite's levels, with their bootstrap intervals, at the return and band periods.
void completeComposite(const AnalysisSettings& settings, FittedModel* model) {
  std::vector<double> years = settings.returnYears;
  std::vector<double> band = settings.forChart ? bandYears(settings) : std::vector<double>();
  years.insert(years.end(), band.begin(), band.end());
  CompositeResampling resampling;
  model->tested = settings.resamples > 0;
  if (model->tested) {
    resampling = resampleComposite(model->composite, years, settings.daysPerYear,
                                   settings.resamples, settings.seed);
    model->pValue = resampling.pValue;
  }
  model->intervalMethod =
      model->tested ? "bootstrap of " + std::to_string(resampling.resamples) + " resamples"
                    : std::string("no bootstrap, --resamples 0");
  for (std::size_t i = 0; i < years.size(); ++i) {
    ReturnLevel level;
    level.years = years[i];
    level.level = compositeLevel(model->composite, years[i], settings.daysPerYear);
    level.intervalFound = model->tested && std::isfinite(resampling.lower[i]);
    level.lower = level.intervalFound ? resampling.lower[i] : 0.0;
    level.upper = level.intervalFound ? resampling.upper[i] : 0.0;
    (i < settings.returnYears.size() ? model->levels : model->bandLevels).push_back(level);
  }
  model->fit.andersonDarling = model->composite.dayAndersonDarling;
}

// Fits the model of the look. False, with *error, when it cannot be fitted.
bool fitModel(const EffectData& data, const AnalysisSettings& settings, FittedModel* model,
              std::string* error) {
  switch (model->look.kind) {
    case ModelKind::gev:
    case ModelKind::gumbel:
      model->fitted = data.blockMaxima;
      model->perYear = settings.daysPerYear / settings.blockDays;
      return fitExtremes(
          model->fitted,
          model->look.kind == ModelKind::gev ? ExtremeModel::gev : ExtremeModel::gumbel,
          &model->fit, error);
    case ModelKind::peaksOverThreshold: {
      double threshold = chooseThreshold(data, settings.threshold, &model->thresholdRule);
      model->perYear = settings.daysPerYear;
      if (!fitExcesses(data.dailyMaxima, threshold, &model->fit, error)) {
        return false;
      }
      model->fitted = fittedValues(data.dailyMaxima, model->fit);
      return true;
    }
    case ModelKind::composite:
      model->fitted = data.dailyMaxima;
      model->perYear = settings.daysPerYear;
      return fitComposite(*data.events, &model->composite, error);
  }
  return false;
}

}  // namespace

std::vector<double> bandYears(const AnalysisSettings& settings) {
  double longest = *std::max_element(settings.returnYears.begin(), settings.returnYears.end());
  std::vector<double> years = settings.returnYears;
  years.insert(years.end(), {chartShortestYears, 1.01, 1.1, 1.5, longest * chartReach});
  for (double decade = 2.0; decade < longest; decade = decade < 10.0 ? 10.0 : decade * 10.0) {
    years.push_back(decade);
  }
  std::sort(years.begin(), years.end());
  years.erase(std::unique(years.begin(), years.end()), years.end());
  return years;
}

double shortestYearsOf(const FittedModel& model) {
  return model.look.kind == ModelKind::peaksOverThreshold ? 2.0 : chartShortestYears;
}

double levelOfModel(const FittedModel& model, double years) {
  if (model.look.kind == ModelKind::composite) {
    return compositeLevel(model.composite, years, model.perYear);
  }
  return levelOfYears(model.fit, years, model.perYear);
}

std::vector<std::string> warningsOf(const EffectAnalysis& analysis) {
  std::vector<std::string> all;
  for (const std::string& reason : analysis.notFitted) {
    all.push_back(analysis.effect + ": " + reason);
  }
  for (const FittedModel& model : analysis.models) {
    for (const std::string& warning : model.warnings) {
      all.push_back(analysis.effect + ": " + warning);
    }
    for (const std::vector<std::string>& warnings : model.levelWarnings) {
      for (const std::string& warning : warnings) {
        all.push_back(analysis.effect + ": " + warning);
      }
    }
  }
  return all;
}

bool analyse(const EffectData& data, const AnalysisSettings& settings, EffectAnalysis* analysis,
             std::string* error) {
  analysis->effect = data.effect;
  analysis->unit = data.unit;
  analysis->maxima = data.blockMaxima;
  analysis->days = data.dailyMaxima.size();
  double largest = *std::max_element(data.dailyMaxima.begin(), data.dailyMaxima.end());
  for (const ModelLook& look : catalogue) {
    if (look.kind == ModelKind::composite && data.events == nullptr) {
      continue;
    }
    FittedModel model{look, {}, {}, 0.0, {}, {}, 0.0, false, {}, {}, {}, {}, {}};
    if (!fitModel(data, settings, &model, error)) {
      if (look.kind == ModelKind::gev || look.kind == ModelKind::gumbel) {
        return false;
      }
      analysis->notFitted.push_back(std::string("no ") + look.label + " fit: " + *error);
      continue;
    }
    if (look.kind == ModelKind::composite) {
      completeComposite(settings, &model);
    } else {
      completeLikelihoodModel(settings, &model);
    }
    diagnoseFit(&model);
    diagnoseLevels(largest, &model);
    analysis->models.push_back(model);
  }
  analysis->gumbelAgainstGev = testGumbelAgainstGev(*analysis);
  if (settings.forChart) {
    analysis->thresholds = thresholdDiagnostics(data.dailyMaxima);
  }
  analysis->annualMaxima = data.annualMaxima;
  analysis->longRun = longRunLevels(data.annualMaxima, settings.returnYears);
  return true;
}

namespace {

std::string testResult(const FittedModel& model) {
  if (!model.tested) {
    return "not tested";
  }
  return "Anderson-Darling p " + number(model.pValue, "%.3g") +
         (model.passes() ? ", passes at 5 %" : ", fails at 5 %");
}

void writeParameters(std::ostream& out, const ExtremeValueFit& fit) {
  out << "    location mu    " << number(fit.location) << " +/- " << number(fit.locationError)
      << "\n"
      << "    scale sigma    " << number(fit.scale) << " +/- " << number(fit.scaleError) << "\n";
  if (fit.model != ExtremeModel::gumbel) {
    out << "    shape xi       " << number(fit.shape) << " +/- " << number(fit.shapeError) << "\n";
  }
}

void writeThresholdModel(std::ostream& out, const FittedModel& model, std::size_t days) {
  const ExtremeValueFit& fit = model.fit;
  out << "    threshold u    " << number(fit.location) << " (" << model.thresholdRule << "); "
      << model.fitted.size() << " of " << days << " days above it, zeta_u "
      << number(fit.exceedanceRate, "%.4g") << "\n"
      << "    scale sigma    " << number(fit.scale) << " +/- " << number(fit.scaleError) << "\n"
      << "    shape xi       " << number(fit.shape) << " +/- " << number(fit.shapeError) << "\n";
}

void writeComposite(std::ostream& out, const CompositeModel& composite) {
  for (const EventClass& c : composite.classes) {
    out << "    " << c.label() << ": " << c.daysWithValue << " days with a value (q "
        << number(c.emptyShare, "%.4g") << "), ";
    if (c.constant) {
      out << "every one " << number(c.fit.location) << "\n";
      continue;
    }
    out << "mu " << number(c.fit.location) << " +/- " << number(c.fit.locationError) << ", sigma "
        << number(c.fit.scale) << " +/- " << number(c.fit.scaleError) << ", xi "
        << number(c.fit.shape) << " +/- " << number(c.fit.shapeError) << ", A^2 "
        << number(c.fit.andersonDarling, "%.4f") << "\n";
  }
  for (const std::string& merge : composite.merges) {
    out << "    " << merge << "\n";
  }
}

void writeModel(std::ostream& out, const FittedModel& model, std::size_t days) {
  out << "  " << model.look.title << "\n";
  const ExtremeValueFit& fit = model.fit;
  switch (model.look.kind) {
    case ModelKind::composite:
      writeComposite(out, model.composite);
      out << "    the daily maxima against the composite: Anderson-Darling A^2 "
          << number(fit.andersonDarling, "%.4f") << "\n";
      break;
    case ModelKind::peaksOverThreshold:
      writeThresholdModel(out, model, days);
      break;
    default:
      writeParameters(out, fit);
  }
  if (model.look.kind != ModelKind::composite) {
    out << "    log-likelihood " << number(fit.logLikelihood, "%.10g") << ", Kolmogorov-Smirnov D "
        << number(fit.kolmogorovSmirnov, "%.4f") << ", Anderson-Darling A^2 "
        << number(fit.andersonDarling, "%.4f") << "\n";
  }
  out << "    goodness of fit: " << testResult(model) << "\n";
}

std::string longRunText(const EffectAnalysis& analysis, const LongRunLevel& level) {
  if (!level.read) {
    return "not read: the maxima hold " + std::to_string(analysis.annualMaxima.size()) + " years";
  }
  return number(level.level) + " " +
         (level.intervalFound ? "[" + number(level.lower) + ", " + number(level.upper) + "]"
                              : std::string("[not found: too few years for a distribution-free "
                                            "interval]"));
}

// Every model's level of each return period side by side, with its interval and whether
// it passes its goodness-of-fit test.
void writeSummary(std::ostream& out, const EffectAnalysis& analysis,
                  const AnalysisSettings& settings) {
  out << "  return levels in " << unitText(analysis) << ", "
      << (settings.daysPerYear == 1.0 ? "1 day" : number(settings.daysPerYear) + " days")
      << " a year, with 95 % intervals; a model passes when its Anderson-Darling p is "
      << number(analysis_limits::passingPValue) << " or more:\n";
  for (std::size_t i = 0; i < settings.returnYears.size(); ++i) {
    out << "    " << number(settings.returnYears[i]) << " years:\n";
    for (const FittedModel& model : analysis.models) {
      char label[32];
      std::snprintf(label, sizeof label, "%-10s", model.look.label);
      if (std::isnan(model.levels[i].level)) {
        out << "      " << label << " none: no level solves it\n";
        continue;
      }
      out << "      " << label << " " << number(model.levels[i].level) << " "
          << (model.look.kind == ModelKind::composite && !model.tested ? "[none]"
                                                                       : interval(model.levels[i]))
          << " (" << model.intervalMethod << "), "
          << (!model.tested    ? "not tested"
              : model.passes() ? "passes"
                               : "fails")
          << "\n";
    }
    if (!analysis.annualMaxima.empty()) {
      out << "      long-run   " << longRunText(analysis, analysis.longRun[i]) << "\n";
    }
  }
  if (!analysis.annualMaxima.empty()) {
    out << "    (long-run: read from the " << analysis.annualMaxima.size()
        << " annual maxima without a model, Weibull plotting positions i/(n+1), 95 % interval "
           "from the order statistics)\n";
  }
}

// "200 maxima of 1-day blocks from 200 days", "65 annual maxima from 65 days", and the days
// at runs' ends that fill no block.
std::string blocksText(const EffectAnalysis& analysis, const AnalysisSettings& settings) {
  auto blocks = static_cast<long long>(analysis.maxima.size());
  auto days = static_cast<long long>(analysis.days);
  bool annual = settings.blockDays == settings.daysPerYear;
  std::string text = annual ? program_frame::countOf(blocks, "annual maximum", "annual maxima")
                            : program_frame::countOf(blocks, "maximum", "maxima") + " of " +
                                  std::to_string(settings.blockDays) + "-day blocks";
  text += " from " + program_frame::countOf(days, "day");
  long long leftOut = days - blocks * settings.blockDays;
  if (leftOut > 0) {
    text += "; " + program_frame::countOf(leftOut, "day") + " at the runs' ends, " +
            (leftOut == 1 ? "which fills" : "which fill") + " no " +
            std::to_string(settings.blockDays) + "-day block, left out";
  }
  return text;
}

}  // namespace

void writeReport(std::ostream& out, const EffectAnalysis& analysis,
                 const AnalysisSettings& settings) {
  out << analysis.effect << ": " << blocksText(analysis, settings) << " (values in "
      << unitText(analysis) << ")\n";
  for (const FittedModel& model : analysis.models) {
    writeModel(out, model, analysis.days);
  }
  const LikelihoodRatio& test = analysis.gumbelAgainstGev;
  if (test.tested) {
    out << "  Gumbel against GEV: likelihood-ratio statistic " << number(test.statistic, "%.4f")
        << ", p " << number(test.pValue, "%.6g")
        << " (chi-squared, 1 degree of freedom): the Gumbel fit is "
        << (test.pValue < 0.05 ? "rejected" : "not rejected") << " at 5 %\n";
  }
  writeSummary(out, analysis, settings);
  for (const std::string& warning : warningsOf(analysis)) {
    out << "  warning: " << warning.substr(analysis.effect.size() + 2) << "\n";
  }
}

const char* csvHeader() {
  return "effect,model,blocks,location,location_se,scale,scale_se,shape,shape_se,"
         "log_likelihood,ks_d,ad_a2,return_years,return_level,lower_95,upper_95,ad_p,passes,"
         "unit,warnings";
}

namespace {

// The parameter columns, location to ks_d; empty for the composite, whose parameters are
// its classes'.
std::string parameterColumns(const FittedModel& model) {
  if (model.look.kind == ModelKind::composite) {
    return ",,,,,,,";
  }
  const ExtremeValueFit& fit = model.fit;
  return number(fit.location, "%.10g") + ',' + number(fit.locationError, "%.10g") + ',' +
         number(fit.scale, "%.10g") + ',' + number(fit.scaleError, "%.10g") + ',' +
         number(fit.shape, "%.10g") + ',' + number(fit.shapeError, "%.10g") + ',' +
         number(fit.logLikelihood, "%.10g") + ',' + number(fit.kolmogorovSmirnov, "%.6g");
}

void writeModelRows(std::ostream& out, const EffectAnalysis& analysis, const FittedModel& model) {
  for (std::size_t i = 0; i < model.levels.size(); ++i) {
    const ReturnLevel& level = model.levels[i];
    std::string warnings;
    for (const auto* list : {&model.warnings, &model.levelWarnings[i]}) {
      for (const std::string& warning : *list) {
        warnings += (warnings.empty() ? "" : "; ") + warning;
      }
    }
    out << csvField(analysis.effect) << ',' << model.look.name << ',' << model.fitted.size() << ','
        << parameterColumns(model) << ',' << number(model.fit.andersonDarling, "%.6g") << ','
        << number(level.years) << ','
        << (std::isnan(level.level) ? "" : number(level.level, "%.10g")) << ','
        << (level.intervalFound ? number(level.lower, "%.10g") : "") << ','
        << (level.intervalFound ? number(level.upper, "%.10g") : "") << ','
        << (model.tested ? number(model.pValue, "%.6g") : "") << ','
        << (model.tested ? (model.passes() ? "yes" : "no") : "") << ',' << csvField(analysis.unit)
        << ',' << csvField(warnings) << '\n';
  }
}

}  // namespace

void writeCsvRows(std::ostream& out, const EffectAnalysis& analysis) {
  for (const FittedModel& model : analysis.models) {
    writeModelRows(out, analysis, model);
  }
  for (const LongRunLevel& level : analysis.longRun) {
    if (level.read) {
      out << csvField(analysis.effect) << ",long-run," << analysis.annualMaxima.size()
          << ",,,,,,,,,," << number(level.years) << ',' << number(level.level, "%.10g") << ','
          << (level.intervalFound ? number(level.lower, "%.10g") : "") << ','
          << (level.intervalFound ? number(level.upper, "%.10g") : "") << ",,,"
          << csvField(analysis.unit) << ",\n";
    }
  }
}

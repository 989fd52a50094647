// One effect's extreme-value analysis: the models fitted to its maxima with their return
// levels and diagnostics, side by side, and how they are written: as a text report, as CSV
// rows and as a return-level chart. The models are the GEV and the Gumbel distribution of
// the block maxima, the generalized Pareto distribution of the daily maxima over a
// threshold and, from event maxima, the composite of a GEV per loading event; beside them
// the long-run levels read from the annual maxima without a model. The writers go through
// the list of models, so a new model is a new fitting unit and one entry of the catalogue
// in EffectAnalysis.cpp.
#pragma once

#include <cstdint>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "base/Calendar.h"
#include "extremes/AnalysisLimits.h"
#include "extremes/CompositeFit.h"
#include "extremes/ExtremeValueFit.h"
#include "extremes/LongRunLevels.h"
#include "extremes/ThresholdChoice.h"

// How the peaks-over-threshold fit's threshold is chosen, in this order: the effect's own,
// the one for every effect, a quantile of the daily maxima, else the default rule.
struct ThresholdSettings {
  std::map<std::string, double> byEffect;
  bool forAll = false;
  double value = 0.0;
  bool byQuantile = false;
  double quantile = 0.0;
};

struct AnalysisSettings {
  int blockDays = 1;
  double daysPerYear = calendar::daysPerYear;
  std::vector<double> returnYears{analysis_limits::defaultReturnYears.begin(),
                                  analysis_limits::defaultReturnYears.end()};
  bool returnYearsGiven = false;  // the first period given replaced the default ones
  ThresholdSettings threshold;
  int resamples = analysis_limits::defaultResamples;  // of each bootstrap; 0: none
  bool forChart = false;  // also the bands and the threshold diagnostics the chart draws
  std::uint64_t seed = analysis_limits::defaultSeed;  // of the bootstraps
};

// What one effect's analysis starts from.
struct EffectData {
  std::string effect;
  std::string unit;                 // "" when unknown
  std::vector<double> dailyMaxima;  // every day of every run, run after run
  std::vector<double> blockMaxima;
  std::vector<double> annualMaxima;      // empty when years are no whole number of days
  const EffectEvents* events = nullptr;  // for the composite model; none without
};

enum class ModelKind { gev, gumbel, peaksOverThreshold, composite };

// How a model is named and drawn.
struct ModelLook {
  ModelKind kind;
  const char* name;    // as the table names it: "gev"
  const char* label;   // as the report's return levels name it: "GEV"
  const char* title;   // the report's heading of its parameters
  const char* legend;  // the chart's legend
  const char* colour;  // of its curve and legend on the chart
  const char* dashes;  // the curve's SVG dash pattern; "" for a solid line
  const char* fill;    // of its 95 % band
};

// One model fitted to an effect's maxima.
struct FittedModel {
  ModelLook look;
  ExtremeValueFit fit;              // parameters, standard errors, likelihood, diagnostics; for the
                                    // composite its parameters are its classes'
  std::vector<double> fitted;       // the values fitted: block maxima, or daily maxima above the
                                    // threshold; for the composite the daily maxima
  double perYear = 0.0;             // the fitted values' blocks (or days) in a year
  CompositeModel composite;         // the composite's classes
  std::string thresholdRule;        // how the gpd's threshold was chosen
  double pValue = 0.0;              // of the Anderson-Darling A^2, by bootstrap; NaN: not found
  bool tested = false;              // the p-value was sought (the bootstrap had resamples)
  std::vector<ReturnLevel> levels;  // by return period
  std::vector<ReturnLevel> bandLevels;  // at the chart's band periods, when forChart
  std::string intervalMethod;           // "profile likelihood", "bootstrap of 200 resamples"
  bool passes() const { return !tested || !(pValue < analysis_limits::passingPValue); }
  // What makes the fit or a level doubtful, one line each: for the whole fit (too few
  // maxima, a shape whose standard error exceeds it), and by return period (a level far
  // beyond the data, an interval bound not found).
  std::vector<std::string> warnings;
  std::vector<std::vector<std::string>> levelWarnings;  // by return period
};

// The likelihood-ratio test of the Gumbel fit against the GEV fit, which nests it (the GEV
// with its shape held at 0): statistic 2 (log-likelihood of the GEV - of the Gumbel),
// chi-squared with 1 degree of freedom under the Gumbel model.
struct LikelihoodRatio {
  bool tested = false;  // both models were fitted
  double statistic = 0.0;
  double pValue = 1.0;
};

struct EffectAnalysis {
  std::string effect;
  std::string unit;                        // of the maxima and levels; "" when unknown
  std::vector<double> maxima;              // of the blocks
  std::size_t days = 0;                    // daily maxima
  std::vector<FittedModel> models;         // in the catalogue's order; those that could be fitted
  std::vector<std::string> notFitted;      // a line for each model that could not be
  std::vector<ThresholdPoint> thresholds;  // the threshold diagnostics, when forChart
  LikelihoodRatio gumbelAgainstGev;
  std::vector<double> annualMaxima;   // for the long-run levels; empty when years are no
                                      // whole number of days
  std::vector<LongRunLevel> longRun;  // by return period
};

// The chart shows return periods from chartShortestYears (or the smallest block maximum's,
// when shorter) to chartReach times the longest asked for.
constexpr double chartShortestYears = 1.001;
constexpr double chartReach = 1.5;

// The return periods at which the chart draws bands, across every period it shows from
// 1.001 years: 1.001, 1.01, 1.1, 1.5, 2, 10, 100, ... years, those asked for, and its
// right edge.
std::vector<double> bandYears(const AnalysisSettings& settings);

// The shortest return period the chart draws a model at: the generalized Pareto's levels
// count on exceedances being rare within a year, so it starts at 2 years.
double shortestYearsOf(const FittedModel& model);

// The level of `years` of a fitted model.
double levelOfModel(const FittedModel& model, double years);

// Fits every model of the catalogue to the data and reads the long-run levels. False, with
// *error saying why, when the GEV or the Gumbel distribution cannot be fitted; a
// peaks-over-threshold or composite fit that cannot be made is named in notFitted.
bool analyse(const EffectData& data, const AnalysisSettings& settings, EffectAnalysis* analysis,
             std::string* error);

// Every warning of the analysis, each starting with the effect.
std::vector<std::string> warningsOf(const EffectAnalysis& analysis);

// The report of one effect, for the console.
void writeReport(std::ostream& out, const EffectAnalysis& analysis,
                 const AnalysisSettings& settings);

// The CSV table's header, and one effect's rows: one per model and return period.
const char* csvHeader();
void writeCsvRows(std::ostream& out, const EffectAnalysis& analysis);

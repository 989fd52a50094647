// One effect's extreme-value analysis: its block maxima, the models fitted to them with
// their return levels, and how they are written: as a text report, as CSV rows and as a
// return-level chart. The writers go through the list of models, so a new model is a new
// fitting unit and one entry of the catalogue in EffectAnalysis.cpp.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "extremes/AnalysisLimits.h"
#include "extremes/ExtremeValueFit.h"
#include "extremes/LongRunLevels.h"
#include "output/Calendar.h"

struct AnalysisSettings {
  int blockDays = 1;
  double daysPerYear = calendar::daysPerYear;
  std::vector<double> returnYears{analysis_limits::defaultReturnYears.begin(),
                                  analysis_limits::defaultReturnYears.end()};
};

// How a model is named and drawn.
struct ModelLook {
  const char* name;        // as the table names it: "gev"
  const char* label;       // as the report's return levels name it: "GEV"
  const char* title;       // the report's heading of its parameters
  const char* legend;      // the chart's legend
  const char* colour;      // of its curve and legend on the chart
  const char* dashes;      // the curve's SVG dash pattern; "" for a solid line
  bool band;               // the chart draws its 95 % band
};

// One model fitted to an effect's block maxima.
struct FittedModel {
  ModelLook look;
  ExtremeValueFit fit;               // parameters, standard errors, likelihood, diagnostics
  std::vector<ReturnLevel> levels;  // by return period
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
  std::string unit;                 // of the maxima and levels; "" when unknown
  std::vector<double> maxima;       // of the blocks
  std::vector<FittedModel> models;  // in the catalogue's order
  LikelihoodRatio gumbelAgainstGev;
  std::vector<double> annualMaxima;  // for the long-run levels; empty when years are no
                                     // whole number of days
  std::vector<LongRunLevel> longRun;  // by return period

  double blocksPerYear(const AnalysisSettings& settings) const {
    return settings.daysPerYear / settings.blockDays;
  }
};

// Reads the long-run levels of the return periods from the annual maxima, without a model.
void readLongRun(const std::vector<double>& annualMaxima, const AnalysisSettings& settings,
                 EffectAnalysis* analysis);

// Fits every model of the catalogue to the maxima. False, with *error saying why, when one
// cannot be fitted.
bool analyse(const std::string& effect, const std::string& unit, const std::vector<double>& maxima,
             const AnalysisSettings& settings, EffectAnalysis* analysis, std::string* error);

// Every warning of the analysis, each starting with the effect and the model.
std::vector<std::string> warningsOf(const EffectAnalysis& analysis);

// The report of one effect, for the console.
void writeReport(std::ostream& out, const EffectAnalysis& analysis,
                 const AnalysisSettings& settings);

// The CSV table's header, and one effect's rows: one per model and return period.
const char* csvHeader();
void writeCsvRows(std::ostream& out, const EffectAnalysis& analysis);

// A return-level chart on Gumbel axes for each effect, one below the other, as SVG.
void writeChart(std::ostream& out, const std::vector<EffectAnalysis>& analyses,
                const AnalysisSettings& settings);

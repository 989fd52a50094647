// One effect's extreme-value analysis: its block maxima, both fits and their return levels,
// and how they are written: as a text report, as CSV rows and as a return-level chart.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "extremes/AnalysisLimits.h"
#include "extremes/ExtremeValueFit.h"
#include "output/Calendar.h"

struct AnalysisSettings {
  int blockDays = 1;
  double daysPerYear = calendar::daysPerYear;
  std::vector<double> returnYears{analysis_limits::defaultReturnYears.begin(),
                                  analysis_limits::defaultReturnYears.end()};
};

struct EffectAnalysis {
  std::string effect;
  std::vector<double> maxima;  // of the blocks
  ExtremeValueFit gev;
  ExtremeValueFit gumbel;
  std::vector<ReturnLevel> gevLevels;  // by return period
  std::vector<ReturnLevel> gumbelLevels;

  double blocksPerYear(const AnalysisSettings& settings) const {
    return settings.daysPerYear / settings.blockDays;
  }
};

// Fits both models to the maxima. False, with *error saying why (no "error: "), when either
// cannot be fitted.
bool analyse(const std::string& effect, const std::vector<double>& maxima,
             const AnalysisSettings& settings, EffectAnalysis* analysis, std::string* error);

// The report of one effect, for the console.
void writeReport(std::ostream& out, const EffectAnalysis& analysis,
                 const AnalysisSettings& settings);

// The CSV table's header, and one effect's rows: one per model and return period.
const char* csvHeader();
void writeCsvRows(std::ostream& out, const EffectAnalysis& analysis);

// A return-level chart on Gumbel axes for each effect, one below the other, as SVG.
void writeChart(std::ostream& out, const std::vector<EffectAnalysis>& analyses,
                const AnalysisSettings& settings);

// The options of velmora-extremes that shape its tail models, shared with the campaigns
// that pass them on: "--threshold [EFFECT=]U" (repeatable), "--threshold-quantile Q" and
// "--resamples N".
#pragma once

#include <string>
#include <vector>

#include "base/Calendar.h"
#include "cli/OptionParser.h"
#include "extremes/EffectAnalysis.h"

namespace extremes_options {

std::vector<KnownOption> tailOptions();
// True when name is one of the tail options.
bool isTailOption(const std::string& name);
// Reads the value of the tail option `name` into *settings. False, with *error one line
// naming the option, the value and what is accepted, for a bad value.
bool takeTailOption(const std::string& name, const std::string& value, AnalysisSettings* settings,
                    std::string* error);
// The days of the longest year a run can hold.
constexpr double maxDaysPerYear = calendar::maxRunDays;

// The options of a fit: "--block-days", "--return-period", "--days-per-year", "--seed" and
// the tail options.
std::vector<KnownOption> analysisOptions();
// Reads the value of the fit's option `name` into *settings. The first return period given
// replaces the default ones. False, with *error one line naming the option, the value and
// what is accepted, for a bad value or another option.
bool takeAnalysisOption(const std::string& name, const std::string& value,
                        AnalysisSettings* settings, std::string* error);
// The fit's options' lines for a usage text, the tail options' among them.
std::string analysisUsageLines();
// "75, 100 and 1000": the default return periods, in words.
std::string defaultReturnPeriods();

// Reads a return period: a number of years above 1 and up to analysis_limits::
// maxReturnYears. False, with *error naming --return-period, the value and that range.
bool readReturnPeriod(const std::string& text, double* years, std::string* error);
// "a number of years above 1 and up to 1000000": what --return-period accepts.
std::string returnPeriodRange();

// The options' lines for a usage text.
std::string tailUsageLines();

}  // namespace extremes_options

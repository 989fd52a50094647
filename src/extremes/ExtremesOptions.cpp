#include "extremes/ExtremesOptions.h"

#include "base/Refusal.h"
#include "base/text/NumberText.h"
#include "cli/OptionCatalogue.h"
#include "extremes/AnalysisLimits.h"

namespace extremes_options {
namespace {

// "[EFFECT=]U": U a number.
bool takeThreshold(const std::string& text, ThresholdSettings* threshold, std::string* error) {
  std::size_t equals = text.rfind('=');
  std::string effect = equals == std::string::npos ? "" : text.substr(0, equals);
  std::string number = equals == std::string::npos ? text : text.substr(equals + 1);
  double value = 0.0;
  if (!readNumberText(number, &value) || (equals != std::string::npos && effect.empty())) {
    return refuse("--threshold is \"" + text +
                      "\"; accepted: a number, or EFFECT=number "
                      "(moment:30=5200)",
                  error);
  }
  bool again = effect.empty() ? threshold->forAll : threshold->byEffect.count(effect) > 0;
  if (again) {
    return refuse(
        "--threshold " + (effect.empty() ? std::string("for every effect") : "for " + effect) +
            " is given twice (\"" + text + "\" again); accepted: one threshold for each effect",
        error);
  }
  if (effect.empty()) {
    threshold->forAll = true;
    threshold->value = value;
  } else {
    threshold->byEffect[effect] = value;
  }
  return true;
}

// A number that is the whole of text, above 0 and up to `most`.
bool readPositive(const std::string& text, double most, double* value) {
  return readNumberText(text, value) && *value > 0.0 && *value <= most;
}

bool takeSeed(const std::string& text, AnalysisSettings* settings, std::string* error) {
  std::uint32_t seed = 0;
  if (!readSeed("--seed", text, &seed, error)) {
    return false;
  }
  settings->seed = seed;
  return true;
}

bool takeBlockDays(const std::string& text, AnalysisSettings* settings, std::string* error) {
  double value = 0.0;
  if (!readPositive(text, analysis_limits::maxBlockDays, &value) ||
      value != static_cast<int>(value)) {
    return refuse("--block-days is \"" + text + "\"; accepted: a whole number from 1 to " +
                      std::to_string(analysis_limits::maxBlockDays),
                  error);
  }
  settings->blockDays = static_cast<int>(value);
  return true;
}

}  // namespace

std::string returnPeriodRange() {
  return "a number of years above 1 and up to " +
         std::to_string(static_cast<long>(analysis_limits::maxReturnYears));
}

bool readReturnPeriod(const std::string& text, double* years, std::string* error) {
  if (!readPositive(text, analysis_limits::maxReturnYears, years) || !(*years > 1.0)) {
    return refuse("--return-period is \"" + text + "\"; accepted: " + returnPeriodRange(), error);
  }
  return true;
}

namespace {

bool takeReturnPeriod(const std::string& text, AnalysisSettings* settings, std::string* error) {
  double value = 0.0;
  if (!readReturnPeriod(text, &value, error)) {
    return false;
  }
  if (!settings->returnYearsGiven) {
    settings->returnYears.clear();
    settings->returnYearsGiven = true;
  }
  settings->returnYears.push_back(value);
  return true;
}

bool takeDaysPerYear(const std::string& text, AnalysisSettings* settings, std::string* error) {
  double value = 0.0;
  if (!readPositive(text, maxDaysPerYear, &value)) {
    return refuse("--days-per-year is \"" + text +
                      "\"; accepted: a number of days above 0 and up to " +
                      std::to_string(static_cast<int>(maxDaysPerYear)),
                  error);
  }
  settings->daysPerYear = value;
  return true;
}

bool takeQuantile(const std::string& value, AnalysisSettings* settings, std::string* error) {
  double q = 0.0;
  if (!readNumberText(value, &q) || !(q > 0.0 && q < 1.0)) {
    return refuse(
        "--threshold-quantile is \"" + value + "\"; accepted: a number above 0 and below 1", error);
  }
  settings->threshold.byQuantile = true;
  settings->threshold.quantile = q;
  return true;
}

bool takeResamples(const std::string& value, AnalysisSettings* settings, std::string* error) {
  long long resamples = 0;
  if (!readWholeText(value, 0, analysis_limits::maxResamples, &resamples)) {
    return refuse("--resamples is \"" + value + "\"; accepted: a whole number from 0 to " +
                      std::to_string(analysis_limits::maxResamples),
                  error);
  }
  settings->resamples = static_cast<int>(resamples);
  return true;
}

bool takeThresholdOption(const std::string& value, AnalysisSettings* settings, std::string* error) {
  return takeThreshold(value, &settings->threshold, error);
}

const OptionTable<AnalysisSettings>& tailTable() {
  static const OptionTable<AnalysisSettings> entries = {
      {"--threshold", "[EFFECT=]U", "a number, or EFFECT=number",
       "the threshold of the generalized Pareto fit, for one effect\n"
       "(moment:30=5200) or every effect (default: the value that\n"
       "leaves the greater of 5 % of the days and 50 days above it)",
       takeThresholdOption},
      {"--threshold-quantile", "Q", "a number between 0 and 1",
       "the threshold at the quantile Q of the daily maxima, 0 < Q < 1", takeQuantile},
      {"--resamples", "N", "a whole number",
       "resamples of each parametric bootstrap, 0 to " +
           std::to_string(analysis_limits::maxResamples) + " (default " +
           std::to_string(AnalysisSettings().resamples) +
           "; 0: no\ngoodness-of-fit p-values nor composite intervals)",
       takeResamples},
  };
  return entries;
}

const OptionTable<AnalysisSettings>& fitTable() {
  const AnalysisSettings defaults;
  static const OptionTable<AnalysisSettings> entries = {
      {"--block-days", "N", "",
       "days in a block (default " + std::to_string(defaults.blockDays) + ")", takeBlockDays},
      {"--return-period", "YEARS", returnPeriodRange(),
       "a return period above 1 year and up to " +
           std::to_string(static_cast<long>(analysis_limits::maxReturnYears)) +
           " (repeatable;\ndefault " + defaultReturnPeriods() + ")",
       takeReturnPeriod},
      {"--days-per-year", "D", "",
       "days in a year (default " + shortestText(defaults.daysPerYear) +
           ", the simulated calendar's)",
       takeDaysPerYear},
      {"--seed", "S", "a whole number",
       "the bootstraps' seed (default " + std::to_string(defaults.seed) + ")", takeSeed},
  };
  return entries;
}

constexpr std::size_t helpColumn = 25;

}  // namespace

std::string defaultReturnPeriods() {
  const auto& years = analysis_limits::defaultReturnYears;
  std::string text;
  for (std::size_t i = 0; i < years.size(); ++i) {
    text += (i == 0 ? "" : i + 1 == years.size() ? " and " : ", ") + shortestText(years[i]);
  }
  return text;
}

std::vector<KnownOption> tailOptions() {
  return option_catalogue::knownOptions(tailTable());
}

bool isTailOption(const std::string& name) {
  return option_catalogue::entryOf(tailTable(), name) != nullptr;
}

bool takeTailOption(const std::string& name, const std::string& value, AnalysisSettings* settings,
                    std::string* error) {
  return option_catalogue::take(tailTable(), name, value, settings, error);
}

std::string tailUsageLines() {
  return option_catalogue::usage(tailTable(), helpColumn);
}

std::vector<KnownOption> analysisOptions() {
  std::vector<KnownOption> known = option_catalogue::knownOptions(fitTable());
  std::vector<KnownOption> tail = tailOptions();
  known.insert(known.end(), tail.begin(), tail.end());
  return known;
}

bool takeAnalysisOption(const std::string& name, const std::string& value,
                        AnalysisSettings* settings, std::string* error) {
  if (isTailOption(name)) {
    return takeTailOption(name, value, settings, error);
  }
  return option_catalogue::take(fitTable(), name, value, settings, error);
}

std::string analysisUsageLines() {
  return option_catalogue::usage(fitTable(), helpColumn) + tailUsageLines();
}

}  // namespace extremes_options

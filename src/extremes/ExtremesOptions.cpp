#include "extremes/ExtremesOptions.h"

#include "base/Refusal.h"
#include "base/text/NumberText.h"
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

bool takeReturnPeriod(const std::string& text, AnalysisSettings* settings, bool* defaultPeriods,
                      std::string* error) {
  double value = 0.0;
  if (!readReturnPeriod(text, &value, error)) {
    return false;
  }
  if (*defaultPeriods) {
    settings->returnYears.clear();
    *defaultPeriods = false;
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

}  // namespace

bool takeAnalysisOption(const std::string& name, const std::string& value,
                        AnalysisSettings* settings, bool* defaultPeriods, std::string* error) {
  if (isTailOption(name)) {
    return takeTailOption(name, value, settings, error);
  }
  if (name == "--seed") {
    return takeSeed(value, settings, error);
  }
  if (name == "--block-days") {
    return takeBlockDays(value, settings, error);
  }
  if (name == "--return-period") {
    return takeReturnPeriod(value, settings, defaultPeriods, error);
  }
  if (name == "--days-per-year") {
    return takeDaysPerYear(value, settings, error);
  }
  return refuse("unknown option " + name, error);
}

std::vector<KnownOption> tailOptions() {
  return {{"--threshold", true, "a number, or EFFECT=number"},
          {"--threshold-quantile", true, "a number between 0 and 1"},
          {"--resamples", true, "a whole number"}};
}

bool isTailOption(const std::string& name) {
  return name == "--threshold" || name == "--threshold-quantile" || name == "--resamples";
}

bool takeTailOption(const std::string& name, const std::string& value, AnalysisSettings* settings,
                    std::string* error) {
  if (name == "--threshold") {
    return takeThreshold(value, &settings->threshold, error);
  }
  if (name == "--threshold-quantile") {
    double q = 0.0;
    if (!readNumberText(value, &q) || !(q > 0.0 && q < 1.0)) {
      return refuse("--threshold-quantile is \"" + value +
                        "\"; accepted: a number above 0 and "
                        "below 1",
                    error);
    }
    settings->threshold.byQuantile = true;
    settings->threshold.quantile = q;
    return true;
  }
  long long resamples = 0;
  if (!readWholeText(value, 0, analysis_limits::maxResamples, &resamples)) {
    return refuse("--resamples is \"" + value + "\"; accepted: a whole number from 0 to " +
                      std::to_string(analysis_limits::maxResamples),
                  error);
  }
  settings->resamples = static_cast<int>(resamples);
  return true;
}

std::string tailUsageLines() {
  return "  --threshold [EFFECT=]U the threshold of the generalized Pareto fit, for one effect\n"
         "                         (moment:30=5200) or every effect (default: the value that\n"
         "                         leaves the greater of 5 % of the days and 50 days above it)\n"
         "  --threshold-quantile Q the threshold at the quantile Q of the daily maxima, 0 < Q < 1\n"
         "  --resamples N          resamples of each parametric bootstrap, 0 to " +
         std::to_string(analysis_limits::maxResamples) + " (default " +
         std::to_string(analysis_limits::defaultResamples) +
         "; 0: no\n"
         "                         goodness-of-fit p-values nor composite intervals)\n";
}

}  // namespace extremes_options

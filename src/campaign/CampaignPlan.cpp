#include "campaign/CampaignPlan.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/text/NumberText.h"
#include "extremes/AnalysisLimits.h"
#include "extremes/ExtremesOptions.h"
#include "options/FatigueOptions.h"
#include "options/LoadOptions.h"
#include "run/RunConfig.h"

namespace {

const char* const planComment =
    "# A velmora campaign's plan, written by velmora-campaign plan: its runs are made from it "
    "alone.";

// The whole text as a whole number of type T, or false.
template <typename T>
bool readNumber(const std::string& text, T* value) {
  long long whole = 0;
  if (!readWholeText(text, std::numeric_limits<T>::min(), std::numeric_limits<T>::max(), &whole)) {
    return false;
  }
  *value = static_cast<T>(whole);
  return true;
}

bool readNumber(const std::string& text, double* value) {
  return readNumberText(text, value);
}

// Takes one "key=value" line into plan. False, with *error saying why, when it is not one.
bool takeLine(const std::string& key, const std::string& value, CampaignPlan* plan,
              std::string* error) {
  bool read = true;
  if (key == "source") {
    plan->sourceFolder = value;
  } else if (key == "years") {
    read = readNumber(value, &plan->years);
  } else if (key == "days-per-year") {
    read = readNumber(value, &plan->daysPerYear);
  } else if (key == "years-per-run") {
    read = readNumber(value, &plan->yearsPerRun);
  } else if (key == "first-seed") {
    read = readNumber(value, &plan->firstSeed);
  } else if (key == "argument") {
    plan->loadArguments.push_back(value);
  } else if (key == "event-maxima") {
    plan->eventMaxima = value == "yes";
    read = value == "yes" || value == "no";
  } else if (key == "fatigue") {
    plan->fatigue = value == "yes";
    read = value == "yes" || value == "no";
  } else if (traffic_patterns::isPatternOption("--" + key)) {
    return traffic_patterns::takeOption("--" + key, value, &plan->patterns, error);
  } else if (key == "extremes-argument") {
    plan->extremesArguments.push_back(value);
  } else if (key == "block-days") {
    read = readNumber(value, &plan->blockDays);
  } else if (key == "return-period") {
    double years = 0.0;
    read = readNumber(value, &years);
    plan->returnYears.push_back(years);
  } else {
    *error = "unknown key \"" + key + "\"";
    return false;
  }
  if (!read) {
    *error = key + " is \"" + value + "\", which is no number of its kind";
  }
  return read;
}

}  // namespace

bool CampaignPlan::countsDamage() const {
  return fatigue && std::find(loadArguments.begin(), loadArguments.end(), "--detail-category") !=
                        loadArguments.end();
}

std::vector<PlannedRun> CampaignPlan::runs() const {
  std::vector<PlannedRun> planned;
  for (int yearsDone = 0, index = 0; yearsDone < years; yearsDone += yearsPerRun, ++index) {
    int runYears = std::min(yearsPerRun, years - yearsDone);
    // Seeds wrap around 2^32; there are far fewer runs, so they stay distinct.
    planned.push_back(
        {index, firstSeed + static_cast<std::uint32_t>(index), runYears * daysPerYear});
  }
  return planned;
}

namespace {

// The fewest runs of at most the default years that split `years` evenly and that
// `accepted` takes; 0 when none does.
int fewestEqualRuns(int years, bool (*accepted)(int runs, int cores), int cores) {
  for (int runs = 1; runs <= years; ++runs) {
    if (years % runs == 0 && years / runs <= CampaignPlan::defaultYearsPerRun &&
        accepted(runs, cores)) {
      return runs;
    }
  }
  return 0;
}

}  // namespace

void CampaignPlan::splitForCores(int cores) {
  cores = std::max(cores, 1);
  auto shared = [](int runs, int coreCount) { return runs % coreCount == 0; };
  auto busy = [](int runs, int coreCount) { return runs >= coreCount; };
  int runs = fewestEqualRuns(years, shared, cores);
  runs = runs > 0 ? runs : fewestEqualRuns(years, busy, cores);
  yearsPerRun = runs > 0 ? years / runs : 1;
  coresSplitFor = yearsPerRun == defaultYearsPerRun ? 0 : cores;
}

namespace {

long long blocksOf(const CampaignPlan& plan);

}  // namespace

void CampaignPlan::chooseBlockDays() {
  for (blockDays = daysPerYear; blockDays > 1; --blockDays) {
    if (blocksOf(*this) >= analysis_limits::plannedBlocks) {
      return;
    }
  }
}

namespace {

// Block maxima that the fits of the plan's runs get.
long long blocksOf(const CampaignPlan& plan) {
  long long blocks = 0;
  for (const PlannedRun& run : plan.runs()) {
    blocks += run.days / plan.blockDays;
  }
  return blocks;
}

// The first effect that is given twice, or "".
std::string repeatedEffect(const std::vector<std::string>& arguments) {
  for (std::size_t i = 0; i + 1 < arguments.size(); i += 2) {
    for (std::size_t j = i + 2; j + 1 < arguments.size(); j += 2) {
      if (arguments[i] == "--effect" && arguments[j] == "--effect" &&
          arguments[i + 1] == arguments[j + 1]) {
        return arguments[i + 1];
      }
    }
  }
  return "";
}

// Why the plan's velmora and velmora-extremes arguments are not what those programs take,
// read with their own readers (an influence line's file is read by the runs), or "".
std::string argumentProblem(const CampaignPlan& plan) {
  const std::vector<std::string>& load = plan.loadArguments;
  const std::vector<std::string>& tails = plan.extremesArguments;
  if (load.size() % 2 != 0 || tails.size() % 2 != 0) {
    return "an option of the plan has no value";
  }
  LoadSettings loadSettings;
  std::string error;
  for (std::size_t i = 0; i < load.size(); i += 2) {
    if (!load_options::isLoadOption(load[i])) {
      return "argument " + load[i] + " is no load option; accepted: those of velmora";
    }
    bool file = load[i] == "--effect" && load[i + 1].compare(0, 3, "il:") == 0;
    if (!file && !load_options::takeOption(load[i], load[i + 1], &loadSettings, &error)) {
      return error;
    }
  }
  AnalysisSettings tailSettings;
  for (std::size_t i = 0; i < tails.size(); i += 2) {
    if (!extremes_options::isTailOption(tails[i])) {
      return "extremes-argument " + tails[i] +
             " is no tail option; accepted: " + "--threshold, --threshold-quantile and --resamples";
    }
    if (!extremes_options::takeTailOption(tails[i], tails[i + 1], &tailSettings, &error)) {
      return error;
    }
  }
  for (const auto& [effect, value] : tailSettings.threshold.byEffect) {
    bool planned = false;
    for (std::size_t i = 0; i < load.size(); i += 2) {
      planned = planned || (load[i] == "--effect" && load[i + 1] == effect);
    }
    if (!planned) {
      return "--threshold names " + effect + ", which is none of the campaign's effects; " +
             "accepted: one of them, as its --effect gives it";
    }
  }
  return "";
}

}  // namespace

std::string CampaignPlan::problem() const {
  if (years < 1 || years > maxYears) {
    return "--years is " + std::to_string(years) + "; accepted: a whole number from 1 to " +
           std::to_string(maxYears);
  }
  if (daysPerYear < 1 || daysPerYear > maxDaysPerYear) {
    return "--days-per-year is " + std::to_string(daysPerYear) +
           "; accepted: a whole number from 1 to " + std::to_string(maxDaysPerYear);
  }
  int longestRun = RunConfig::maxDays / daysPerYear;
  if (yearsPerRun < 1 || yearsPerRun > longestRun) {
    return "--years-per-run is " + std::to_string(yearsPerRun) +
           "; accepted: a whole number from 1 to " + std::to_string(longestRun) +
           " (a run holds at most " + std::to_string(RunConfig::maxDays) + " days of " +
           std::to_string(daysPerYear) + " a year)";
  }
  if ((years - 1) / yearsPerRun + 1 > maxRuns) {
    return "--years " + std::to_string(years) + " in runs of --years-per-run " +
           std::to_string(yearsPerRun) + " make more than " + std::to_string(maxRuns) +
           " runs; accepted: at most " + std::to_string(maxRuns) + " runs (longer runs)";
  }
  if (blockDays < 1 || blockDays > yearsPerRun * daysPerYear) {
    return "--block-days is " + std::to_string(blockDays) +
           "; accepted: a whole number from 1 to the days of a run, " +
           std::to_string(yearsPerRun * daysPerYear);
  }
  if (std::find(loadArguments.begin(), loadArguments.end(), "--effect") == loadArguments.end()) {
    return "no --effect given; accepted: one or more, as velmora takes them";
  }
  bool classesGiven = std::find(loadArguments.begin(), loadArguments.end(), "--event-classes") !=
                      loadArguments.end();
  if (classesGiven && !eventMaxima) {
    return "--event-classes needs --event-maxima, which has the runs write event maxima";
  }
  for (std::size_t i = 0; !fatigue && i < loadArguments.size(); i += 2) {
    if (fatigue_options::isFatigueOption(loadArguments[i])) {
      return loadArguments[i] + " needs --fatigue, which has the runs count fatigue cycles";
    }
  }
  std::string arguments = argumentProblem(*this);
  if (!arguments.empty()) {
    return arguments;
  }
  std::string repeated = repeatedEffect(loadArguments);
  if (!repeated.empty()) {
    return "--effect \"" + repeated + "\" is given twice; accepted: each effect once";
  }
  for (double period : returnYears) {
    double years = 0.0;
    std::string error;
    if (!extremes_options::readReturnPeriod(shortestText(period), &years, &error)) {
      return error;
    }
  }
  if (blocksOf(*this) < analysis_limits::minMaxima) {
    return "--block-days " + std::to_string(blockDays) + " gives " +
           std::to_string(blocksOf(*this)) +
           " block maxima over the runs' days; accepted: blocks that give the fits at least " +
           std::to_string(analysis_limits::minMaxima) + " (more years or shorter blocks)";
  }
  return "";
}

std::string runFolderName(int index) {
  std::string number = std::to_string(index);
  return "run-" + std::string(number.size() < 4 ? 4 - number.size() : 0, '0') + number;
}

void writePlan(std::ostream& out, const CampaignPlan& plan) {
  out << planComment << '\n'
      << "source=" << plan.sourceFolder << '\n'
      << "years=" << plan.years << '\n'
      << "days-per-year=" << plan.daysPerYear << '\n'
      << "years-per-run=" << plan.yearsPerRun << '\n';
  if (plan.coresSplitFor > 0) {
    std::size_t runs = plan.runs().size();
    out << "# " << runs << " equal runs of " << plan.yearsPerRun << " years rather than runs of "
        << CampaignPlan::defaultYearsPerRun << ", so that "
        << (runs % static_cast<std::size_t>(plan.coresSplitFor) == 0
                ? "the " + std::to_string(plan.coresSplitFor) + " cores share them evenly"
                : "every one of the " + std::to_string(plan.coresSplitFor) + " cores has one")
        << "\n";
  }
  out << "first-seed=" << plan.firstSeed << '\n';
  for (const std::string& argument : plan.loadArguments) {
    out << "argument=" << argument << '\n';
  }
  out << "event-maxima=" << (plan.eventMaxima ? "yes" : "no") << '\n';
  if (plan.fatigue) {
    out << "fatigue=yes\n";
  }
  std::vector<std::string> patterns = traffic_patterns::arguments(plan.patterns);
  for (std::size_t i = 0; i + 1 < patterns.size(); i += 2) {
    out << patterns[i].substr(2) << '=' << patterns[i + 1] << '\n';
  }
  for (const std::string& argument : plan.extremesArguments) {
    out << "extremes-argument=" << argument << '\n';
  }
  out << "block-days=" << plan.blockDays << '\n';
  for (double period : plan.returnYears) {
    out << "return-period=" << shortestText(period) << '\n';
  }
}

bool readPlan(std::istream& in, CampaignPlan* plan, std::string* error) {
  *plan = CampaignPlan();
  plan->returnYears.clear();
  std::string line;
  if (!std::getline(in, line) || line != planComment) {
    *error = "line 1 is not the comment that opens a campaign plan";
    return false;
  }
  for (int number = 2; std::getline(in, line); ++number) {
    if (line.compare(0, 1, "#") == 0) {
      continue;  // a note
    }
    std::size_t equals = line.find('=');
    if (equals == std::string::npos) {
      *error = "line " + std::to_string(number) + " is no \"key=value\" line";
      return false;
    }
    if (!takeLine(line.substr(0, equals), line.substr(equals + 1), plan, error)) {
      *error = "line " + std::to_string(number) + ": " + *error;
      return false;
    }
  }
  *error = plan->problem();
  return error->empty();
}

// velmora-campaign: many years of traffic as seeded runs across the machine's cores or as a
// Slurm job array, and the extreme-value fit of all their daily maxima.
#include <sched.h>

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "base/text/NumberText.h"
#include "campaign/CampaignFolder.h"
#include "campaign/CampaignLock.h"
#include "campaign/CampaignRunner.h"
#include "campaign/SlurmSubmission.h"
#include "cli/ExitStatus.h"
#include "cli/OptionCatalogue.h"
#include "cli/OptionParser.h"
#include "cli/ProgramFrame.h"
#include "extremes/AnalysisLimits.h"
#include "extremes/ExtremesOptions.h"
#include "options/FatigueOptions.h"
#include "options/LoadOptions.h"

namespace {

const char* const program = "velmora-campaign";
constexpr int maxJobs = 1024;

// The jam and platoon options, as velmora takes them, on one line.
std::string patternLines() {
  std::string label;
  for (const KnownOption& option : traffic_patterns::knownOptions()) {
    label += (label.empty() ? "" : ", ") + option.name + " " + option.accepted;
  }
  return option_catalogue::helpLines(
      label, "jams or truck platoons in every run's traffic, as velmora\ntakes them", 25);
}

std::string usageText() {
  return "usage: velmora-campaign plan RUN_FOLDER CAMPAIGN --years N --effect EFFECT...\n"
         "                             [--seed FIRST] [--years-per-run N] [--days-per-year D]\n"
         "                             [--block-days N] [--return-period YEARS]...\n"
         "                             [--lane-factors f1,f2,...] [--kn-per-unit F]\n"
         "                             [--event-maxima [--event-classes K]]\n"
         "                             [--fatigue [FATIGUE OPTION]...]\n"
         "                             [--threshold [EFFECT=]U]... [--threshold-quantile Q]\n"
         "                             [--resamples N]\n"
         "                             [--jams PER_DAY:MEAN_MINUTES] [--platoons "
         "SHARE:SIZE:GAP_M]\n"
         "       velmora-campaign run CAMPAIGN [--jobs N]\n"
         "       velmora-campaign task CAMPAIGN [INDEX]\n"
         "       velmora-campaign combine CAMPAIGN\n"
         "       velmora-campaign submit CAMPAIGN [--wait] [SBATCH_OPTION]...\n"
         "\n"
         "plan     makes the folder CAMPAIGN for N years of RUN_FOLDER's traffic: runs of\n"
         "         --years-per-run years (default " +
         std::to_string(CampaignPlan::defaultYearsPerRun) +
         ") seeded FIRST, FIRST + 1, ... (default: a\n"
         "         seed from the system, kept in the plan), each with its own folder\n"
         "run      makes the runs not made yet, N at a time (default: one per core), then\n"
         "         combines them\n"
         "task     makes one run, INDEX from 0 (default: $SLURM_ARRAY_TASK_ID)\n"
         "combine  fits all runs' daily maxima with velmora-extremes: report.txt,\n"
         "         return-levels.csv and return-levels.svg in CAMPAIGN; with --fatigue, adds\n"
         "         up the runs' spectra and damage: fatigue.txt, fatigue.csv, damage.csv and\n"
         "         fatigue.svg\n"
         "submit   hands the runs to Slurm as one job array, and the combining to a job that\n"
         "         starts once they all succeeded; --wait waits for that job to end\n"
         "\n"
         "plan's options:\n"
         "  --days-per-year D      days in a year (default " +
         std::to_string(CampaignPlan().daysPerYear) +
         ", the simulated calendar's)\n"
         "  --block-days N         days in a block of the fits (default: the longest, at most\n"
         "                         a year, that leaves at least " +
         std::to_string(analysis_limits::plannedBlocks) +
         " blocks)\n"
         "  --return-period YEARS  a return period (repeatable; default " +
         extremes_options::defaultReturnPeriods() +
         ")\n"
         "  --event-maxima         the runs also write their event maxima, and combine fits\n"
         "                         the composite model of a GEV for each loading event\n"
         "  --fatigue              the runs also count every effect's rainflow cycles, and\n"
         "                         combine reports the spectra, the damage per year and the\n"
         "                         life by detail category\n" +
         patternLines() + load_options::usageLines() + extremes_options::tailUsageLines();
}

int coreCount() {
  cpu_set_t cores;
  if (sched_getaffinity(0, sizeof cores, &cores) == 0) {
    return CPU_COUNT(&cores);
  }
  return 1;
}

bool readWhole(const std::string& text, long long low, long long high, long long* value) {
  return readWholeText(text, low, high, value);
}

// Reads option's value as a whole number from low to high. False, with *error, when it is not.
bool takeWhole(const GivenOption& option, long long low, long long high, long long* value,
               std::string* error) {
  if (!readWhole(option.value, low, high, value)) {
    *error = option.name + " is \"" + option.value + "\"; accepted: a whole number from " +
             std::to_string(low) + " to " + std::to_string(high);
    return false;
  }
  return true;
}

// An il:FILE effect's file as an absolute path, since the runs read it from their folders.
std::string anchoredEffect(const std::string& definition) {
  if (definition.compare(0, 3, "il:") != 0) {
    return definition;
  }
  return "il:" + std::filesystem::absolute(definition.substr(3)).string();
}

// A load or tail option's value as the plan keeps it: effects anchored, also where
// --stress-per-unit or --threshold names one.
std::string anchoredValue(const std::string& name, const std::string& value) {
  if (name == "--effect") {
    return anchoredEffect(value);
  }
  std::size_t equals = value.rfind('=');
  bool namesEffect = name == "--stress-per-unit" || name == "--threshold";
  if (namesEffect && equals != std::string::npos) {
    return anchoredEffect(value.substr(0, equals)) + value.substr(equals);
  }
  return value;
}

std::vector<KnownOption> planOptions() {
  std::vector<KnownOption> known = {{"--years", true},         {"--years-per-run", true},
                                    {"--days-per-year", true}, {"--block-days", true},
                                    {"--seed", true},          {"--return-period", true}};
  for (const std::vector<KnownOption>& group :
       {load_options::knownOptions(), extremes_options::tailOptions(),
        traffic_patterns::knownOptions()}) {
    known.insert(known.end(), group.begin(), group.end());
  }
  known.push_back({"--event-maxima", false});
  known.push_back({"--fatigue", false});
  return known;
}

struct PlanReading {
  bool defaultPeriods = true;
  bool seeded = false;
  bool blockDaysGiven = false;
  bool yearsPerRunGiven = false;
  LoadSettings checked;    // the load options are checked here and kept as text in the plan
  AnalysisSettings tails;  // so are the tail options
};

// Takes one of plan's options into *plan. False, with *error set, for a bad value.
bool takePlanOption(const GivenOption& option, CampaignPlan* plan, PlanReading* reading,
                    std::string* error) {
  const std::string& name = option.name;
  long long value = 0;
  if (load_options::isLoadOption(name)) {
    if (!load_options::takeOption(name, option.value, &reading->checked, error)) {
      return false;
    }
    plan->loadArguments.push_back(name);
    plan->loadArguments.push_back(anchoredValue(name, option.value));
  } else if (extremes_options::isTailOption(name)) {
    if (!extremes_options::takeTailOption(name, option.value, &reading->tails, error)) {
      return false;
    }
    plan->extremesArguments.push_back(name);
    plan->extremesArguments.push_back(anchoredValue(name, option.value));
  } else if (traffic_patterns::isPatternOption(name)) {
    return traffic_patterns::takeOption(name, option.value, &plan->patterns, error);
  } else if (name == "--event-maxima") {
    plan->eventMaxima = true;
  } else if (name == "--fatigue") {
    plan->fatigue = true;
  } else if (name == "--seed") {
    if (!readSeed(name, option.value, &plan->firstSeed, error)) {
      return false;
    }
    reading->seeded = true;
  } else if (name == "--return-period") {
    if (reading->defaultPeriods) {
      plan->returnYears.clear();
      reading->defaultPeriods = false;
    }
    double years = 0.0;
    if (!extremes_options::readReturnPeriod(option.value, &years, error)) {
      return false;
    }
    plan->returnYears.push_back(years);
  } else {
    if (!takeWhole(option, 1, CampaignPlan::maxYears, &value, error)) {
      return false;
    }
    int& member = name == "--years"           ? plan->years
                  : name == "--years-per-run" ? plan->yearsPerRun
                  : name == "--days-per-year" ? plan->daysPerYear
                                              : plan->blockDays;
    member = static_cast<int>(value);
    reading->blockDaysGiven = reading->blockDaysGiven || name == "--block-days";
    reading->yearsPerRunGiven = reading->yearsPerRunGiven || name == "--years-per-run";
  }
  return true;
}

// Reads plan's arguments (after "plan") into *plan and the two folders. False, with *error.
bool parsePlan(const CommandArguments& given, CampaignPlan* plan, std::vector<std::string>* folders,
               std::string* error) {
  PlanReading reading;
  for (const GivenOption& option : given.options) {
    if (!takePlanOption(option, plan, &reading, error)) {
      return false;
    }
  }
  bool categories = !reading.checked.fatigue.detailCategories.empty();
  if (!fatigue_options::optionsAgree(reading.checked, plan->fatigue, plan->fatigue && categories,
                                     "--fatigue", "--fatigue", error)) {
    return false;
  }
  *folders = given.operands;
  if (folders->size() != 2) {
    *error = "plan needs a run folder and a campaign folder; found " +
             program_frame::countOf(static_cast<long long>(folders->size()), "folder name");
    return false;
  }
  if (!reading.yearsPerRunGiven) {
    plan->splitForCores(coreCount());
  }
  if (!reading.blockDaysGiven) {
    plan->chooseBlockDays();
  }
  if (!reading.seeded) {
    plan->firstSeed = std::random_device()();
  }
  plan->sourceFolder = std::filesystem::absolute(folders->front()).string();
  return true;
}

// run's --jobs given to plan, which would otherwise be taken for a slip of a plan option.
bool refuseRunOptions(const std::vector<std::string>& arguments, std::string* error) {
  for (const std::string& argument : arguments) {
    if (argument == "--jobs" || argument.rfind("--jobs=", 0) == 0) {
      *error = "--jobs is an option of run (velmora-campaign run CAMPAIGN --jobs N), not of plan";
      return false;
    }
  }
  return true;
}

int planCampaign(const std::vector<std::string>& arguments) {
  CampaignPlan plan;
  std::vector<std::string> folders;
  CommandArguments given;
  std::string error;
  if (!refuseRunOptions(arguments, &error) ||
      !parseArguments(arguments, planOptions(), &given, &error) ||
      !parsePlan(given, &plan, &folders, &error)) {
    return program_frame::refuseCommandLine(program, error);
  }
  if (!campaign_folder::create(folders[0], folders[1], plan, &error)) {
    return program_frame::report(error, exit_status::refused);
  }
  std::cout << "planned "
            << program_frame::countOf(static_cast<long long>(plan.runs().size()), "run") << " of "
            << program_frame::countOf(plan.years, "year") << " in all, seeds from "
            << plan.firstSeed << ", in \"" << folders[1] << "\"" << std::endl;
  return program_frame::finishConsole();
}

// The run index of a task: its argument, or Slurm's array task id. -1, with *error, when
// there is none or it is no run of plan.
int taskIndex(const std::vector<std::string>& arguments, const CampaignPlan& plan,
              std::string* error) {
  if (arguments.size() > 3) {
    *error = "task takes a campaign folder and at most a run index";
    return -1;
  }
  const char* fromSlurm = std::getenv("SLURM_ARRAY_TASK_ID");
  std::string text = arguments.size() > 2 ? arguments[2] : fromSlurm ? fromSlurm : "";
  long long index = 0;
  long long last = static_cast<long long>(plan.runs().size()) - 1;
  if (!readWhole(text, 0, last, &index)) {
    *error = "the task's run index is \"" + text + "\"; accepted: a whole number from 0 to " +
             std::to_string(last) + " (an argument or SLURM_ARRAY_TASK_ID)";
    return -1;
  }
  return static_cast<int>(index);
}

// The jobs of `run`: --jobs N, or one per core.
bool readJobs(const std::vector<std::string>& rest, long long* jobs, std::string* error) {
  CommandArguments given;
  if (!parseArguments(rest, {{"--jobs", true, "a whole number of jobs"}}, &given, error)) {
    return false;
  }
  if (!given.operands.empty()) {
    *error = "run takes a campaign folder and --jobs N; found also \"" + given.operands[0] + "\"";
    return false;
  }
  *jobs = coreCount();
  for (const GivenOption& option : given.options) {
    if (!takeWhole(option, 1, maxJobs, jobs, error)) {
      return false;
    }
  }
  return true;
}

int actOnCampaign(const std::string& action, const std::vector<std::string>& arguments) {
  CampaignPlan plan;
  std::string error;
  if (arguments.size() < 2) {
    return program_frame::refuseCommandLine(program, action + " needs a campaign folder");
  }
  if (!campaign_folder::readFolderPlan(arguments[1], &plan, &error)) {
    return program_frame::report(error, exit_status::refused);
  }
  const std::string& folder = arguments[1];
  std::vector<std::string> rest(arguments.begin() + 2, arguments.end());
  long long jobs = 0;
  int index = 0;
  if ((action == "run" && !readJobs(rest, &jobs, &error)) ||
      (action == "task" && (index = taskIndex(arguments, plan, &error)) < 0) ||
      (action == "combine" && !rest.empty() &&
       !(error = "combine takes only a campaign folder").empty())) {
    return program_frame::refuseCommandLine(program, error);
  }
  CampaignLock lock;
  bool drives = action == "run" || action == "combine";
  if (drives && !lock.take(folder, action, &error)) {
    return program_frame::report(error, exit_status::refused);
  }
  bool done = false;
  if (action == "run") {
    done = campaign_runner::makeRuns(folder, plan, static_cast<int>(jobs), &error) &&
           campaign_runner::combine(folder, plan, &error);
  } else if (action == "task") {
    done = campaign_runner::makeRun(folder, plan, index, &error);
  } else if (action == "combine") {
    done = campaign_runner::combine(folder, plan, &error);
  } else {
    done = submitCampaign(folder, plan, rest, &error);
  }
  if (!done) {
    return program_frame::report(error, exit_status::failure);
  }
  return program_frame::finishConsole();
}

// "--help" or "-h" anywhere ("run CAMPAIGN --help"), or "--version" first or right after an
// action; "" when none is asked for.
std::string askedForHelp(const std::vector<std::string>& arguments) {
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& word = arguments[i];
    if (word == "--help" || word == "-h" || (word == "--version" && i < 2)) {
      return word;
    }
  }
  return "";
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  std::string action = arguments.empty() ? "" : arguments[0];
  std::string asking = askedForHelp(arguments);
  if (!asking.empty()) {
    CommandArguments asked;
    (asking == "--version" ? asked.version : asked.help) = true;
    int status = 0;
    program_frame::answersHelpOrVersion(asked, program, usageText(), &status);
    return status;
  }
  if (action == "plan") {
    return planCampaign(std::vector<std::string>(arguments.begin() + 1, arguments.end()));
  }
  if (action == "run" || action == "task" || action == "combine" || action == "submit") {
    return actOnCampaign(action, arguments);
  }
  return program_frame::refuseCommandLine(
      program, (action.empty() ? std::string("velmora-campaign needs an action")
                               : "unknown action \"" + action + "\"") +
                   "; accepted: plan, run, task, combine or submit");
}

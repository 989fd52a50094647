// velmora-campaign: many years of traffic as seeded runs across the machine's cores or as a
// Slurm job array, and the extreme-value fit of all their daily maxima.
#include <sched.h>

#include <charconv>
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <random>
#include <string>
#include <vector>

#include "campaign/CampaignFolder.h"
#include "campaign/CampaignRunner.h"
#include "campaign/SlurmSubmission.h"
#include "loadtool/LoadOptions.h"

namespace {

constexpr int exitRefused = 2;
constexpr int exitFailure = 1;
constexpr int maxJobs = 1024;

std::string usageText() {
  return "usage: velmora-campaign plan RUN_FOLDER CAMPAIGN --years N --effect EFFECT...\n"
         "                             [--seed FIRST] [--years-per-run N] [--days-per-year D]\n"
         "                             [--block-days N] [--return-period YEARS]...\n"
         "                             [--lane-factors f1,f2,...] [--kn-per-unit F]\n"
         "       velmora-campaign run CAMPAIGN [--jobs N]\n"
         "       velmora-campaign task CAMPAIGN [INDEX]\n"
         "       velmora-campaign combine CAMPAIGN\n"
         "       velmora-campaign submit CAMPAIGN [--wait] [SBATCH_OPTION]...\n"
         "\n"
         "plan     makes the folder CAMPAIGN for N years of RUN_FOLDER's traffic: runs of\n"
         "         --years-per-run years (default 20) seeded FIRST, FIRST + 1, ... (default: a\n"
         "         seed from the system, kept in the plan), each with its own folder\n"
         "run      makes the runs not made yet, N at a time (default: one per core), then\n"
         "         combines them\n"
         "task     makes one run, INDEX from 0 (default: $SLURM_ARRAY_TASK_ID)\n"
         "combine  fits all runs' daily maxima with velmora-extremes: report.txt,\n"
         "         return-levels.csv and return-levels.svg in CAMPAIGN\n"
         "submit   hands the runs to Slurm as one job array, and the combining to a job that\n"
         "         starts once they all succeeded; --wait waits for that job to end\n"
         "\n"
         "plan's options:\n"
         "  --days-per-year D      days in a year (default 250, the simulated calendar's)\n"
         "  --block-days N         days in a block of the fits (default: a year's)\n"
         "  --return-period YEARS  a return period (repeatable; default 75, 100 and 1000)\n" +
         load_options::usageLines();
}

bool readWhole(const std::string& text, long long low, long long high, long long* value) {
  const char* end = text.data() + text.size();
  auto [stop, status] = std::from_chars(text.data(), end, *value);
  return status == std::errc() && stop == end && *value >= low && *value <= high;
}

// Reads the value after option into *value. False, with *error, when it is missing or not a
// whole number from low to high.
bool takeWhole(const std::vector<std::string>& arguments, std::size_t* index, long long low,
               long long high, long long* value, std::string* error) {
  const std::string& option = arguments[*index];
  if (*index + 1 >= arguments.size()) {
    *error = "error: " + option + " needs a value";
    return false;
  }
  const std::string& text = arguments[++*index];
  if (!readWhole(text, low, high, value)) {
    *error = "error: " + option + " is \"" + text + "\"; accepted: a whole number from " +
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

// Takes one of plan's own options at arguments[*index] into *plan. False, with *error set,
// for a bad value; *taken says whether it was one.
bool takePlanOption(const std::vector<std::string>& arguments, std::size_t* index,
                    CampaignPlan* plan, bool* defaultPeriods, bool* seeded, bool* taken,
                    std::string* error) {
  const std::string& option = arguments[*index];
  long long value = 0;
  *taken = true;
  if (option == "--years" || option == "--years-per-run" || option == "--days-per-year" ||
      option == "--block-days") {
    if (!takeWhole(arguments, index, 1, CampaignPlan::maxYears, &value, error)) {
      return false;
    }
    int& member = option == "--years"           ? plan->years
                  : option == "--years-per-run" ? plan->yearsPerRun
                  : option == "--days-per-year" ? plan->daysPerYear
                                                : plan->blockDays;
    member = static_cast<int>(value);
  } else if (option == "--seed") {
    if (!takeWhole(arguments, index, 0, 4294967295LL, &value, error)) {
      return false;
    }
    plan->firstSeed = static_cast<std::uint32_t>(value);
    *seeded = true;
  } else if (option == "--return-period") {
    if (*index + 1 >= arguments.size()) {
      *error = "error: --return-period needs a value";
      return false;
    }
    if (*defaultPeriods) {
      plan->returnYears.clear();
      *defaultPeriods = false;
    }
    const std::string& text = arguments[++*index];
    double years = 0.0;
    auto [stop, status] = std::from_chars(text.data(), text.data() + text.size(), years);
    if (status != std::errc() || stop != text.data() + text.size() || !(years > 1.0)) {
      *error = "error: --return-period is \"" + text + "\"; accepted: a number of years above 1";
      return false;
    }
    plan->returnYears.push_back(years);
  } else {
    *taken = false;
  }
  return true;
}

bool isLoadOption(const std::string& argument) {
  return argument == "--effect" || argument == "--lane-factors" || argument == "--kn-per-unit";
}

// Reads plan's arguments (after "plan") into *plan and the two folders. False, with *error.
bool parsePlan(const std::vector<std::string>& arguments, CampaignPlan* plan,
               std::vector<std::string>* folders, std::string* error) {
  bool defaultPeriods = true;
  bool seeded = false;
  bool blockDaysGiven = false;
  LoadSettings checked;  // the load options are checked here and kept as text in the plan
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    bool taken = false;
    if (isLoadOption(argument)) {
      if (!load_options::takeOption(arguments, &i, &checked, &taken, error)) {
        return false;
      }
      plan->loadArguments.push_back(argument);
      plan->loadArguments.push_back(argument == "--effect" ? anchoredEffect(arguments[i])
                                                           : arguments[i]);
    } else if (!takePlanOption(arguments, &i, plan, &defaultPeriods, &seeded, &taken, error)) {
      return false;
    } else if (taken) {
      blockDaysGiven = blockDaysGiven || argument == "--block-days";
    } else if (argument.size() > 1 && argument[0] == '-') {
      *error = "error: unknown option \"" + argument + "\"";
      return false;
    } else {
      folders->push_back(argument);
    }
  }
  if (folders->size() != 2) {
    *error = "error: plan needs a run folder and a campaign folder; found " +
             std::to_string(folders->size()) + " folder names";
    return false;
  }
  if (!blockDaysGiven) {
    plan->blockDays = plan->daysPerYear;
  }
  if (!seeded) {
    plan->firstSeed = std::random_device()();
  }
  plan->sourceFolder = std::filesystem::absolute(folders->front()).string();
  return true;
}

int planCampaign(const std::vector<std::string>& arguments) {
  CampaignPlan plan;
  std::vector<std::string> folders;
  std::string error;
  if (!parsePlan(arguments, &plan, &folders, &error) ||
      !campaign_folder::create(folders[0], folders[1], plan, &error)) {
    std::cerr << error << std::endl;
    return exitRefused;
  }
  std::cout << "planned " << plan.runs().size() << " runs of " << plan.years
            << " years in all, seeds from " << plan.firstSeed << ", in \"" << folders[1] << "\""
            << std::endl;
  return 0;
}

int coreCount() {
  cpu_set_t cores;
  if (sched_getaffinity(0, sizeof cores, &cores) == 0) {
    return CPU_COUNT(&cores);
  }
  return 1;
}

// The run index of a task: its argument, or Slurm's array task id. -1, with *error, when
// there is none or it is no run of plan.
int taskIndex(const std::vector<std::string>& arguments, const CampaignPlan& plan,
              std::string* error) {
  if (arguments.size() > 3) {
    *error = "error: task takes a campaign folder and at most a run index";
    return -1;
  }
  const char* fromSlurm = std::getenv("SLURM_ARRAY_TASK_ID");
  std::string text = arguments.size() > 2 ? arguments[2] : fromSlurm ? fromSlurm : "";
  long long index = 0;
  long long last = static_cast<long long>(plan.runs().size()) - 1;
  if (!readWhole(text, 0, last, &index)) {
    *error = "error: the task's run index is \"" + text +
             "\"; accepted: a whole number from 0 to " + std::to_string(last) +
             " (an argument or SLURM_ARRAY_TASK_ID)";
    return -1;
  }
  return static_cast<int>(index);
}

int actOnCampaign(const std::string& action, const std::vector<std::string>& arguments) {
  CampaignPlan plan;
  std::string error;
  if (arguments.size() < 2 || !campaign_folder::readFolderPlan(arguments[1], &plan, &error)) {
    std::cerr << (arguments.size() < 2 ? "error: " + action + " needs a campaign folder" : error)
              << std::endl;
    return exitRefused;
  }
  const std::string& folder = arguments[1];
  std::vector<std::string> rest(arguments.begin() + 2, arguments.end());
  bool done = false;
  if (action == "run") {
    long long jobs = coreCount();
    std::size_t at = 0;
    bool jobsGiven = rest.size() == 2 && rest[0] == "--jobs";
    if (!rest.empty() && (!jobsGiven || !takeWhole(rest, &at, 1, maxJobs, &jobs, &error))) {
      std::cerr << (error.empty() ? "error: run takes only --jobs N" : error) << std::endl;
      return exitRefused;
    }
    done = campaign_runner::makeRuns(folder, plan, static_cast<int>(jobs), &error) &&
           campaign_runner::combine(folder, plan, &error);
  } else if (action == "task") {
    int index = taskIndex(arguments, plan, &error);
    if (index < 0) {
      std::cerr << error << std::endl;
      return exitRefused;
    }
    done = campaign_runner::makeRun(folder, plan, index, &error);
  } else if (action == "combine") {
    done = campaign_runner::combine(folder, plan, &error);
  } else {
    done = submitCampaign(folder, plan, rest, &error);
  }
  if (!done) {
    std::cerr << error << std::endl;
  }
  return done ? 0 : exitFailure;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  std::string action = arguments.empty() ? "" : arguments[0];
  if (action == "--help" || action == "--version") {
    std::cout << (action == "--help" ? usageText()
                                     : std::string("velmora-campaign ") + VELMORA_VERSION + "\n");
    return 0;
  }
  if (action == "plan") {
    return planCampaign(std::vector<std::string>(arguments.begin() + 1, arguments.end()));
  }
  if (action == "run" || action == "task" || action == "combine" || action == "submit") {
    return actOnCampaign(action, arguments);
  }
  std::cerr << (action.empty() ? "error: velmora-campaign needs an action"
                               : "error: unknown action \"" + action + "\"")
            << "; accepted: plan, run, task, combine or submit\n\n"
            << usageText();
  return exitRefused;
}

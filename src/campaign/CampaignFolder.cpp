#include "campaign/CampaignFolder.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <system_error>

#include "base/text/CsvReader.h"
#include "base/text/NativePath.h"
#include "cli/InputFile.h"
#include "cli/OutputFile.h"
#include "data/RunFolderFiles.h"
#include "options/LoadOptions.h"
#include "run/Run.h"
#include "run/RunConfig.h"
#include "run/SiteLoading.h"

namespace fs = std::filesystem;

namespace campaign_folder {
namespace {

constexpr const char* parameterFile = run_folder_files::parameters;
constexpr const char* siteFolder = run_folder_files::siteRoot;
constexpr const char* linesFolder = "influence-lines";  // copies of the il: files
constexpr int daysValueLine = 3;
constexpr int bufferSizeValueLine = 6;
// Without records the buffer size only sets how often a run reports its progress: a line
// every this many vehicles keeps a run's log to a few dozen lines.
constexpr const char* progressInterval = "10000000";

int longestRunDays(const CampaignPlan& plan) {
  int longest = 0;
  for (const PlannedRun& run : plan.runs()) {
    longest = std::max(longest, run.days);
  }
  return longest;
}

// Checks that runFolder's parameters, with the plan's longest run, its site data and the
// plan's load options make a run that velmora would start.
bool checkRunFolder(const std::string& runFolder, const CampaignPlan& plan, std::string* error) {
  RunConfig config;
  CheckedSite site;
  bool parametersFound = false;
  std::string parameters = pathInFolder(runFolder, parameterFile);
  bool usable =
      loadRunFolder(runFolder, longestRunDays(plan), config, &site, &parametersFound, error);
  if (!parametersFound) {
    *error = "the run folder has no \"" + parameters + "\"; a campaign copies its own";
    return false;
  }
  if (!usable) {
    return false;
  }
  RunOptions options;
  options.writeRecords = false;
  const std::vector<std::string>& arguments = plan.loadArguments;
  for (std::size_t i = 0; i < arguments.size(); i += 2) {
    if (!load_options::isLoadOption(arguments[i]) || i + 1 >= arguments.size()) {
      *error = "\"" + arguments[i] + "\" is no load option with its value";
      return false;
    }
    if (!load_options::takeOption(arguments[i], arguments[i + 1], &options.load, error)) {
      return false;
    }
  }
  return laneFactorsCoverLanes(config, options, error) &&
         patternsSuitRun(config, plan.patterns, error);
}

// Writes the lines of the parameter file at source to target with the days value line
// replaced by days. False when either file fails.
bool writeRunParameters(const std::string& source, const std::string& target, int days) {
  CsvReader reader;
  if (!reader.open(source, "")) {
    return false;
  }
  OutputFile file("the run's parameter file", target);
  std::string ignored;  // a failure makes the whole folder fail
  if (!file.open(&ignored)) {
    return false;
  }
  std::ostream& out = file.stream();
  int valueLine = 0;
  for (std::string line; reader.readLine(line);) {
    bool comment = line.compare(0, 2, "//") == 0;
    if (!comment && ++valueLine == daysValueLine) {
      line = std::to_string(days);
    } else if (!comment && valueLine == bufferSizeValueLine) {
      line = progressInterval;
    }
    out << line << '\n';
  }
  return reader.problem().empty() && file.commit(&ignored);
}

bool writePlanFile(const std::string& path, const CampaignPlan& plan) {
  OutputFile file("the plan", path);
  std::string ignored;  // a failure makes the whole folder fail
  if (!file.open(&ignored)) {
    return false;
  }
  writePlan(file.stream(), plan);
  return file.commit(&ignored);
}

// Copies every il: file of the plan into the campaign and points the plan's effects at the
// copies, as the runs see them from their folders, so that the campaign reads nothing from
// outside itself.
bool copyInfluenceLines(const fs::path& folder, CampaignPlan* plan, std::error_code& failure) {
  int copied = 0;
  std::vector<std::string>& arguments = plan->loadArguments;
  for (std::size_t i = 0; i + 1 < arguments.size(); i += 2) {
    std::string& effect = arguments[i + 1];
    if (arguments[i] != "--effect" || effect.compare(0, 3, "il:") != 0) {
      continue;
    }
    fs::path source(effect.substr(3));
    std::string name = std::to_string(++copied) + "-" + source.filename().string();
    fs::create_directories(folder / linesFolder, failure);
    if (failure || !fs::copy_file(source, folder / linesFolder / name, failure)) {
      return false;
    }
    std::string copy = "il:" + (fs::path("..") / linesFolder / name).string();
    for (std::vector<std::string>* list : {&arguments, &plan->extremesArguments}) {
      for (std::size_t j = 0; j + 1 < list->size(); j += 2) {
        std::string& value = (*list)[j + 1];
        bool namesEffect = (*list)[j] == "--stress-per-unit" || (*list)[j] == "--threshold";
        if (namesEffect && value.rfind(effect + "=", 0) == 0) {
          value = copy + value.substr(effect.size());
        }
      }
    }
    effect = copy;
  }
  return true;
}

// Makes the folders and files of the campaign. False, with *error set, at the first failure.
bool writeFolder(const std::string& runFolder, const fs::path& folder, CampaignPlan plan,
                 std::string* error) {
  std::error_code failure;
  fs::create_directories(folder, failure);
  if (!failure) {
    fs::copy(fs::path(runFolder.empty() ? "." : runFolder) / siteFolder, folder / siteFolder,
             fs::copy_options::recursive, failure);
  }
  if (!failure) {
    copyInfluenceLines(folder, &plan, failure);
  }
  if (failure) {
    *error = "cannot make the campaign folder \"" + folder.string() + "\": " + failure.message();
    return false;
  }
  std::string parameters = pathInFolder(runFolder, parameterFile);
  for (const PlannedRun& run : plan.runs()) {
    fs::path runFolderPath = folder / runFolderName(run.index);
    fs::create_directory(runFolderPath, failure);
    if (!failure) {
      fs::create_directory_symlink(fs::path("..") / siteFolder, runFolderPath / siteFolder,
                                   failure);
    }
    if (failure ||
        !writeRunParameters(parameters, (runFolderPath / parameterFile).string(), run.days)) {
      *error = "cannot write the run folder \"" + runFolderPath.string() + "\"";
      return false;
    }
  }
  if (!writePlanFile((folder / planFile).string(), plan)) {
    *error = "cannot write \"" + (folder / planFile).string() + "\"";
    return false;
  }
  return true;
}

}  // namespace

bool create(const std::string& runFolder, const std::string& campaignFolder,
            const CampaignPlan& plan, std::string* error) {
  *error = plan.problem();
  if (!error->empty()) {
    return false;
  }
  if (!checkRunFolder(runFolder, plan, error)) {
    return false;
  }
  std::error_code failure;
  fs::path folder(campaignFolder);
  bool existed = fs::exists(folder, failure);
  if (existed && !(fs::is_directory(folder, failure) && fs::is_empty(folder, failure))) {
    *error = "the campaign folder \"" + campaignFolder +
             "\" exists and is not empty; accepted: a new or empty folder";
    return false;
  }
  if (writeFolder(runFolder, folder, plan, error)) {
    return true;
  }
  if (existed) {
    for (const fs::directory_entry& entry : fs::directory_iterator(folder, failure)) {
      fs::remove_all(entry.path(), failure);
    }
  } else {
    fs::remove_all(folder, failure);
  }
  return false;
}

bool readFolderPlan(const std::string& campaignFolder, CampaignPlan* plan, std::string* error) {
  std::string path = (fs::path(campaignFolder) / planFile).string();
  std::ifstream in;
  std::string problem = openInput(path, in);
  if (!problem.empty()) {
    *error = "cannot read \"" + path + "\": " + problem +
             "; accepted: a folder made by velmora-campaign plan";
    return false;
  }
  if (!readPlan(in, plan, error)) {
    *error = "\"" + path + "\" " + *error;
    return false;
  }
  return true;
}

std::string runPath(const std::string& campaignFolder, int index, const std::string& file) {
  return (fs::path(campaignFolder) / runFolderName(index) / file).string();
}

}  // namespace campaign_folder

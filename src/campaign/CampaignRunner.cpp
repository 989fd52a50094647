#include "campaign/CampaignRunner.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <map>
#include <utility>
#include <vector>

#include "base/text/CsvField.h"
#include "base/text/NumberText.h"
#include "campaign/CampaignFolder.h"
#include "campaign/ChildProcess.h"
#include "campaign/FatigueSummary.h"
#include "cli/InputFile.h"
#include "cli/ProgramFrame.h"
#include "load/FatigueRows.h"
#include "load/LoadEffectEngine.h"
#include "options/LoadOptions.h"

namespace fs = std::filesystem;

namespace campaign_runner {

std::string describe(const PlannedRun& run) {
  return runFolderName(run.index) + " (seed " + std::to_string(run.seed) + ", " +
         program_frame::countOf(run.days, "day") + ")";
}

namespace {

using campaign_folder::runPath;

// The effects of the plan, as the maxima files name them.
std::vector<std::string> effectNames(const CampaignPlan& plan) {
  std::vector<std::string> names;
  for (std::size_t i = 0; i + 1 < plan.loadArguments.size(); i += 2) {
    if (plan.loadArguments[i] == "--effect") {
      names.push_back(plan.loadArguments[i + 1]);
    }
  }
  return names;
}

// The classes of the event maxima: --event-classes's, or velmora's default.
int eventClasses(const CampaignPlan& plan) {
  auto given = std::find(plan.loadArguments.begin(), plan.loadArguments.end(), "--event-classes");
  if (given == plan.loadArguments.end() || given + 1 == plan.loadArguments.end()) {
    return LoadSettings().eventClasses;
  }
  long long classes = LoadSettings().eventClasses;
  readWholeText(*(given + 1), 1, load_options::maxEventClasses, &classes);  // checked with the plan
  return static_cast<int>(classes);
}

// Why the event maxima file of run is not whole (its header and a row for every effect, day
// and class, each line ended), or "" when it is.
std::string eventsIncompleteness(const std::string& campaignFolder, const CampaignPlan& plan,
                                 const PlannedRun& run) {
  std::ifstream in;
  std::string problem =
      openInput(runPath(campaignFolder, run.index, campaign_folder::eventsFile), in);
  if (!problem.empty()) {
    return "it cannot be read: " + problem;
  }
  std::string line;
  if (!std::getline(in, line) || line != LoadEffectEngine::eventHeader()) {
    return "it does not start with the event maxima header";
  }
  long long expected =
      static_cast<long long>(effectNames(plan).size()) * run.days * (eventClasses(plan) + 1);
  long long rows = 0;
  while (std::getline(in, line) && !in.eof()) {
    ++rows;
  }
  if (rows != expected || !line.empty()) {
    return "it holds " + std::to_string(rows) + " whole rows of its " + std::to_string(expected);
  }
  return "";
}

// Whether the rest of a maxima row after its effect and day is max,time_s as numbers,
// vehicles_on_bridge,trucks_on_bridge as whole numbers and a unit.
bool holdsMaximaValues(const std::string& rest) {
  std::vector<std::string> fields;
  std::string::size_type start = 0;
  for (std::string::size_type comma;
       fields.size() < 4 && (comma = rest.find(',', start)) != std::string::npos;
       start = comma + 1) {
    fields.push_back(rest.substr(start, comma - start));
  }
  double number = 0.0;
  long long count = 0;
  return fields.size() == 4 && readNumberText(fields[0], &number) &&
         readNumberText(fields[1], &number) && readWholeText(fields[2], 0, LLONG_MAX, &count) &&
         readWholeText(fields[3], 0, count, &count);
}

// Why the maxima file of run is not whole (every effect of the plan for every day of the
// run, in the order velmora writes them, each line ended), or "" when it is.
std::string incompleteness(const std::string& campaignFolder, const CampaignPlan& plan,
                           const PlannedRun& run) {
  std::ifstream in;
  std::string problem =
      openInput(runPath(campaignFolder, run.index, campaign_folder::maximaFile), in);
  if (!problem.empty()) {
    return "it cannot be read: " + problem;
  }
  std::string line;
  if (!std::getline(in, line) || line != LoadEffectEngine::header()) {
    return "it does not start with the maxima header";
  }
  std::vector<std::string> effects = effectNames(plan);
  long long expected = static_cast<long long>(effects.size()) * run.days;
  long long row = 0;
  for (; std::getline(in, line); ++row) {
    std::size_t effect = static_cast<std::size_t>(row) % effects.size();
    std::string start = csvField(effects[effect]) + "," +
                        std::to_string(row / static_cast<long long>(effects.size()) + 1) + ",";
    if (row >= expected || line.compare(0, start.size(), start) != 0 || in.eof() ||
        !holdsMaximaValues(line.substr(start.size()))) {
      return "line " + std::to_string(row + 2) + " is not the row of " + effects[effect] +
             " on day " + std::to_string(row / static_cast<long long>(effects.size()) + 1);
    }
  }
  if (row < expected) {
    return "it ends after " + std::to_string(row) + " of its " + std::to_string(expected) + " rows";
  }
  return "";
}

// Why a fatigue file of run is not whole (it starts with its header, ends with a line end
// and holds only rows of the plan's effects), or "" when it is.
std::string fatigueIncompleteness(const std::string& path, const char* header,
                                  const CampaignPlan& plan) {
  std::ifstream in;
  std::string problem = openInput(path, in);
  if (!problem.empty()) {
    return "it cannot be read: " + problem;
  }
  std::string line;
  if (!std::getline(in, line) || line != header) {
    return std::string("it does not start with the header ") + header;
  }
  std::string rest((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  if (in.bad() || (!rest.empty() && rest.back() != '\n')) {
    return "its last line is cut short";
  }
  return fatigue_summary::fileProblem(path, plan,
                                      std::string(header) == fatigue_rows::spectrumHeader());
}

// The run's fatigue files that are planned, with their headers.
std::vector<std::pair<const char*, const char*>> fatigueFiles(const CampaignPlan& plan) {
  std::vector<std::pair<const char*, const char*>> files;
  if (plan.fatigue) {
    files.emplace_back(campaign_folder::spectraFile, fatigue_rows::spectrumHeader());
  }
  if (plan.countsDamage()) {
    files.emplace_back(campaign_folder::damageFile, fatigue_rows::damageHeader());
  }
  return files;
}

// What of the run's files is not whole: the file's name and why, or empty names when all
// are whole.
std::pair<std::string, std::string> incompleteFile(const std::string& campaignFolder,
                                                   const CampaignPlan& plan,
                                                   const PlannedRun& run) {
  std::string why = incompleteness(campaignFolder, plan, run);
  if (!why.empty()) {
    return {campaign_folder::maximaFile, why};
  }
  why = plan.eventMaxima ? eventsIncompleteness(campaignFolder, plan, run) : "";
  if (!why.empty()) {
    return {campaign_folder::eventsFile, why};
  }
  for (const auto& [file, header] : fatigueFiles(plan)) {
    why = fatigueIncompleteness(runPath(campaignFolder, run.index, file), header, plan);
    if (!why.empty()) {
      return {file, why};
    }
  }
  return {"", ""};
}

bool fileExists(const std::string& path) {
  std::error_code failure;
  return fs::exists(path, failure);
}

bool isMade(const std::string& campaignFolder, const CampaignPlan& plan, const PlannedRun& run) {
  return fileExists(runPath(campaignFolder, run.index, campaign_folder::maximaFile)) &&
         incompleteFile(campaignFolder, plan, run).first.empty();
}

// A run whose maxima file is there but whose files are not whole is made again: its maxima
// file, which marks it as made, is removed.
void dropIncompleteMaxima(const std::string& campaignFolder, const CampaignPlan& plan,
                          const PlannedRun& run) {
  std::string maxima = runPath(campaignFolder, run.index, campaign_folder::maximaFile);
  if (!fileExists(maxima)) {
    return;
  }
  auto [file, why] = incompleteFile(campaignFolder, plan, run);
  if (!file.empty()) {
    std::cout << describe(run) << ": its " << file << " is not whole (" << why
              << "); making it again" << std::endl;
    std::error_code failure;
    fs::remove(maxima, failure);
  }
}

std::vector<std::string> velmoraCommand(const CampaignPlan& plan, const PlannedRun& run) {
  std::vector<std::string> command = {siblingProgram("velmora"), "--seed", std::to_string(run.seed),
                                      "--no-records"};
  command.insert(command.end(), plan.loadArguments.begin(), plan.loadArguments.end());
  std::vector<std::string> patterns = traffic_patterns::arguments(plan.patterns);
  command.insert(command.end(), patterns.begin(), patterns.end());
  command.push_back("--maxima");
  command.push_back(campaign_folder::partialMaximaFile);
  if (plan.eventMaxima) {
    command.push_back("--event-maxima");
    command.push_back(campaign_folder::partialEventsFile);
  }
  if (plan.fatigue) {
    command.push_back("--fatigue");
    command.push_back(campaign_folder::partialSpectraFile);
  }
  if (plan.countsDamage()) {
    command.push_back("--damage");
    command.push_back(campaign_folder::partialDamageFile);
  }
  return command;
}

}  // namespace

namespace {

// After the run's velmora ended with status: its maxima (and event maxima) files in place,
// or *error.
bool finishRun(const std::string& campaignFolder, const CampaignPlan& plan, const PlannedRun& run,
               int status, std::string* error) {
  std::string log = runPath(campaignFolder, run.index, campaign_folder::logFile);
  if (status == 0) {
    std::error_code failure;
    // First the others: the maxima file in place marks the run as made.
    std::vector<std::pair<const char*, const char*>> others;
    if (plan.eventMaxima) {
      others.emplace_back(campaign_folder::partialEventsFile, campaign_folder::eventsFile);
    }
    if (plan.fatigue) {
      others.emplace_back(campaign_folder::partialSpectraFile, campaign_folder::spectraFile);
    }
    if (plan.countsDamage()) {
      others.emplace_back(campaign_folder::partialDamageFile, campaign_folder::damageFile);
    }
    for (const auto& [partial, whole] : others) {
      if (!failure) {
        fs::rename(runPath(campaignFolder, run.index, partial),
                   runPath(campaignFolder, run.index, whole), failure);
      }
    }
    if (!failure) {
      fs::rename(runPath(campaignFolder, run.index, campaign_folder::partialMaximaFile),
                 runPath(campaignFolder, run.index, campaign_folder::maximaFile), failure);
    }
    if (!failure) {
      return true;
    }
  }
  std::string cause = lastErrorLine(log);
  *error = describe(run) + " failed with exit status " + std::to_string(status) +
           (cause.empty() ? "" : " (" + cause + ")") + "; its log is \"" + log + "\"";
  return false;
}

pid_t startRun(const std::string& campaignFolder, const CampaignPlan& plan, const PlannedRun& run,
               std::string* error) {
  std::cout << "started " << describe(run) << std::endl;
  return startProcess(velmoraCommand(plan, run),
                      (fs::path(campaignFolder) / runFolderName(run.index)).string(),
                      runPath(campaignFolder, run.index, campaign_folder::logFile), error);
}

std::vector<std::string> extremesCommand(const std::string& folder, const CampaignPlan& plan) {
  std::vector<std::string> command = {siblingProgram("velmora-extremes"),      "--block-days",
                                      std::to_string(plan.blockDays),          "--days-per-year",
                                      std::to_string(plan.daysPerYear),        "--svg",
                                      (fs::path(folder) / chartFile).string(), "--csv",
                                      (fs::path(folder) / tableFile).string()};
  for (double years : plan.returnYears) {
    command.push_back("--return-period");
    command.push_back(shortestText(years));
  }
  command.insert(command.end(), plan.extremesArguments.begin(), plan.extremesArguments.end());
  for (const PlannedRun& run : plan.runs()) {
    command.push_back(runPath(folder, run.index, campaign_folder::maximaFile));
    if (plan.eventMaxima) {
      command.push_back("--composite");
      command.push_back(runPath(folder, run.index, campaign_folder::eventsFile));
    }
  }
  return command;
}

}  // namespace

bool makeRun(const std::string& campaignFolder, const CampaignPlan& plan, int index,
             std::string* error) {
  const PlannedRun run = plan.runs().at(static_cast<std::size_t>(index));
  dropIncompleteMaxima(campaignFolder, plan, run);
  if (isMade(campaignFolder, plan, run)) {
    std::cout << describe(run) << " is made already" << std::endl;
    return true;
  }
  if (startRun(campaignFolder, plan, run, error) < 0) {
    return false;
  }
  int status = 0;
  waitForChild(&status);
  if (!finishRun(campaignFolder, plan, run, status, error)) {
    return false;
  }
  std::cout << "made " << describe(run) << std::endl;
  return true;
}

bool makeRuns(const std::string& campaignFolder, const CampaignPlan& plan, int jobs,
              std::string* error) {
  std::vector<PlannedRun> waiting;
  for (const PlannedRun& run : plan.runs()) {
    dropIncompleteMaxima(campaignFolder, plan, run);
    if (!isMade(campaignFolder, plan, run)) {
      waiting.push_back(run);
    }
  }
  std::size_t total = plan.runs().size();
  std::size_t made = total - waiting.size();
  std::cout << made << " of " << program_frame::countOf(static_cast<long long>(total), "run")
            << " made already" << std::endl;
  std::map<pid_t, PlannedRun> underWay;
  std::size_t next = 0;
  error->clear();
  while (true) {
    while (error->empty() && next < waiting.size() &&
           underWay.size() < static_cast<std::size_t>(jobs)) {
      pid_t child = startRun(campaignFolder, plan, waiting[next], error);
      if (child > 0) {
        underWay[child] = waiting[next++];
      }
    }
    int status = 0;
    pid_t child = underWay.empty() ? -1 : waitForChild(&status);
    auto ended = underWay.find(child);
    if (ended == underWay.end()) {
      break;
    }
    std::string failure;
    if (finishRun(campaignFolder, plan, ended->second, status, &failure)) {
      std::cout << "made " << describe(ended->second) << ": " << ++made << " of "
                << program_frame::countOf(static_cast<long long>(total), "run") << std::endl;
    } else if (error->empty()) {
      *error = failure;
    }
    underWay.erase(ended);
  }
  return error->empty();
}

int firstRunNotMade(const std::string& campaignFolder, const CampaignPlan& plan) {
  for (const PlannedRun& run : plan.runs()) {
    if (!isMade(campaignFolder, plan, run)) {
      return run.index;
    }
  }
  return -1;
}

bool combine(const std::string& campaignFolder, const CampaignPlan& plan, std::string* error) {
  int missing = firstRunNotMade(campaignFolder, plan);
  if (missing >= 0) {
    const PlannedRun run = plan.runs()[static_cast<std::size_t>(missing)];
    std::string maxima = runPath(campaignFolder, run.index, campaign_folder::maximaFile);
    auto [file, why] = incompleteFile(campaignFolder, plan, run);
    *error = fileExists(maxima)
                 ? describe(run) + ": \"" + runPath(campaignFolder, run.index, file) +
                       "\" is not whole (" + why +
                       "); make the run again with velmora-campaign run or task"
                 : describe(run) + " is not made yet; make it with velmora-campaign run or task";
    return false;
  }
  std::string report = (fs::path(campaignFolder) / reportFile).string();
  std::string partialReport = report + ".partial";
  if (startProcess(extremesCommand(campaignFolder, plan), ".", partialReport, error) < 0) {
    return false;
  }
  int status = 0;
  waitForChild(&status);
  std::error_code failure;
  if (status != 0) {
    std::string cause = lastErrorLine(partialReport);
    std::string prefix = program_frame::errorPrefix;
    *error = cause.empty() ? "velmora-extremes failed with exit status " + std::to_string(status)
                           : cause.substr(prefix.size());  // its message, printed again as ours
    fs::remove(partialReport, failure);
    return false;
  }
  fs::rename(partialReport, report, failure);
  std::ifstream in;
  std::string problem = failure ? failure.message() : openInput(report, in);
  if (!problem.empty()) {
    *error = "cannot read the report \"" + report + "\": " + problem;
    return false;
  }
  std::cout << in.rdbuf();
  return !plan.fatigue || fatigue_summary::combineFatigue(campaignFolder, plan, error);
}

}  // namespace campaign_runner

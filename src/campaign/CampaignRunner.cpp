#include "campaign/CampaignRunner.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <vector>

#include "campaign/CampaignFolder.h"
#include "campaign/ChildProcess.h"

namespace fs = std::filesystem;

namespace campaign_runner {
namespace {

using campaign_folder::runPath;

bool isMade(const std::string& campaignFolder, int index) {
  std::error_code failure;
  return fs::is_regular_file(runPath(campaignFolder, index, campaign_folder::maximaFile), failure);
}

std::vector<std::string> velmoraCommand(const CampaignPlan& plan, const PlannedRun& run) {
  std::vector<std::string> command = {siblingProgram("velmora"), "--seed", std::to_string(run.seed),
                                      "--no-records"};
  command.insert(command.end(), plan.loadArguments.begin(), plan.loadArguments.end());
  command.push_back("--maxima");
  command.push_back(campaign_folder::partialMaximaFile);
  return command;
}

}  // namespace

std::string describe(const PlannedRun& run) {
  return runFolderName(run.index) + " (seed " + std::to_string(run.seed) + ", " +
         std::to_string(run.days) + " days)";
}

namespace {

// After the run's velmora ended with status: its maxima file in place, or *error.
bool finishRun(const std::string& campaignFolder, const PlannedRun& run, int status,
               std::string* error) {
  std::string log = runPath(campaignFolder, run.index, campaign_folder::logFile);
  if (status == 0) {
    std::error_code failure;
    fs::rename(runPath(campaignFolder, run.index, campaign_folder::partialMaximaFile),
               runPath(campaignFolder, run.index, campaign_folder::maximaFile), failure);
    if (!failure) {
      return true;
    }
  }
  std::string cause = lastErrorLine(log);
  *error = "error: " + describe(run) + " failed with exit status " + std::to_string(status) +
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
  for (const PlannedRun& run : plan.runs()) {
    command.push_back(runPath(folder, run.index, campaign_folder::maximaFile));
  }
  return command;
}

}  // namespace

bool makeRun(const std::string& campaignFolder, const CampaignPlan& plan, int index,
             std::string* error) {
  const PlannedRun run = plan.runs().at(static_cast<std::size_t>(index));
  if (isMade(campaignFolder, index)) {
    std::cout << describe(run) << " is made already" << std::endl;
    return true;
  }
  if (startRun(campaignFolder, plan, run, error) < 0) {
    return false;
  }
  int status = 0;
  waitForChild(&status);
  if (!finishRun(campaignFolder, run, status, error)) {
    return false;
  }
  std::cout << "made " << describe(run) << std::endl;
  return true;
}

bool makeRuns(const std::string& campaignFolder, const CampaignPlan& plan, int jobs,
              std::string* error) {
  std::vector<PlannedRun> waiting;
  for (const PlannedRun& run : plan.runs()) {
    if (!isMade(campaignFolder, run.index)) {
      waiting.push_back(run);
    }
  }
  std::size_t total = plan.runs().size();
  std::size_t made = total - waiting.size();
  std::cout << made << " of " << total << " runs made already" << std::endl;
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
    if (finishRun(campaignFolder, ended->second, status, &failure)) {
      std::cout << "made " << describe(ended->second) << ": " << ++made << " of " << total
                << " runs" << std::endl;
    } else if (error->empty()) {
      *error = failure;
    }
    underWay.erase(ended);
  }
  return error->empty();
}

int firstRunNotMade(const std::string& campaignFolder, const CampaignPlan& plan) {
  for (const PlannedRun& run : plan.runs()) {
    if (!isMade(campaignFolder, run.index)) {
      return run.index;
    }
  }
  return -1;
}

bool combine(const std::string& campaignFolder, const CampaignPlan& plan, std::string* error) {
  int missing = firstRunNotMade(campaignFolder, plan);
  if (missing >= 0) {
    *error = "error: " + describe(plan.runs()[static_cast<std::size_t>(missing)]) +
             " is not made yet; make it with velmora-campaign run or task";
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
    *error = cause.empty()
                 ? "error: velmora-extremes failed with exit status " + std::to_string(status)
                 : cause;
    fs::remove(partialReport, failure);
    return false;
  }
  fs::rename(partialReport, report, failure);
  std::ifstream in(report, std::ios::binary);
  std::cout << in.rdbuf();
  return true;
}

}  // namespace campaign_runner

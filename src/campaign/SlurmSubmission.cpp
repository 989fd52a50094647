#include "campaign/SlurmSubmission.h"

#include <filesystem>
#include <fstream>
#include <iostream>

#include "campaign/CampaignRunner.h"
#include "campaign/ChildProcess.h"
#include "cli/InputFile.h"

namespace fs = std::filesystem;

namespace {

// Runs sbatch with the arguments, its output in log. The job id, or "" with *error. With
// waiting, sbatch's status is the job's, which the caller checks in its own way.
std::string submitJob(std::vector<std::string> arguments, const std::string& log, bool waiting,
                      std::string* error) {
  arguments.insert(arguments.begin(), {"sbatch", "--parsable"});
  if (startProcess(arguments, ".", log, error) < 0) {
    return "";
  }
  int status = 0;
  waitForChild(&status);
  std::ifstream in;
  openInput(log, in);  // an unreadable log holds no job
  std::string jobId;
  std::getline(in, jobId);
  jobId = jobId.substr(0, jobId.find(';'));  // "id;cluster" on a federation
  if ((status != 0 && !waiting) || jobId.empty()) {
    *error = "sbatch failed with exit status " + std::to_string(status) + "; see \"" + log + "\"";
    return "";
  }
  return jobId;
}

// After waiting: true when the campaign has its report; else false, with *error saying
// which job's output tells why.
bool checkOutcome(const std::string& folder, const CampaignPlan& plan, std::string* error) {
  int missing = campaign_runner::firstRunNotMade(folder, plan);
  if (missing >= 0) {
    *error = campaign_runner::describe(plan.runs()[static_cast<std::size_t>(missing)]) +
             " was not made, so nothing was combined; see \"" + folder + "/slurm-" +
             std::to_string(missing) + ".out\"";
    return false;
  }
  if (!fs::exists(fs::path(folder) / campaign_runner::reportFile)) {
    *error = "the combining ended without a report; see \"" + folder + "/slurm-combine.out\"";
    return false;
  }
  return true;
}

}  // namespace

bool submitCampaign(const std::string& campaignFolder, const CampaignPlan& plan,
                    const std::vector<std::string>& options, std::string* error) {
  std::string self = fs::read_symlink("/proc/self/exe").string();
  std::string folder = fs::absolute(campaignFolder).lexically_normal().string();
  if (self.find('\'') != std::string::npos || folder.find('\'') != std::string::npos) {
    *error = "the campaign folder \"" + folder +
             "\" or this program's path holds a single quote; accepted: paths without";
    return false;
  }
  bool wait = false;
  std::vector<std::string> sbatchOptions;
  for (const std::string& option : options) {
    if (option == "--wait") {
      wait = true;
    } else {
      sbatchOptions.push_back(option);
    }
  }
  std::error_code failure;
  fs::remove(fs::path(folder) / campaign_runner::reportFile, failure);  // the jobs write anew
  std::vector<std::string> runs = sbatchOptions;
  runs.insert(runs.end(), {"--array=0-" + std::to_string(plan.runs().size() - 1),
                           "--job-name=velmora-runs", "--output=" + folder + "/slurm-%a.out",
                           "--wrap", "exec '" + self + "' task '" + folder + "'"});
  std::string runsJob = submitJob(runs, folder + "/sbatch-runs.txt", false, error);
  if (runsJob.empty()) {
    return false;
  }
  std::vector<std::string> combining = sbatchOptions;
  combining.insert(combining.end(),
                   {"--dependency=afterok:" + runsJob, "--kill-on-invalid-dep=yes",
                    "--job-name=velmora-combine", "--output=" + folder + "/slurm-combine.out",
                    "--wrap", "exec '" + self + "' combine '" + folder + "'"});
  if (wait) {
    combining.push_back("--wait");
  }
  std::cout << "submitted the runs as job " << runsJob << std::endl;
  std::string combineJob = submitJob(combining, folder + "/sbatch-combine.txt", wait, error);
  if (combineJob.empty()) {
    return false;
  }
  std::cout << "submitted the combining as job " << combineJob << std::endl;
  return !wait || checkOutcome(folder, plan, error);
}

// A run folder's site data, read with the site codes of its parameters and checked against
// the road and traffic model they describe: what the run, velmora-stats and the fuzzing
// harness all start from.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "data/TrafficData.h"
#include "run/RunConfig.h"

struct CheckedSite {
  TrafficData data;                     // with the run's car fraction
  std::vector<std::string> inputPaths;  // the site files read, as the platform opens them
};

// Reads runFolder's parameter file ("" for the working folder) into *config, or keeps
// config's defaults when the file does not exist (*parametersFound false; true when it
// exists, even unreadable), replaces
// its days by `days` when given, checks the parameters and reads and checks the site data
// into *site: the one way a run, velmora-stats and a campaign read a run folder. False,
// with *error one line, when the parameter file exists but cannot be read or any
// of it cannot serve a run.
bool loadRunFolder(const std::string& runFolder, std::optional<int> days, RunConfig& config,
                   CheckedSite* site, bool* parametersFound, std::string* error);

// Reads the site files under runFolder ("" for the working folder) that config's site codes
// pick, and checks them for config's road and traffic model. False, with *error one
// line that names the file, when they cannot serve the run.
bool loadCheckedSiteData(const RunConfig& config, const std::string& runFolder, CheckedSite* site,
                         std::string* error);

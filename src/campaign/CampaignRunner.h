// Makes a campaign's runs with velmora (seeded, no records, the plan's load options), each in
// its own folder, and combines their daily maxima with velmora-extremes. A run's maxima file
// appears only once the run has succeeded, so a campaign that stopped can be taken up again:
// runs already made are not made again. Progress goes to standard output.
#pragma once

#include <string>

#include "campaign/CampaignPlan.h"

namespace campaign_runner {

constexpr const char* reportFile = "report.txt";  // velmora-extremes' report
constexpr const char* chartFile = "return-levels.svg";
constexpr const char* tableFile = "return-levels.csv";

// "run-0002 (seed 43, 8 days)": a run as messages name it.
std::string describe(const PlannedRun& run);

// Makes run index of the plan in campaignFolder (nothing when it is made already). False,
// with *error one line naming the run and its log, when it fails.
bool makeRun(const std::string& campaignFolder, const CampaignPlan& plan, int index,
             std::string* error);

// The index of the first run of the plan that is not made yet, or -1 when all are.
int firstRunNotMade(const std::string& campaignFolder, const CampaignPlan& plan);

// Makes every run not yet made, up to jobs at a time. After a failure no further run starts;
// those under way are finished. False, with *error the first failure, then.
bool makeRuns(const std::string& campaignFolder, const CampaignPlan& plan, int jobs,
              std::string* error);

// Fits the maxima of every run, in run order, writing the report, the chart and the table
// into campaignFolder and the report to standard output. False, with *error one line
// line, when a run is not made yet or the fit fails.
bool combine(const std::string& campaignFolder, const CampaignPlan& plan, std::string* error);

}  // namespace campaign_runner

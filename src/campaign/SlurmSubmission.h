// A campaign handed to a Slurm cluster with sbatch: its runs as one job array, a task for
// each run, and the combining as a job that starts once every task has succeeded (and is
// cancelled when one fails). The jobs run this program again, from its own path, so it must
// lie on a file system that the nodes share, as must the campaign folder.
#pragma once

#include <string>
#include <vector>

#include "campaign/CampaignPlan.h"

// Submits the jobs for the campaign in campaignFolder with the options of the command line:
// "--wait" waits for the combining to end, anything else goes to sbatch for both jobs. The
// job ids go to standard output. False, with *error one line, when sbatch fails, or,
// waiting, when the campaign ended without its report.
bool submitCampaign(const std::string& campaignFolder, const CampaignPlan& plan,
                    const std::vector<std::string>& options, std::string* error);

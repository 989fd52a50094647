// A campaign's folder: its plan ("campaign.txt"), one copy of the site data ("Traffic/"),
// and for every run a folder of its own ("run-0000", ...) holding the run folder's
// "VLMin.txt" with the run's days, a link to the site data, and, once the run has succeeded,
// its daily maxima ("maxima.csv") and, when planned, its event maxima ("events.csv") and
// its fatigue spectra and damage ("fatigue.csv", "damage.csv").
#pragma once

#include <string>

#include "campaign/CampaignPlan.h"

namespace campaign_folder {

constexpr const char* planFile = "campaign.txt";
constexpr const char* maximaFile = "maxima.csv";  // in a run's folder, once it has succeeded
constexpr const char* partialMaximaFile = "maxima.csv.partial";  // while it runs
constexpr const char* logFile = "log.txt";                       // a run's console output
constexpr const char* eventsFile = "events.csv";  // a run's event maxima, when planned
constexpr const char* partialEventsFile = "events.csv.partial";
constexpr const char* spectraFile = "fatigue.csv";  // a run's fatigue spectra, when planned
constexpr const char* partialSpectraFile = "fatigue.csv.partial";
constexpr const char* damageFile = "damage.csv";  // a run's fatigue damage, when planned
constexpr const char* partialDamageFile = "damage.csv.partial";

// Creates campaignFolder (which must not exist, or be empty) from runFolder's "VLMin.txt"
// and "Traffic/" for plan. The parameters and the site data are checked first, for a run of
// the plan's longest; the effects are velmora's. False, with *error one line, when
// anything cannot be used or written; nothing is left behind then.
bool create(const std::string& runFolder, const std::string& campaignFolder,
            const CampaignPlan& plan, std::string* error);

// Reads campaignFolder's plan. False, with *error one line, when it cannot.
bool readFolderPlan(const std::string& campaignFolder, CampaignPlan* plan, std::string* error);

// The path of file in the folder of run index.
std::string runPath(const std::string& campaignFolder, int index, const std::string& file);

}  // namespace campaign_folder

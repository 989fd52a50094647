// The fatigue of a campaign: every run's spectra and damage added up, in run order, into the
// campaign's own spectra and damage files (the layout the runs write), a report of the
// damage per simulated year, the years to a Miner sum of 1 and the equivalent range, by
// effect and detail category, and the spectra drawn as a chart.
#pragma once

#include <string>
#include <vector>

#include "campaign/CampaignPlan.h"
#include "load/FatigueTally.h"

namespace fatigue_summary {

constexpr const char* reportFile = "fatigue.txt";
constexpr const char* spectraFile = "fatigue.csv";
constexpr const char* damageFile = "damage.csv";
constexpr const char* chartFile = "fatigue.svg";

struct SpectrumBin {
  double from = 0.0;  // effect unit
  double to = 0.0;
  double cycles = 0.0;
};

struct DamageSum {
  double category = 0.0;  // delta_c, MPa
  double cycles = 0.0;    // at or above the cut-off limit
  double damage = 0.0;    // Miner sum
};

// One effect's fatigue over the whole campaign.
struct EffectFatigue {
  std::string name;  // as the rows name it
  std::string unit;
  std::vector<SpectrumBin> bins;  // non-empty, rising
  std::vector<DamageSum> damage;  // by detail category, when counted
  FatigueOfEffect settings;       // stress per unit, partial factor and curves, as the runs had
  double gammaMf = 1.0;
};

// Why a run's spectra (or damage) file at path holds a row that is none of the plan's
// effects' (a number that is none, a negative count, an unknown effect or category), or ""
// when every row is one.
std::string fileProblem(const std::string& path, const CampaignPlan& plan, bool spectra);

// Adds up the fatigue files of the plan's runs, all made, and writes the campaign's files
// into campaignFolder, the report also to standard output. False, with *error one line
// naming the file and line, when a run's file is not what the runs write.
bool combineFatigue(const std::string& campaignFolder, const CampaignPlan& plan,
                    std::string* error);

}  // namespace fatigue_summary

// A campaign: many years of traffic on one run folder, made as runs of whole years with
// seeds first, first + 1, ... (each run at most 24,855 days, the longest a run can be), whose
// daily maxima of load effects are fitted together. The plan alone fixes every result, so a
// campaign made again from the same plan, on any number of cores or nodes, gives the same
// results. It is kept as the text file "campaign.txt" in the campaign folder.
#pragma once

#include <cstdint>
#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "base/Calendar.h"
#include "extremes/AnalysisLimits.h"
#include "traffic/TrafficPatterns.h"

struct PlannedRun {
  int index = 0;  // from 0: the run's folder is runFolderName(index)
  std::uint32_t seed = 0;
  int days = 0;
};

struct CampaignPlan {
  static constexpr int maxYears = 1000000;
  static constexpr int maxRuns = 10000;  // their maxima files must fit on one command line
  static constexpr int maxDaysPerYear = calendar::maxRunDays;  // one year must fit in one run
  static constexpr int defaultYearsPerRun = 20;

  std::string sourceFolder;  // the run folder the campaign was planned from, for the record
  int years = 0;
  int daysPerYear = calendar::daysPerYear;
  int yearsPerRun = defaultYearsPerRun;  // the last run takes what is left
  int coresSplitFor = 0;  // > 0: the years were split so that this many cores each have a run
  std::uint32_t firstSeed = 0;
  // velmora's load options, one argument each ("--effect", "moment:30", ...).
  std::vector<std::string> loadArguments;
  bool eventMaxima = false;  // the runs also write event maxima, for the composite model
  // The runs also count fatigue cycles and write their spectra, and their damage when the
  // load arguments name detail categories.
  bool fatigue = false;
  // Jams and platoons in every run's traffic.
  TrafficPatterns patterns;
  // velmora-extremes' options for the tails, one argument each ("--threshold", "5200", ...).
  std::vector<std::string> extremesArguments;
  int blockDays = calendar::daysPerYear;  // of the fits: a year's maxima by default
  std::vector<double> returnYears{analysis_limits::defaultReturnYears.begin(),
                                  analysis_limits::defaultReturnYears.end()};

  // The runs, in the order their maxima are fitted.
  std::vector<PlannedRun> runs() const;
  // The runs write fatigue damage: fatigue with detail categories.
  bool countsDamage() const;
  // Splits the years into the fewest equal runs of at most the default length whose number
  // is a multiple of `cores` (50 years on 2 cores: 10 runs of 5); when the years allow none,
  // into the fewest equal runs that give every core one, or runs of one year. A length
  // other than the default is noted in coresSplitFor.
  void splitForCores(int cores);
  // Sets blockDays to the longest block, at most a year, that leaves the fits
  // analysis_limits::plannedBlocks block maxima over the runs; a day when none does.
  void chooseBlockDays();
  // What makes the plan unusable, naming velmora-campaign's option, the value and what is
  // accepted; empty when it can be made.
  std::string problem() const;
};

// "run-0007": the folder of run index in the campaign folder, numbered for sorting.
std::string runFolderName(int index);

// Writes the plan as "key=value" lines under a comment saying what the file is.
void writePlan(std::ostream& out, const CampaignPlan& plan);
// Reads a plan written by writePlan. False, with *error naming the line and what is wrong,
// for any other text or a plan that problem() refuses.
bool readPlan(std::istream& in, CampaignPlan* plan, std::string* error);

// Campaigns: how a plan splits the years into seeded runs and reads back, and, through
// velmora-campaign itself on the sample folder, that the results depend on the plan alone
// (jobs, tasks, a campaign taken up again), that each run is the seeded velmora run, and
// that refused plans and failed runs say so and leave nothing behind.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "campaign/CampaignPlan.h"
#include "support/ProgramRun.h"
#include "support/TestFolder.h"
#include "support/TextLines.h"

namespace {

CampaignPlan planOf(int years, int yearsPerRun, int daysPerYear, std::uint32_t firstSeed) {
  CampaignPlan plan;
  plan.years = years;
  plan.yearsPerRun = yearsPerRun;
  plan.daysPerYear = daysPerYear;
  plan.blockDays = daysPerYear;
  plan.firstSeed = firstSeed;
  plan.loadArguments = {"--effect", "moment:30"};
  return plan;
}

TEST(CampaignPlanTest, SplitsTheYearsIntoRunsWithConsecutiveSeeds) {
  std::vector<PlannedRun> runs = planOf(45, 20, 250, 4294967294u).runs();
  ASSERT_EQ(runs.size(), 3u);
  EXPECT_EQ(runs[0].days, 5000);
  EXPECT_EQ(runs[1].days, 5000);
  EXPECT_EQ(runs[2].days, 1250);  // the last run takes what is left
  EXPECT_EQ(runs[0].seed, 4294967294u);
  EXPECT_EQ(runs[1].seed, 4294967295u);
  EXPECT_EQ(runs[2].seed, 0u);  // wraps around, still distinct
  EXPECT_EQ(runs[2].index, 2);
  EXPECT_EQ(runFolderName(2), "run-0002");
  EXPECT_EQ(runFolderName(12345), "run-12345");
}

TEST(CampaignPlanTest, RefusesPlansNoRunCanMake) {
  EXPECT_EQ(planOf(1000, 20, 250, 1).problem(), "");
  EXPECT_EQ(planOf(1000, 100, 250, 1).problem(),
            "--years-per-run is 100; accepted: a whole number from 1 to 99 (a run holds at "
            "most 24855 days of 250 a year)");
  EXPECT_EQ(planOf(0, 1, 250, 1).problem(),
            "--years is 0; accepted: a whole number from 1 to 1000000");
  EXPECT_EQ(planOf(20000, 1, 250, 1).problem(),
            "--years 20000 in runs of --years-per-run 1 make more than 10000 runs; accepted: "
            "at most 10000 runs (longer runs)");
  CampaignPlan noEffect = planOf(10, 1, 250, 1);
  noEffect.loadArguments = {"--kn-per-unit", "0.981"};
  EXPECT_EQ(noEffect.problem(), "no --effect given; accepted: one or more, as velmora takes them");
  CampaignPlan longBlocks = planOf(10, 1, 250, 1);
  longBlocks.blockDays = 251;
  EXPECT_EQ(longBlocks.problem(),
            "--block-days is 251; accepted: a whole number from 1 to the days of a run, 250");
}

TEST(CampaignPlanTest, ReadsBackExactlyWhatItWrote) {
  CampaignPlan plan = planOf(45, 20, 200, 99);
  plan.sourceFolder = "/data/my road";
  plan.loadArguments = {"--effect", "il:/data/line=1.csv", "--lane-factors", "1,0.5"};
  plan.returnYears = {1.5, 0.1 + 1000.0};
  plan.blockDays = 7;
  plan.patterns.jams = JamSettings{0.1 + 0.2, 45.0};
  plan.patterns.platoons = PlatoonSettings{0.2, 3, 10.5};
  std::stringstream text;
  writePlan(text, plan);
  CampaignPlan read;
  std::string error;
  ASSERT_TRUE(readPlan(text, &read, &error)) << error;
  EXPECT_EQ(read.sourceFolder, plan.sourceFolder);
  EXPECT_EQ(read.years, 45);
  EXPECT_EQ(read.yearsPerRun, 20);
  EXPECT_EQ(read.daysPerYear, 200);
  EXPECT_EQ(read.firstSeed, 99u);
  EXPECT_EQ(read.blockDays, 7);
  EXPECT_EQ(read.loadArguments, plan.loadArguments);
  EXPECT_EQ(read.returnYears, plan.returnYears);
  EXPECT_EQ(traffic_patterns::arguments(read.patterns), traffic_patterns::arguments(plan.patterns));
  EXPECT_EQ(read.patterns.jams->perDay, 0.1 + 0.2);
  EXPECT_NE(text.str().find("\njams=0.30000000000000004:45\nplatoons=0.2:3:10.5\n"),
            std::string::npos)
      << text.str();
}

TEST(CampaignPlanTest, CampaignsAreSplitIntoEqualRunsThatTheCoresShareEvenly) {
  CampaignPlan plan = planOf(50, 20, 250, 1);
  plan.splitForCores(2);
  EXPECT_EQ(plan.yearsPerRun, 5);  // not 20, 20 and 10: one core would idle
  EXPECT_EQ(plan.runs().size(), 10u);
  plan.years = 6;
  plan.splitForCores(4);
  EXPECT_EQ(plan.yearsPerRun, 1);  // no even share of 6 years on 4 cores: every core busy
  EXPECT_EQ(plan.runs().size(), 6u);
  plan.years = 7;
  plan.splitForCores(2);
  EXPECT_EQ(plan.yearsPerRun, 1);
  plan.years = 1000;
  plan.splitForCores(2);
  EXPECT_EQ(plan.yearsPerRun, 20);
  EXPECT_EQ(plan.coresSplitFor, 0);
  plan.years = 6;
  plan.splitForCores(2);
  EXPECT_EQ(plan.yearsPerRun, 3);
  EXPECT_EQ(plan.coresSplitFor, 2);
  std::stringstream text;
  writePlan(text, plan);
  EXPECT_NE(text.str().find("\n# 2 equal runs of 3 years rather than runs of 20, so that the 2 "
                            "cores share them evenly\n"),
            std::string::npos)
      << text.str();
  CampaignPlan read;
  std::string error;
  ASSERT_TRUE(readPlan(text, &read, &error)) << error;
  EXPECT_EQ(read.yearsPerRun, 3);
  plan.years = 40;
  plan.splitForCores(2);
  EXPECT_EQ(plan.yearsPerRun, 20);
  EXPECT_EQ(plan.coresSplitFor, 0);
  plan.splitForCores(1);
  EXPECT_EQ(plan.yearsPerRun, 20);
}

TEST(CampaignPlanTest, DefaultBlocksAreTheLongestThatLeaveAHundredUpToAYear) {
  CampaignPlan plan = planOf(100, 20, 250, 1);
  plan.chooseBlockDays();
  EXPECT_EQ(plan.blockDays, 250);  // a hundred years: annual maxima
  plan.years = 20;
  plan.chooseBlockDays();
  EXPECT_EQ(plan.blockDays, 50);  // 5000 days in 100 blocks
  plan = planOf(3, 1, 250, 1);    // runs of a year: blocks must fit in each
  plan.chooseBlockDays();
  EXPECT_EQ(plan.blockDays, 7);  // 3 runs of 35 blocks; 8 days would leave 31 each
  plan = planOf(6, 2, 2, 1);     // 12 days in all: no block length leaves 100
  plan.chooseBlockDays();
  EXPECT_EQ(plan.blockDays, 1);
}

TEST(CampaignPlanTest, RefusesTextThatIsNoPlan) {
  std::stringstream written;
  writePlan(written, planOf(10, 5, 250, 1));
  std::string opening = linesOf(written.str()).front() + "\n";
  struct Case {
    std::string text;
    std::string error;
  };
  for (const Case& c : std::vector<Case>{
           {"years=10\n", "line 1 is not the comment that opens a campaign plan"},
           {opening + "years=10\nfirst-seed=-1\n",
            "line 3: first-seed is \"-1\", which is no number of its kind"},
           {opening + "colour=blue\n", "line 2: unknown key \"colour\""},
           {opening + "years 10\n", "line 2 is no \"key=value\" line"},
           {opening + "years=10\nargument=--effect\nargument=moment:30\nyears-per-run=200\n",
            "--years-per-run is 200; accepted: a whole number from 1 to 99 (a run holds at "
            "most 24855 days of 250 a year)"},
       }) {
    std::istringstream in(c.text);
    CampaignPlan plan;
    std::string error;
    EXPECT_FALSE(readPlan(in, &plan, &error)) << c.text;
    EXPECT_EQ(error, c.error) << c.text;
  }
}

// A campaign of the sample folder's two lanes: three runs of two 2-day years, daily maxima.
class CampaignProgramTest : public ::testing::Test {
 protected:
  void SetUp() override { folder.copyFrom(VELMORA_SAMPLE_DIR); }

  static ProgramRun campaign(const std::string& arguments) {
    return runCommand(std::string(VELMORA_CAMPAIGN_PROGRAM) + " " + arguments);
  }
  static ProgramRun plan(const std::string& campaignFolder, const std::string& options = "") {
    return campaign("plan . " + campaignFolder +
                    " --years 6 --years-per-run 2 --days-per-year 2 --block-days 1 --seed 41"
                    " --effect moment:30 --return-period 50" +
                    options);
  }
  // The fitted table of a campaign folder made by plan, with its runs made.
  std::string results(const std::string& campaignFolder) const {
    return folder.read(campaignFolder + "/return-levels.csv");
  }

  TestFolder folder;
};

TEST_F(CampaignProgramTest, GivesTheSameResultsOnAnyNumberOfCoresAndAsTasks) {
  ASSERT_EQ(plan("one").status, 0);
  ASSERT_EQ(plan("two").status, 0);
  ASSERT_EQ(plan("tasks").status, 0);
  ProgramRun single = campaign("run one --jobs 1");
  ASSERT_EQ(single.status, 0) << single.errors;
  EXPECT_NE(single.console.find("moment:30: 12 maxima of 1-day blocks"), std::string::npos)
      << single.console;
  ASSERT_EQ(campaign("run two --jobs 3").status, 0);
  for (const char* index : {"2", "0", "1"}) {
    ASSERT_EQ(campaign(std::string("task tasks ") + index).status, 0);
  }
  ASSERT_EQ(campaign("combine tasks").status, 0);
  EXPECT_FALSE(results("one").empty());
  EXPECT_EQ(results("two"), results("one"));
  EXPECT_EQ(results("tasks"), results("one"));
  EXPECT_EQ(folder.read("tasks/report.txt"), folder.read("one/report.txt"));
  EXPECT_NE(folder.read("one/return-levels.svg").find("<svg"), std::string::npos);
}

TEST_F(CampaignProgramTest, PassesEventMaximaAndTheTailOptionsThroughToEveryModel) {
  ProgramRun refused = plan("bad", " --event-classes 3");
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.errors.find("--event-classes needs --event-maxima"), std::string::npos)
      << refused.errors;
  EXPECT_NE(plan("bad", " --event-maxima --threshold-quantile 2")
                .errors.find(
                    "error: --threshold-quantile is \"2\"; accepted: a number above 0 and below 1"),
            std::string::npos);
  ASSERT_EQ(
      plan("c", " --event-maxima --event-classes 2 --threshold-quantile 0.5 --resamples 5").status,
      0);
  ProgramRun made = campaign("run c --jobs 2");
  ASSERT_EQ(made.status, 0) << made.errors;
  EXPECT_EQ(linesOf(folder.read("c/run-0002/events.csv")).size(), 1u + 4 * 3);
  std::string report = folder.read("c/report.txt");
  EXPECT_NE(report.find("(the 0.5 quantile of the daily maxima)"), std::string::npos) << report;
  EXPECT_NE(report.find("composite of a GEV for each loading event"), std::string::npos);
  EXPECT_NE(report.find("(bootstrap of 5 resamples)"), std::string::npos);
  // A run whose event maxima are not whole is made again.
  folder.write("c/run-0001/events.csv", "effect,day,trucks,max,time_s,unit\n");
  std::string before = results("c");
  ProgramRun again = campaign("run c");
  ASSERT_EQ(again.status, 0) << again.errors;
  EXPECT_NE(
      again.console.find(
          "run-0001 (seed 42, 4 days): its events.csv is not whole (it holds 0 whole rows of its "
          "12); making it again"),
      std::string::npos)
      << again.console;
  EXPECT_EQ(results("c"), before);
}

TEST_F(CampaignProgramTest, EachRunIsTheSeededRunOfItsDays) {
  ASSERT_EQ(plan("c").status, 0);
  ASSERT_EQ(campaign("task c 1").status, 0);
  std::string parameters = folder.read("VLMin.txt");
  std::string runParameters = folder.read("c/run-0001/VLMin.txt");
  EXPECT_NE(runParameters, parameters);
  folder.write("VLMin.txt", runParameters);
  ProgramRun direct = runCommand(std::string(VELMORA_PROGRAM) +
                                 " --seed 42 --no-records --effect moment:30"
                                 " --maxima direct.csv");
  ASSERT_EQ(direct.status, 0) << direct.errors;
  EXPECT_EQ(folder.read("c/run-0001/maxima.csv"), folder.read("direct.csv"));
  EXPECT_EQ(linesOf(folder.read("direct.csv")).size(), 1u + 4);
}

TEST_F(CampaignProgramTest, PassesJamsAndPlatoonsToEveryRun) {
  ASSERT_EQ(plan("c", " --jams 3:30 --platoons 0.5:3:8").status, 0);
  EXPECT_NE(folder.read("c/campaign.txt").find("jams=3:30\nplatoons=0.5:3:8\n"), std::string::npos);
  ASSERT_EQ(campaign("task c 1").status, 0);
  folder.write("VLMin.txt", folder.read("c/run-0001/VLMin.txt"));
  std::string direct = std::string(VELMORA_PROGRAM) +
                       " --seed 42 --no-records --effect moment:30 --maxima direct.csv";
  ASSERT_EQ(runCommand(direct + " --jams 3:30 --platoons 0.5:3:8").status, 0);
  EXPECT_EQ(folder.read("c/run-0001/maxima.csv"), folder.read("direct.csv"));
  ASSERT_EQ(runCommand(direct).status, 0);
  EXPECT_NE(folder.read("c/run-0001/maxima.csv"), folder.read("direct.csv"));

  std::string congested = folder.read("VLMin.txt");
  congested.replace(congested.rfind("\n6\n"), 3, "\n5\n");
  folder.write("VLMin.txt", congested);
  ProgramRun refused = plan("d", " --jams 1:60");
  EXPECT_EQ(refused.status, 2);
  EXPECT_NE(refused.errors.find("error: --jams needs free-flowing traffic; the run parameters "
                                "give traffic model 5"),
            std::string::npos)
      << refused.errors;
  EXPECT_TRUE(folder.read("d/campaign.txt").empty());
}

TEST_F(CampaignProgramTest, TakesUpAStoppedCampaignWithoutRemakingRuns) {
  ASSERT_EQ(plan("c").status, 0);
  ASSERT_EQ(campaign("run c").status, 0);
  std::string before = results("c");
  std::filesystem::remove(folder.path() + "/c/run-0001/maxima.csv");
  ProgramRun again = campaign("run c");
  ASSERT_EQ(again.status, 0) << again.errors;
  EXPECT_NE(again.console.find("2 of 3 runs made already"), std::string::npos) << again.console;
  EXPECT_NE(again.console.find("started run-0001 (seed 42, 4 days)"), std::string::npos);
  EXPECT_EQ(again.console.find("started run-0000"), std::string::npos);
  EXPECT_EQ(results("c"), before);
}

TEST_F(CampaignProgramTest, MaximaThatAreNotWholeAreRemadeAndNeverCombined) {
  ASSERT_EQ(plan("c").status, 0);
  ProgramRun made = campaign("run c --jobs=1");
  ASSERT_EQ(made.status, 0) << made.errors;
  std::string before = results("c");
  EXPECT_LT(linesOf(folder.read("c/run-0001/log.txt")).size(), 10u);  // no line per block
  std::string maxima = folder.read("c/run-0001/maxima.csv");
  folder.write("c/run-0001/maxima.csv", maxima.substr(0, maxima.size() - 3));
  ProgramRun combine = campaign("combine c");
  EXPECT_EQ(combine.status, 1);
  EXPECT_EQ(combine.errors,
            "error: run-0001 (seed 42, 4 days): \"c/run-0001/maxima.csv\" is not whole (line 5 "
            "is not the row of moment:30 on day 4); make the run again with velmora-campaign run "
            "or task\n");
  ProgramRun again = campaign("run c");
  ASSERT_EQ(again.status, 0) << again.errors;
  EXPECT_NE(again.console.find("run-0001 (seed 42, 4 days): its maxima.csv is not whole (line 5 "
                               "is not the row of moment:30 on day 4); making it again"),
            std::string::npos)
      << again.console;
  EXPECT_EQ(folder.read("c/run-0001/maxima.csv"), maxima);
  EXPECT_EQ(results("c"), before);
}

TEST_F(CampaignProgramTest, OneDriverAtATime) {
  ASSERT_EQ(plan("c").status, 0);
  folder.write("c/driver.lock", "velmora-campaign run (process 999)\n");
  int held = ::open((folder.path() + "/c/driver.lock").c_str(), O_RDWR);
  ASSERT_GE(held, 0);
  ASSERT_EQ(::flock(held, LOCK_EX), 0);
  ProgramRun second = campaign("run c");
  EXPECT_EQ(second.status, 2);
  EXPECT_EQ(second.errors,
            "error: the campaign \"c\" is in the hands of velmora-campaign run (process 999); "
            "accepted: one run or combine at a time (wait for it to end)\n");
  EXPECT_EQ(folder.read("c/run-0000/maxima.csv"), "");
  ::close(held);  // as when the first driver ends, however it ends
  ProgramRun after = campaign("run c");
  EXPECT_EQ(after.status, 0) << after.errors;
}

TEST_F(CampaignProgramTest, InfluenceLinesAreCopiedIntoTheCampaign) {
  folder.write("line.csv", "0,0\n15,1\n30,0\n");
  ASSERT_EQ(plan("c", " --effect il:line.csv").status, 0);
  EXPECT_EQ(folder.read("c/influence-lines/1-line.csv"), "0,0\n15,1\n30,0\n");
  EXPECT_NE(folder.read("c/campaign.txt").find("argument=il:../influence-lines/1-line.csv\n"),
            std::string::npos);
  std::filesystem::remove(folder.path() + "/line.csv");
  ProgramRun made = campaign("run c");
  ASSERT_EQ(made.status, 0) << made.errors;
  EXPECT_NE(results("c").find("\nil:../influence-lines/1-line.csv,gev,12,"), std::string::npos);
}

// The value of column `column` of each row of a CSV text, keyed by its first columns.
std::map<std::string, double> columnSums(const std::string& text, std::size_t keyColumns,
                                         std::size_t column) {
  std::map<std::string, double> sums;
  std::vector<std::string> rows = linesOf(text);
  for (std::size_t i = 1; i < rows.size(); ++i) {
    std::vector<std::string> fields = fieldsOf(rows[i]);
    std::string key;
    for (std::size_t k = 0; k < keyColumns; ++k) {
      key += fields[k] + ",";
    }
    sums[key] += std::stod(fields[column]);
  }
  return sums;
}

TEST_F(CampaignProgramTest, AddsUpTheRunsFatigueAndReportsTheLife) {
  folder.write("line.csv", "0,0\n15,1\n30,0\n");
  EXPECT_NE(plan("bad", " --detail-category 71")
                .errors.find(
                    "error: --detail-category, --stress-per-unit, --gamma-mf and --gamma-ff need "
                    "--fatigue, where the damage goes"),
            std::string::npos);
  EXPECT_NE(plan("bad", " --fatigue --detail-category 71")
                .errors.find("error: --fatigue needs --stress-per-unit moment:30=S"),
            std::string::npos);
  ASSERT_EQ(plan("c",
                 " --effect il:line.csv --fatigue --detail-category 71 --detail-category 36"
                 " --stress-per-unit moment:30=0.3 --stress-per-unit il:line.csv=2")
                .status,
            0);
  EXPECT_NE(folder.read("c/campaign.txt").find("argument=il:../influence-lines/1-line.csv=2\n"),
            std::string::npos);
  ProgramRun made = campaign("run c --jobs 2");
  ASSERT_EQ(made.status, 0) << made.errors;

  // The campaign's spectra and damage are the sums of its runs'.
  std::map<std::string, double> cycles;
  std::map<std::string, double> damage;
  for (const char* run : {"c/run-0000/", "c/run-0001/", "c/run-0002/"}) {
    for (const auto& [bin, count] :
         columnSums(folder.read(std::string(run) + "fatigue.csv"), 3, 3)) {
      cycles[bin] += count;
    }
    for (const auto& [row, sum] : columnSums(folder.read(std::string(run) + "damage.csv"), 2, 3)) {
      damage[row] += sum;
    }
  }
  EXPECT_EQ(columnSums(folder.read("c/fatigue.csv"), 3, 3), cycles);
  std::map<std::string, double> combined = columnSums(folder.read("c/damage.csv"), 2, 3);
  ASSERT_EQ(combined.size(), 4u);
  for (const auto& [row, sum] : damage) {
    EXPECT_NEAR(combined[row], sum, sum * 1e-9) << row;
  }
  double d71 = damage["moment:30,71,"];
  ASSERT_GT(d71, 0.0);
  std::string report = folder.read("c/fatigue.txt");
  EXPECT_NE(made.console.find(report), std::string::npos);
  EXPECT_NE(report.find("over 6 simulated years"), std::string::npos) << report;
  char life[64];
  std::snprintf(life, sizeof life, "%-14.6g%-14.6g", d71 / 6, 6 / d71);
  EXPECT_NE(report.find(life), std::string::npos) << life << "\n" << report;
  EXPECT_NE(folder.read("c/fatigue.svg").find("71: ΔσC 71 MPa"), std::string::npos);

  // A spectrum cut short makes its run again; the sums stay the same.
  std::string before = folder.read("c/fatigue.csv");
  std::string spectrum = folder.read("c/run-0001/fatigue.csv");
  folder.write("c/run-0001/fatigue.csv", spectrum.substr(0, spectrum.size() - 3));
  ProgramRun again = campaign("run c");
  ASSERT_EQ(again.status, 0) << again.errors;
  EXPECT_NE(again.console.find("its fatigue.csv is not whole (its last line is cut short)"),
            std::string::npos)
      << again.console;
  EXPECT_EQ(folder.read("c/fatigue.csv"), before);
}

TEST_F(CampaignProgramTest, AFailedRunNamesItsLogAndIsNotCombined) {
  ASSERT_EQ(plan("c").status, 0);
  folder.write("c/run-0002/VLMin.txt", "TrafOut.txt\n50\nmany\n");
  ProgramRun run = campaign("run c --jobs 1");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(
      run.errors,
      "error: run-0002 (seed 43, 4 days) failed with exit status 2 (error: the run "
      "parameter days (value line 3) is \"many\"; accepted: a whole number from -2147483648 to "
      "2147483647); its log is \"c/run-0002/log.txt\"\n");
  EXPECT_FALSE(folder.read("c/run-0001/maxima.csv").empty());
  EXPECT_TRUE(folder.read("c/run-0002/maxima.csv").empty());
  EXPECT_TRUE(folder.read("c/report.txt").empty());
  ProgramRun combine = campaign("combine c");
  EXPECT_EQ(combine.status, 1);
  EXPECT_EQ(combine.errors,
            "error: run-0002 (seed 43, 4 days) is not made yet; make it with velmora-campaign "
            "run or task\n");
}

TEST_F(CampaignProgramTest, RefusesPlansAndLeavesNothingBehind) {
  folder.write("full/something.txt", "mine");
  struct Case {
    std::string campaignFolder;
    std::string options;
    std::string error;
  };
  for (const Case& c : std::vector<Case>{
           {"full", "",
            "error: the campaign folder \"full\" exists and is not empty; accepted: a new or "
            "empty folder"},
           {"c", " --effect moment:-3",
            "error: --effect \"moment:-3\": the span \"-3\" is not a length in m above 0 and up "
            "to 10000; accepted: moment:L, moment:L:a, shear:L, hogging:L (L and a in m, 0 < a "
            "< L, L up to 10000), beam:L1,L2,...:QUANTITY@X or il:FILE\nrun velmora-campaign "
            "--help "
            "for the options"},
           {"c", " --lane-factors 1,1,1",
            "error: --lane-factors gives 3 factors; the road has 2 lanes; accepted: one factor "
            "for every lane"},
           {"c", " --years-per-run 13000",
            "error: --years-per-run is 13000; accepted: a whole number from 1 to 12427 (a run "
            "holds at most 24855 days of 2 a year)"},
           {"c", " --jobs 2",
            "error: --jobs is an option of run (velmora-campaign run CAMPAIGN --jobs N), not of "
            "plan\nrun velmora-campaign --help for the options"},
           {"c", " --effect moment:20 --effect=moment:20",
            "error: --effect \"moment:20\" is given twice; accepted: each effect once\nrun "
            "velmora-campaign --help for the options"},
           {"c", " --block-days 3",
            "error: --block-days 3 gives 3 block maxima over the runs' days; accepted: blocks "
            "that give the fits at least 5 (more years or shorter blocks)"},
       }) {
    ProgramRun run = plan(c.campaignFolder, c.options);
    EXPECT_EQ(run.status, 2) << c.options;
    EXPECT_EQ(run.errors, c.error + "\n") << c.options;
  }
  EXPECT_FALSE(std::filesystem::exists(folder.path() + "/c"));
  EXPECT_EQ(folder.read("full/something.txt"), "mine");
  folder.write("VLMin.txt", "TrafOut.txt\n50\n2\n9\n");
  ProgramRun badSite = plan("c");
  EXPECT_EQ(badSite.status, 2);
  EXPECT_EQ(badSite.errors.compare(0, 7, "error: "), 0) << badSite.errors;
  EXPECT_FALSE(std::filesystem::exists(folder.path() + "/c"));
}

TEST_F(CampaignProgramTest, RefusesTasksThatAreNoRunOfThePlan) {
  ASSERT_EQ(plan("c").status, 0);
  ProgramRun task = campaign("task c 3");
  EXPECT_EQ(task.status, 2);
  EXPECT_EQ(task.errors,
            "error: the task's run index is \"3\"; accepted: a whole number from 0 to 2 (an "
            "argument or SLURM_ARRAY_TASK_ID)\nrun velmora-campaign --help for the options\n");
  ProgramRun notCampaign = campaign("run .");
  EXPECT_EQ(notCampaign.status, 2);
  EXPECT_EQ(notCampaign.errors,
            "error: cannot read \"./campaign.txt\": No such file or directory; accepted: a "
            "folder made by velmora-campaign plan\n");
}

}  // namespace

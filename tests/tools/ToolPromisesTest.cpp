// The tools' promises under hostile input, through the real programs: endless and binary
// input, files that one tool writes and another reads, damaged site files, the same thing
// given twice, campaigns whose plan decides everything first, searches that end, and the
// reports' words.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/ProgramRun.h"
#include "support/SampleFolderTest.h"
#include "support/TextLines.h"

namespace {

namespace fs = std::filesystem;

// Thirty days of a series of maxima in the least form effect,day,max, with the unit column
// when unit is ",m".
std::string leastMaxima(const std::string& unit) {
  std::string text = "effect,day,max" + std::string(unit.empty() ? "" : ",unit") + "\n";
  for (int day = 1; day <= 30; ++day) {
    text +=
        "level," + std::to_string(day) + "," + std::to_string(100 + (day * 37) % 23) + unit + "\n";
  }
  return text;
}

class ToolPromisesTest : public SampleFolderTest {
 protected:
  static ProgramRun run(const char* program, const std::string& arguments) {
    return runCommand(std::string(program) + " " + arguments);
  }
  // Writes the sample's default stream of `days` days, seeded, to TrafOut.txt.
  void writeStream(int days = 1) const {
    std::vector<std::string> values = defaultValues();
    values[2] = std::to_string(days);
    writeParameters(values);
    ProgramRun made = run(VELMORA_PROGRAM, "--seed 5");
    ASSERT_EQ(made.status, 0) << made.errors;
  }
  // Plans `name`, a campaign of two runs of 5 days, with the extra plan options.
  static ProgramRun plan(const std::string& name, const std::string& options) {
    return run(VELMORA_CAMPAIGN_PROGRAM, "plan . " + name +
                                             " --years 2 --days-per-year 5 --block-days 1 "
                                             "--years-per-run 1 --seed 3 --resamples 0 " +
                                             options);
  }
};

// An endless input without line ends, or a binary one, is refused at its first line, in
// bounded memory and time (the run's 60-second limit would fail a hang).
TEST_F(ToolPromisesTest, EndlessAndBinaryInputIsRefusedAtItsFirstLine) {
  ProgramRun load = run(VELMORA_LOAD_PROGRAM, "--effect moment:30 -o m.csv /dev/zero");
  EXPECT_EQ(load.status, 2);
  EXPECT_EQ(load.errors,
            "error: /dev/zero line 1 holds a NUL byte: no text; accepted: records "
            "of velmora, one a line\n");
  ProgramRun fit = run(VELMORA_FIT_PROGRAM, "-o site /dev/zero");
  EXPECT_EQ(fit.status, 2);
  EXPECT_EQ(fit.errors,
            "error: the records file \"/dev/zero\" line 1 holds a NUL byte: no "
            "text; accepted: vehicle records, one a line\n");
  ProgramRun endless = runCommand(std::string("yes | tr -d \"\\n\" | ") + VELMORA_LOAD_PROGRAM +
                                  " --effect moment:30 -o m.csv /dev/stdin");
  EXPECT_EQ(endless.status, 2);
  EXPECT_EQ(endless.errors,
            "error: /dev/stdin line 1 is longer than 4096 characters; "
            "accepted: records of velmora, one a line\n");
  folder.write("station.csv",
               "datetime,speed_dm_per_s,gross_weight,axles,direction,lane,"
               "axle1_weight,axle2_weight,axle1_spacing_dm\n" +
                   std::string(5000, 'y') + "\n");
  fit = run(VELMORA_FIT_PROGRAM, "-o site station.csv");
  EXPECT_EQ(fit.status, 2);
  EXPECT_EQ(fit.errors,
            "error: the records file \"station.csv\" line 2 is longer than 4096 "
            "characters; accepted: vehicle records, one a line\n");
  EXPECT_FALSE(fs::exists("m.csv"));
  EXPECT_FALSE(fs::exists("site"));
}

TEST_F(ToolPromisesTest, WhatOneToolWritesTheNextReads) {
  writeStream(6);
  folder.write("span 30,5 m.csv", "0,0\n15,1\n30,0\n");
  ProgramRun load = run(VELMORA_LOAD_PROGRAM,
                        "--effect \"il:span 30,5 m.csv\" --effect moment:30 -o m.csv TrafOut.txt");
  ASSERT_EQ(load.status, 0) << load.errors;
  EXPECT_EQ(linesOf(folder.read("m.csv"))[1].rfind("\"il:span 30,5 m.csv\",1,", 0), 0u);
  ProgramRun extremes = run(VELMORA_EXTREMES_PROGRAM, "--resamples 0 m.csv");
  EXPECT_EQ(extremes.status, 0) << extremes.errors;
  EXPECT_NE(extremes.console.find("il:span 30,5 m.csv: 6 maxima of 1-day blocks from 6 days"),
            std::string::npos)
      << extremes.console;
  ASSERT_EQ(plan("quoted", "--effect \"il:span 30,5 m.csv\" --fatigue --event-maxima").status, 0);
  ProgramRun campaign = run(VELMORA_CAMPAIGN_PROGRAM, "run quoted");
  EXPECT_EQ(campaign.status, 0) << campaign.errors;
  EXPECT_TRUE(fs::exists("quoted/return-levels.csv"));

  // A stream with no day to report makes no maxima file that the fits refuse.
  folder.write("empty.txt", "");
  load = run(VELMORA_LOAD_PROGRAM, "--effect moment:30 -o e.csv empty.txt");
  EXPECT_EQ(load.status, 2);
  EXPECT_EQ(load.errors,
            "error: empty.txt holds no records, so it has no day to report; "
            "accepted: a stream of velmora (its last record is past its last day), "
            "or --days N\n");
  EXPECT_FALSE(fs::exists("e.csv"));

  // Whole-number columns are read as whole numbers.
  folder.write("events.csv", "effect,day,trucks,max,time_s,unit\nm,1.5,0,10,5,kN\n");
  extremes = run(VELMORA_EXTREMES_PROGRAM, "m.csv --composite events.csv");
  EXPECT_EQ(extremes.status, 2);
  EXPECT_EQ(extremes.errors.rfind("error: events.csv line 2 is \"m,1.5,0,10,5,kN\"; accepted: "
                                  "effect,day,trucks,max,time_s,unit with whole numbers",
                                  0),
            0u)
      << extremes.errors;

  // The least form of a series of daily maxima, from any source.
  folder.write("least.csv", leastMaxima(",m"));
  extremes = run(VELMORA_EXTREMES_PROGRAM, "--resamples 0 least.csv");
  EXPECT_EQ(extremes.status, 0) << extremes.errors;
  EXPECT_NE(extremes.console.find("level: 30 maxima of 1-day blocks from 30 days (values in m)"),
            std::string::npos)
      << extremes.console;
}

TEST_F(ToolPromisesTest, DamagedBandRowsOfSiteFilesAreRefused) {
  std::vector<std::string> values = defaultValues();
  values[3] = values[4] = "1";  // the Angers site, which has the heavy-truck table
  writeParameters(values);
  const std::vector<std::string> heavy = siteLines("Angers/HV6to9.csv");
  std::vector<std::string> cut = heavy;
  cut[14] = cut[14].substr(0, cut[14].rfind(','));
  writeSite("Angers/HV6to9.csv", cut);
  ProgramRun velmora = run(VELMORA_PROGRAM, "");
  EXPECT_EQ(velmora.status, 2);
  EXPECT_NE(velmora.errors.find("error: the site file Traffic/Angers/HV6to9.csv has line 15 with "
                                "11 fields; accepted: exactly 12, the 6 axles' mean weights, "
                                "then their deviations\n"),
            std::string::npos)
      << velmora.errors;
  std::vector<std::string> negative = heavy;
  negative[14] = negative[14].substr(0, negative[14].rfind(',')) + ",-1.5";
  writeSite("Angers/HV6to9.csv", negative);
  velmora = run(VELMORA_PROGRAM, "");
  EXPECT_NE(velmora.errors.find("has the deviation -1.5 in field 12 of line 15; accepted: a "
                                "deviation of 0 or more"),
            std::string::npos)
      << velmora.errors;
  writeSite("Angers/HV6to9.csv", heavy);
  std::vector<std::string> rows = siteLines("Angers/AW4&5.csv");
  rows[2] += ",7";
  writeSite("Angers/AW4&5.csv", rows);
  velmora = run(VELMORA_PROGRAM, "");
  EXPECT_NE(velmora.errors.find("AW4&5.csv has line 3 with 7 fields; accepted: exactly 6, the 3 "
                                "axle groups' mean weights, then their deviations"),
            std::string::npos)
      << velmora.errors;
  EXPECT_EQ(folder.read("TrafOut.txt"), earlierOutput);
}

TEST_F(ToolPromisesTest, TheSameThingGivenTwiceIsRefused) {
  writeStream();
  folder.write("h.csv", "0,0\n10,1\n20,0\n");
  const std::pair<std::string, std::string> twice[] = {
      {"--effect hogging:35 --effect hogging:35.0", "hogging:35.0\" is the effect \"hogging:35\""},
      {"--effect moment:30 --effect moment:30:15", "moment:30:15\" is the effect \"moment:30\""},
      {"--effect il:h.csv --effect il:./h.csv", "il:./h.csv\" is the effect \"il:h.csv\""}};
  for (const auto& [effects, named] : twice) {
    ProgramRun load = run(VELMORA_LOAD_PROGRAM, effects + " -o m.csv TrafOut.txt");
    EXPECT_EQ(load.status, 2) << effects;
    EXPECT_NE(load.errors.find("error: --effect \"" + named +
                               " given before; accepted: each "
                               "effect once"),
              std::string::npos)
        << load.errors;
  }
  ProgramRun apart = run(VELMORA_LOAD_PROGRAM,
                         "--effect moment:30 --effect moment:30:10 -o m.csv "
                         "TrafOut.txt");
  EXPECT_EQ(apart.status, 0) << apart.errors;
  ProgramRun thresholds =
      run(VELMORA_EXTREMES_PROGRAM, "--threshold moment:30=5 --threshold moment:30=6 m.csv");
  EXPECT_EQ(thresholds.status, 2);
  EXPECT_EQ(thresholds.errors.rfind("error: --threshold for moment:30 is given twice "
                                    "(\"moment:30=6\" again); accepted: one threshold for each "
                                    "effect\n",
                                    0),
            0u)
      << thresholds.errors;
  folder.write("station.csv",
               "datetime,speed_dm_per_s,gross_weight,axles,direction,lane,axle1_weight,"
               "axle2_weight,axle1_spacing_dm,speed_dm_per_s\n");
  ProgramRun fit = run(VELMORA_FIT_PROGRAM, "-o site station.csv");
  EXPECT_EQ(fit.status, 2);
  EXPECT_EQ(fit.errors,
            "error: the records file \"station.csv\" line 1 is a station header "
            "that names the column `speed_dm_per_s` twice; accepted: each column "
            "once\n");
}

TEST_F(ToolPromisesTest, APlanDecidesEverythingBeforeAnyRunIsMade) {
  ProgramRun planned = plan("unknown", "--effect moment:30 --threshold moment:99=5");
  EXPECT_EQ(planned.status, 2);
  EXPECT_EQ(planned.errors,
            "error: --threshold names moment:99, which is none of the "
            "campaign's effects; accepted: one of them, as its --effect gives "
            "it\n");
  EXPECT_FALSE(fs::exists("unknown"));
  folder.write("h.csv", "0,0\n10,1\n20,0\n");
  ASSERT_EQ(plan("lined", "--effect il:h.csv --threshold il:h.csv=1000").status, 0);
  EXPECT_NE(folder.read("lined/campaign.txt")
                .find("\nextremes-argument=il:../influence-lines/1-h.csv=1000\n"),
            std::string::npos);

  ASSERT_EQ(plan("tired",
                 "--effect moment:30 --fatigue --detail-category 71 "
                 "--stress-per-unit moment:30=0.01")
                .status,
            0);
  ProgramRun made = run(VELMORA_CAMPAIGN_PROGRAM, "run tired");
  ASSERT_EQ(made.status, 0) << made.errors;
  const std::string report = folder.read("tired/report.txt");
  const std::string table = folder.read("tired/return-levels.csv");
  std::string damage = folder.read("tired/run-0001/damage.csv");
  damage.replace(damage.find(",71,"), 4, ",72,");  // whole in form, wrong in content
  folder.write("tired/run-0001/damage.csv", damage);
  ProgramRun combined = run(VELMORA_CAMPAIGN_PROGRAM, "combine tired");
  EXPECT_EQ(combined.status, 1);
  EXPECT_NE(combined.errors.find("\"tired/run-0001/damage.csv\" is not whole (line 2 is "
                                 "\"moment:30,72,"),
            std::string::npos)
      << combined.errors;
  EXPECT_EQ(folder.read("tired/report.txt"), report);
  EXPECT_EQ(folder.read("tired/return-levels.csv"), table);
  made = run(VELMORA_CAMPAIGN_PROGRAM, "run tired");
  EXPECT_EQ(made.status, 0) << made.errors;
  EXPECT_NE(made.console.find("run-0001 (seed 4, 5 days): its damage.csv is not whole"),
            std::string::npos)
      << made.console;

  // A plan edited by hand is read with the command line's readers.
  std::string edited = folder.read("tired/campaign.txt");
  edited.replace(edited.find("event-maxima=no"), 15, "event-maxima=yes");
  edited += "argument=--event-classes\nargument=x\n";
  folder.write("tired/campaign.txt", edited);
  combined = run(VELMORA_CAMPAIGN_PROGRAM, "combine tired");
  EXPECT_EQ(combined.status, 2);
  EXPECT_EQ(combined.errors,
            "error: \"tired/campaign.txt\" --event-classes is \"x\"; accepted: a whole number "
            "from 1 to 20\n");
}

// Killing the driver alone with kill -9 ends its velmora children too, so that a later
// driver never shares a run's files with a writer left behind.
TEST_F(ToolPromisesTest, TheDriversChildrenEndWithIt) {
  ASSERT_EQ(run(VELMORA_CAMPAIGN_PROGRAM,
                "plan . long --years 40 --years-per-run 20 "
                "--effect moment:30 --seed 1")
                .status,
            0);
  const std::string children =
      "for p in $(pgrep -x velmora); do readlink /proc/$p/cwd; done | grep -c \"$PWD/long/\"";
  ProgramRun killed = runCommand(std::string(VELMORA_CAMPAIGN_PROGRAM) +
                                 " run long --jobs 2 > driver.log 2>&1 & driver=$!; "
                                 "for i in $(seq 100); do [ \"$(" +
                                 children + ")\" = 2 ] && break; sleep 0.05; done; " + children +
                                 "; kill -9 $driver; sleep 0.5; " + children + "; true");
  EXPECT_EQ(linesOf(killed.console), (std::vector<std::string>{"2", "0"})) << killed.errors;
}

// A composite whose classes leave most days empty has no level at a return period near one
// year: the search ends and says so.
TEST_F(ToolPromisesTest, ALevelSearchEndsAndSaysWhenThereIsNoLevel) {
  std::string maxima = "effect,day,max,time_s,vehicles_on_bridge,trucks_on_bridge,unit\n";
  std::string events = "effect,day,trucks,max,time_s,unit\n";
  for (int day = 1; day <= 300; ++day) {
    int busy = day % 3;
    std::string value = std::to_string(100 + 30 * busy + (day * 7) % 10) + ".5";
    maxima +=
        "x," + std::to_string(day) + "," + value + ",1.000,1," + std::to_string(busy) + ",kN\n";
    for (int trucks = 0; trucks < 3; ++trucks) {
      events += "x," + std::to_string(day) + "," + std::to_string(trucks) +
                (trucks == busy ? "," + value + ",1.000" : ",,") + ",kN\n";
    }
  }
  folder.write("m.csv", maxima);
  folder.write("e.csv", events);
  ProgramRun extremes = run(VELMORA_EXTREMES_PROGRAM,
                            "--days-per-year 1 --return-period 1.3 --return-period 50 "
                            "--resamples 10 --csv t.csv --svg c.svg m.csv --composite e.csv");
  ASSERT_EQ(extremes.status, 0) << extremes.errors;
  EXPECT_NE(extremes.console.find("composite  none: no level solves it"), std::string::npos)
      << extremes.console;
  EXPECT_NE(extremes.errors.find("the composite fit: the 1.3-year level does not exist"),
            std::string::npos)
      << extremes.errors;
  EXPECT_NE(folder.read("t.csv").find(",1.3,,,,"), std::string::npos);
  EXPECT_NE(extremes.console.find("x: 300 annual maxima from 300 days"), std::string::npos);
  EXPECT_NE(extremes.console.find(", 1 day a year,"), std::string::npos);
}

TEST_F(ToolPromisesTest, HelpAfterEverySubCommandAndOneRangeOfReturnPeriods) {
  for (const char* command : {"plan --help", "run somewhere --help", "combine -h"}) {
    ProgramRun help = run(VELMORA_CAMPAIGN_PROGRAM, command);
    EXPECT_EQ(help.status, 0) << command;
    EXPECT_EQ(help.console.rfind("usage: velmora-campaign plan", 0), 0u) << command;
  }
  const std::string range =
      "--return-period is \"2e6\"; accepted: a number of years above 1 "
      "and up to 1000000\n";
  EXPECT_EQ(
      run(VELMORA_EXTREMES_PROGRAM, "--return-period 2e6 m.csv").errors.rfind("error: " + range, 0),
      0u);
  EXPECT_EQ(
      plan("far", "--effect moment:30 --return-period 2e6").errors.rfind("error: " + range, 0), 0u);
}

TEST_F(ToolPromisesTest, TheReportSaysWhichDaysFillNoBlock) {
  folder.write("least.csv", leastMaxima(""));
  ProgramRun extremes = run(VELMORA_EXTREMES_PROGRAM, "--resamples 0 --block-days 4 least.csv");
  EXPECT_NE(extremes.console.find("level: 7 maxima of 4-day blocks from 30 days; 2 days at the "
                                  "runs' ends, which fill no 4-day block, left out"),
            std::string::npos)
      << extremes.console;
}

}  // namespace

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "random/RandomGenerator.h"
#include "record/RecordReader.h"
#include "record/RecordValues.h"
#include "run/Run.h"
#include "run/RunConfig.h"
#include "support/SampleFolderTest.h"
#include "traffic/DrawLimit.h"

namespace {

// The program's run with a parameter set of its own, as main gives it the global one.
int runWithOwnParameters(const RunOptions& options = RunOptions()) {
  RunConfig config;
  return runProgram(config, options);
}

class RefusalTest : public SampleFolderTest {
 protected:
  void SetUp() override {
    SampleFolderTest::SetUp();
    values = defaultValues();
  }

  // Runs the program; keeps its console text and error text.
  int run(const RunOptions& options = RunOptions()) {
    writeParameters(values);
    RandomGenerator::seedWithWord(99u);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    int status = runWithOwnParameters(options);
    console = testing::internal::GetCapturedStdout();
    errors = testing::internal::GetCapturedStderr();
    return status;
  }
  // Runs with value line `line` (1..13) set to value; expects refusal with message.
  void expectRefused(int line, const std::string& value, const std::string& message) {
    values = defaultValues();
    values[static_cast<std::size_t>(line - 1)] = value;
    expectRefused(message);
  }
  void expectRefused(const std::string& message) {
    EXPECT_EQ(run(), 2) << message;
    EXPECT_EQ(errors, message + "\n");
    EXPECT_EQ(folder.read("TrafOut.txt"), earlierOutput);
    EXPECT_EQ(console.find("Generation complete"), std::string::npos);
  }
  std::vector<std::string> values;
  std::string console;
  std::string errors;
};

TEST_F(RefusalTest, RefusesParametersNoRunCanUse) {
  const std::string prefix = "error: the run parameter ";
  expectRefused(1, "", prefix + "outputFile (value line 1) is empty; accepted: a file name");
  expectRefused(2, "1e999",
                prefix + "catchUpLength (value line 2) is inf; accepted: a finite number");
  expectRefused(2, "-1", prefix + "catchUpLength (value line 2) is -1 m; accepted: 0 to 10000 m");
  expectRefused(
      3, "24856",
      prefix + "days (value line 3) is 24856; accepted: at most 24855 (0 or less: no records)");
  expectRefused(6, "0", prefix + "bufferSize (value line 6) is 0; accepted: 1 or more");
  expectRefused(8, "-1", prefix + "lanesDir2 (value line 8) is -1; accepted: 0 or more");
  values = defaultValues();
  values[6] = "0";
  values[7] = "0";
  expectRefused(
      prefix + "lanesDir1 + lanesDir2 (value lines 7 and 8) is 0; accepted: 1 to 100 lanes in all");
  values[6] = "2147483647";
  values[7] = "1";
  expectRefused(
      prefix +
      "lanesDir1 + lanesDir2 (value lines 7 and 8) is 2147483648; accepted: 1 to 100 lanes in all");
  expectRefused(13, "1",
                prefix +
                    "carFraction (value line 13) is 1; accepted: 0 or more and below 1 (1 only "
                    "under traffic model 5)");
  expectRefused(13, "-0.1",
                prefix +
                    "carFraction (value line 13) is -0.1; accepted: 0 or more and below 1 (1 only "
                    "under traffic model 5)");
}

TEST_F(RefusalTest, RefusesCongestedModelWithoutSpeedOrWithNegativeGaps) {
  const std::string prefix = "error: the run parameter ";
  values[11] = "5";
  values[9] = "0";
  expectRefused(prefix +
                "speed (value line 10) is 0 km/h; accepted: above 0 and at most 300 km/h under "
                "traffic model 5");
  values[9] = "30";
  values[8] = "-5";
  expectRefused(prefix +
                "gapDistance (value line 9) is -5 m; accepted: 0 to 10000 m under traffic model 5");
  values[8] = "5";
  values[10] = "-0.1";
  expectRefused(prefix + "gapCv (value line 11) is -0.1; accepted: 0 to 10 under traffic model 5");
  values[10] = "0.05";
  values[12] = "1";  // all cars: the congested model may take it
  EXPECT_EQ(run(), 0);
}

TEST_F(RefusalTest, RefusesJamsWithoutFreeFlowOrCongestedParameters) {
  RunOptions options;
  options.patterns.jams = JamSettings{1.0, 60.0};
  for (const char* model : {"5", "0"}) {
    values[11] = model;
    EXPECT_EQ(run(options), 2);
    EXPECT_EQ(errors, std::string("error: --jams needs free-flowing traffic; the run parameters "
                                  "give traffic model ") +
                          model + " (value line 12); accepted: 6 or any other model but 0 and 5\n");
    EXPECT_EQ(folder.read("TrafOut.txt"), earlierOutput);
  }
  values[11] = "6";
  values[9] = "0";
  EXPECT_EQ(run(options), 2);
  EXPECT_EQ(errors,
            "error: the run parameter speed (value line 10) is 0 km/h; accepted: above 0 and at "
            "most 300 km/h with --jams\n");
  EXPECT_EQ(folder.read("TrafOut.txt"), earlierOutput);
  EXPECT_EQ(run(), 0);  // free flow does not need the congested speed
  values[9] = "30";
  EXPECT_EQ(run(options), 0);
}

TEST_F(RefusalTest, RefusesOutputFileThatCannotBeCreated) {
  values[0] = "no-such-folder/out.txt";
  EXPECT_EQ(run(), 2);
  EXPECT_EQ(
      errors,
      "error: the run parameter outputFile (value line 1) is \"no-such-folder/out.txt\", in "
      "the folder \"no-such-folder\", which does not exist; accepted: a file in a folder that "
      "exists\n");
}

TEST_F(RefusalTest, FailedWriteEndsRunWithoutClaimingSuccess) {
  values[0] = "/dev/full";
  EXPECT_EQ(run(), 1);
  EXPECT_EQ(errors, "error: cannot write the output file \"/dev/full\": No space left on device\n");
  EXPECT_EQ(console.find("Generation complete"), std::string::npos);
}

TEST_F(RefusalTest, RefusesMissingAndShortSiteFiles) {
  std::remove("Traffic/Auxerre/FlowR.csv");
  expectRefused(
      "error: cannot open the site file Traffic/Auxerre/FlowR.csv: No such file or directory");
  values[11] = "0";
  std::remove("Traffic/Auxerre/NHM.csv");
  restoreSample();
  std::remove("Traffic/Auxerre/NHM.csv");
  expectRefused(
      "error: cannot open the site file Traffic/Auxerre/NHM.csv: No such file or directory");

  values[11] = "6";
  std::vector<std::string> gross = siteLines("Auxerre/GVWpdf.csv");
  gross.resize(6);
  writeSite("Auxerre/GVWpdf.csv", gross);
  expectRefused("error: the site file Traffic/Auxerre/GVWpdf.csv has 6 lines; its layout needs 7");
}

TEST_F(RefusalTest, RefusesSitesWithFewerLanesThanTheRoad) {
  values[6] = "2";
  expectRefused(
      "error: the site file Traffic/Auxerre/Class%.csv has 2 lanes; the road has 3 lanes (2 in "
      "direction 1, 1 in direction 2)");
  values = defaultValues();
  values[3] = "1";  // Angers vehicles (four lanes), Auxerre flows (two lanes)
  values[6] = "2";
  values[7] = "2";
  expectRefused(
      "error: the site file Traffic/Auxerre/FlowR.csv has 2 lanes; the road has 4 lanes (2 in "
      "direction 1, 2 in direction 2)");
}

TEST_F(RefusalTest, RefusesBadFlowsAndClassShares) {
  std::vector<std::string> flows = siteLines("Auxerre/FlowR.csv");
  flows[3] = "-5,20,15";
  writeSite("Auxerre/FlowR.csv", flows);
  expectRefused(
      "error: the site file Traffic/Auxerre/FlowR.csv gives lane 1 a flow of -5 in hour 3; "
      "accepted: a finite number of vehicles per hour, 0 or more");
  flows[3] = "35,1e999,15";
  writeSite("Auxerre/FlowR.csv", flows);
  expectRefused(
      "error: the site file Traffic/Auxerre/FlowR.csv gives lane 2 a flow of inf in hour 3; "
      "accepted: a finite number of vehicles per hour, 0 or more");
  restoreSample();

  std::vector<std::string> shares = siteLines("Auxerre/Class%.csv");
  shares[0] = "13,20,19";
  writeSite("Auxerre/Class%.csv", shares);
  expectRefused(
      "error: the site file Traffic/Auxerre/Class%.csv gives lane 1 class shares that add up to 95 "
      "%; accepted: 100 within 1");
  shares[0] = "-18,20,19";
  writeSite("Auxerre/Class%.csv", shares);
  expectRefused(
      "error: the site file Traffic/Auxerre/Class%.csv gives lane 1 a share of -18 % for 2-axle "
      "trucks; accepted: a finite percentage, 0 or more");
}

// The motorway of Angers, whose site has the heavy-truck table.
class HeavyTruckRefusalTest : public RefusalTest {
 protected:
  void SetUp() override {
    RefusalTest::SetUp();
    values[3] = values[4] = "1";
    values[6] = values[7] = "2";
  }
  void expectRefusedOn(std::vector<std::string> lines, int line, const std::string& text,
                       const std::string& message) {
    lines[static_cast<std::size_t>(line - 1)] = text;
    writeSite("Angers/HV6to9.csv", lines);
    expectRefused(message);
  }
};

TEST_F(HeavyTruckRefusalTest, RefusesHeavyTruckTablesNoRunCanUse) {
  const std::string file = "error: the site file Traffic/Angers/HV6to9.csv";
  const std::vector<std::string> heavy = siteLines("Angers/HV6to9.csv");
  expectRefusedOn(heavy, 1, "9.5,3,6.5,3,x",
                  "error: the site files Traffic/Angers/Class%.csv and "
                  "Traffic/Angers/HV6to9.csv together give lane 1 class shares that add up to "
                  "103 %; accepted: 100 within 1");
  expectRefusedOn(heavy, 2, "0.3,-0.2,0.3,0.2,x",
                  file +
                      " gives lane 2 a share of -0.2 % for 7-axle trucks; accepted: a finite "
                      "percentage, 0 or more");
  std::vector<std::string> twoLanes = heavy;
  for (int line = 0; line < 4; ++line) {
    twoLanes[static_cast<std::size_t>(line)] = "1,1,1";
  }
  expectRefusedOn(twoLanes, 1, "1,1,1",
                  file + " has 2 lanes; the road has 4 lanes (2 in direction 1, 2 in direction 2)");
  std::vector<std::string> tooHeavy = heavy;
  for (int line = 31; line <= 33; ++line) {  // the 7-axle trucks' gross weights
    std::string& text = tooHeavy[static_cast<std::size_t>(line - 1)];
    text = text.substr(0, text.rfind(',', text.rfind(',') - 1)) + ",5000,50";
  }
  expectRefusedOn(tooHeavy, 31, tooHeavy[30],
                  file +
                      ": the gross weight of 7-axle trucks in direction 2 falls in [35, 2000] "
                      "with probability 0; accepted: at least 1e-06");
  expectRefusedOn(heavy, 6, "0.25,280,35,0.35,285,35",
                  file +
                      " gives the mixture of the gross weight of 6-axle trucks in direction 2 "
                      "(field 4 of lines 6 to 8) weights that add up to 1.1; accepted: weights "
                      "of 0 or more that add up to 1 within 0.01");
  expectRefusedOn(heavy, 14 + 4, "1,1,1,1,1,1,1,1,1,1,1,1",
                  file +
                      ": the weight of axle 1 of 6-axle trucks in band row 4 (line 18) "
                      "(reached by 0.583575 of their gross weights) falls in [15, 500] with "
                      "probability 7.79354e-45; accepted: at least 1e-06");
  writeSite("Angers/HV6to9.csv", std::vector<std::string>(heavy.begin(), heavy.begin() + 50));
  expectRefused(file + " has 50 lines; its layout needs 104");
}

TEST_F(RefusalTest, RefusesHeadwayTablesThatDoNotCoverTheFlows) {
  values[11] = "0";
  std::vector<std::string> table = siteLines("Auxerre/NHM.csv");
  table[0] = "0";
  writeSite("Auxerre/NHM.csv", table);
  expectRefused(
      "error: the site file Traffic/Auxerre/NHM.csv gives 0 flow bands on its first line; "
      "accepted: 1 or more");
  table[0] = "4";
  writeSite("Auxerre/NHM.csv", table);  // the last band read is the one up to 400
  std::vector<std::string> flows = siteLines("Auxerre/FlowR.csv");
  flows[9] = "320,401,721";
  writeSite("Auxerre/FlowR.csv", flows);
  expectRefused(
      "error: the site file Traffic/Auxerre/NHM.csv has no flow band for lane 2 in hour 9: its "
      "flow of 401 vehicles per hour is above the last band's limit of 400");
}

TEST_F(RefusalTest, RefusesDistributionsThatCannotGiveAcceptedValues) {
  std::vector<std::string> gross = siteLines("Auxerre/GVWpdf.csv");
  gross[4] = "0.3,230,12,0.5,70,15,0.4,140,30,0.4,170,30,0.3,1000,25";  // direction 2, 5 axles
  gross[5] = "0.5,245,10,0.35,110,25,0.45,220,35,0.5,330,45,0.6,1100,25";
  gross[6] = "0.2,222,15,0.15,160,20,0.15,260,20,0.1,250,40,0.1,1200,25";
  writeSite("Auxerre/GVWpdf.csv", gross);
  EXPECT_EQ(run(), 2);
  EXPECT_EQ(errors.rfind("error: the site file Traffic/Auxerre/GVWpdf.csv: the gross weight of "
                         "5-axle trucks in direction 2 falls in [35, 800] with probability ",
                         0),
            0u)
      << errors;
  EXPECT_NE(errors.find("; accepted: at least 1e-06\n"), std::string::npos);
  folder.copyFrom(VELMORA_SAMPLE_DIR);

  std::vector<std::string> rows = siteLines("Auxerre/AW4&5.csv");
  rows[7] = "-300,110,150,10,10,10";  // 4-axle row 7 (325 to 375): the first group never fits
  writeSite("Auxerre/AW4&5.csv", rows);
  EXPECT_EQ(run(), 2);
  EXPECT_EQ(errors.rfind("error: the site file Traffic/Auxerre/AW4&5.csv: the weight of axle group "
                         "1 of 4-axle trucks in band row 7 (reached by ",
                         0),
            0u)
      << errors;
  EXPECT_NE(errors.find(" falls in [15, 500] with probability "), std::string::npos);

  rows[7] = "60,110,150,10,10,10";
  rows[0] = "-300,110,150,10,10,10";  // row 0 is never used
  writeSite("Auxerre/AW4&5.csv", rows);
  EXPECT_EQ(run(), 0);
}

TEST_F(RefusalTest, AFailedDrawEndsTheRunThroughTheErrorPath) {
  RunOptions options;
  options.drawLimit = 1;  // the first rejected headway gives up
  EXPECT_EQ(run(options), 1);
  EXPECT_EQ(errors.rfind("error: could not draw a headway of at least ", 0), 0u) << errors;
  EXPECT_EQ(console.find("Generation complete"), std::string::npos);
  EXPECT_EQ(folder.read("TrafOut.txt"), earlierOutput);  // a failed run keeps the earlier file
  EXPECT_FALSE(std::filesystem::exists("TrafOut.txt.partial"));
}

// A lane of the sample's Auxerre site with the given flows in hours 0 to 5 of both lanes.
class ZeroFlowTest : public RefusalTest {
 protected:
  void setNightFlows(const std::string& lane1, const std::string& lane2) {
    std::vector<std::string> flows = siteLines("Auxerre/FlowR.csv");
    for (int hour = 0; hour < 6; ++hour) {
      flows[static_cast<std::size_t>(hour)] = lane1 + "," + lane2 + ",0";
    }
    writeSite("Auxerre/FlowR.csv", flows);
  }
  void setAllFlows(const std::string& lane1, const std::string& lane2) {
    writeSite("Auxerre/FlowR.csv", std::vector<std::string>(24, lane1 + "," + lane2 + ",0"));
  }
  // Records per lane (1 and 2) whose hour of day lies in [firstHour, lastHour], per day.
  std::vector<int> recordsIn(int lane, int day, int firstHour, int lastHour) const {
    std::istringstream in(folder.read("TrafOut.txt"));
    int count = 0;
    for (std::string line; std::getline(in, line);) {
      RecordValues record;
      std::string why;
      EXPECT_TRUE(readFixedRecord(line, &record, &why)) << line << ": " << why;
      count += record.lane == lane && record.day == day && record.hour >= firstHour &&
               record.hour <= lastHour;
    }
    return {count};
  }
};

TEST_F(ZeroFlowTest, NightWithoutFlowStillProducesNextDay) {
  values[2] = "2";
  setNightFlows("0", "40");
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(recordsIn(1, 1, 1, 5)[0], 0);
  EXPECT_EQ(recordsIn(1, 2, 1, 5)[0], 0);
  EXPECT_GT(recordsIn(1, 2, 6, 23)[0], 1000);
  EXPECT_GT(recordsIn(2, 1, 0, 5)[0], 100);
}

TEST_F(ZeroFlowTest, LaneWithoutAnyFlowDoesNotHoldUpTheRun) {
  setAllFlows("0", "100");
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(recordsIn(1, 1, 0, 23)[0], 0);
  EXPECT_GT(recordsIn(2, 1, 0, 23)[0], 10000);
  EXPECT_NE(console.find("Generation complete"), std::string::npos);
}

TEST_F(ZeroFlowTest, RunWithoutAnyFlowEndsWithNoRecords) {
  setAllFlows("0", "0");
  EXPECT_EQ(run(), 0);
  EXPECT_EQ(folder.read("TrafOut.txt"), "");
  EXPECT_NE(console.find("Generation complete"), std::string::npos);
}

}  // namespace

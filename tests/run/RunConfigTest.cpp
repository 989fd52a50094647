#include <gtest/gtest.h>

#include "run/RunConfig.h"
#include "support/TestFolder.h"

namespace {

class RunConfigTest : public ::testing::Test {
 protected:
  void SetUp() override { config.setDefaults(); }
  void TearDown() override { config.setDefaults(); }

  TestFolder folder;
  RunConfig& config = runConfig;
};

const char* const thirteenValues = "Out.txt\n50\n3\n1\n6\n500\n2\n2\n7.5\n90\n0.1\n5\n0.7\n";

TEST_F(RunConfigTest, DefaultsAndDerivedValues) {
  EXPECT_EQ(config.outputFile, "TrafOut.txt");
  EXPECT_EQ(config.totalLanes, 2);
  EXPECT_EQ(config.speed, 8.333333333333334);
  EXPECT_DOUBLE_EQ(config.meanGapTime, 0.6);
  EXPECT_EQ(config.days, 2);
  EXPECT_EQ(config.bufferSize, 2000);
  EXPECT_EQ(config.trafficModel, 6);
  EXPECT_EQ(config.carFraction, 0.8);
}

TEST_F(RunConfigTest, MissingFileKeepsDefaults) {
  config.days = 9;
  EXPECT_FALSE(config.readFile("VLMin.txt"));
  EXPECT_EQ(config.days, 9);
}

TEST_F(RunConfigTest, ReadsThirteenValuesInOrderAroundComments) {
  folder.write("VLMin.txt", std::string("// header\n//\n") + "Out.txt\n// between\n50\n3\n1\n6\n" +
                                "500\n2\n2\n7.5\n90\n0.1\n5\n0.7\n// trailing\n");
  ASSERT_TRUE(config.readFile("VLMin.txt"));
  EXPECT_EQ(config.outputFile, "Out.txt");
  EXPECT_EQ(config.catchUpLength, 50.0);
  EXPECT_EQ(config.days, 3);
  EXPECT_EQ(config.vehicleSite, 1);
  EXPECT_EQ(config.flowSite, 6);
  EXPECT_EQ(config.bufferSize, 500);
  EXPECT_EQ(config.lanesDir1, 2);
  EXPECT_EQ(config.lanesDir2, 2);
  EXPECT_EQ(config.totalLanes, 4);
  EXPECT_EQ(config.gapDistance, 7.5);
  EXPECT_EQ(config.speed, 25.0);
  EXPECT_EQ(config.meanGapTime, 7.5 / 25.0);
  EXPECT_EQ(config.gapCv, 0.1);
  EXPECT_EQ(config.trafficModel, 5);
  EXPECT_EQ(config.carFraction, 0.7);
}

TEST_F(RunConfigTest, TakesValueLinesAsTheyStand) {
  // Trailing blanks stay in the name; notes after numbers are ignored; a "//" after
  // leading blanks is a value line; CRLF line ends read alike.
  folder.write("VLMin.txt",
               "TrafOut.txt  \r\n50\r\n  // not a comment\r\n2 // sites\r\n2\r\n2000 // note\r\n"
               "1\r\n1\r\n5.0,gap\r\n30\r\n0.05\r\n6\r\n0.8\r\n");
  ASSERT_TRUE(config.readFile("VLMin.txt"));
  EXPECT_EQ(config.outputFile, "TrafOut.txt  ");
  EXPECT_EQ(config.days, 0);
  EXPECT_EQ(config.vehicleSite, 2);
  EXPECT_EQ(config.bufferSize, 2000);
  EXPECT_EQ(config.gapDistance, 5.0);
  EXPECT_EQ(config.speed, 8.333333333333334);
}

TEST_F(RunConfigTest, EmptyLineTakesAPlaceAndShortFileReadsZeros) {
  folder.write("VLMin.txt", "Out.txt\n\n50\n3\n");
  ASSERT_TRUE(config.readFile("VLMin.txt"));
  EXPECT_EQ(config.catchUpLength, 0.0);
  EXPECT_EQ(config.days, 50);
  EXPECT_EQ(config.vehicleSite, 3);
  EXPECT_EQ(config.lanesDir1, 0);
  EXPECT_EQ(config.carFraction, 0.0);
  EXPECT_EQ(config.totalLanes, 0);
}

TEST_F(RunConfigTest, CanReadAFileTwice) {
  folder.write("VLMin.txt", thirteenValues);
  ASSERT_TRUE(config.readFile("VLMin.txt"));
  ASSERT_TRUE(config.readFile("VLMin.txt"));
  EXPECT_EQ(config.carFraction, 0.7);
}

}  // namespace

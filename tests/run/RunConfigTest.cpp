#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "run/RunConfig.h"
#include "support/TestFolder.h"

namespace {

class RunConfigTest : public ::testing::Test {
 protected:
  TestFolder folder;
  RunConfig config;
  std::string error;

  bool read() { return config.readFile("VLMin.txt", &error); }
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
  EXPECT_FALSE(read());
  EXPECT_EQ(error, "");
  EXPECT_EQ(config.days, 9);
}

TEST_F(RunConfigTest, ReadsThirteenValuesInOrderAroundComments) {
  folder.write("VLMin.txt", std::string("// header\n//\n") + "Out.txt\n// between\n50\n3\n1\n6\n" +
                                "500\n2\n2\n7.5\n90\n0.1\n5\n0.7\n// trailing\n");
  ASSERT_TRUE(read());
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
  // Trailing blanks stay in the name; notes after numbers are ignored; a blank line reads
  // 0; CRLF line ends read alike; a UTF-8 byte-order mark is skipped.
  folder.write("VLMin.txt",
               "\xEF\xBB\xBFTrafOut.txt  \r\n50\r\n  \r\n2 // sites\r\n2\r\n2000 // note\r\n"
               "1\r\n1\r\n5.0,gap\r\n30\r\n0.05\r\n6\r\n0.8\r\n");
  ASSERT_TRUE(read());
  EXPECT_EQ(config.outputFile, "TrafOut.txt  ");
  EXPECT_EQ(config.days, 0);
  EXPECT_EQ(config.vehicleSite, 2);
  EXPECT_EQ(config.bufferSize, 2000);
  EXPECT_EQ(config.gapDistance, 5.0);
  EXPECT_EQ(config.speed, 8.333333333333334);
}

TEST_F(RunConfigTest, EmptyLineTakesAPlaceAndShortFileReadsZeros) {
  folder.write("VLMin.txt", "Out.txt\n\n50\n3\n");
  ASSERT_TRUE(read());
  EXPECT_EQ(config.catchUpLength, 0.0);
  EXPECT_EQ(config.days, 50);
  EXPECT_EQ(config.vehicleSite, 3);
  EXPECT_EQ(config.lanesDir1, 0);
  EXPECT_EQ(config.carFraction, 0.0);
  EXPECT_EQ(config.totalLanes, 0);
}

TEST_F(RunConfigTest, ANoteAfterLeadingBlanksIsAValueLineThatReadsZero) {
  // Stored parameter files write "no lanes" this way; as the first value line it is a name.
  folder.write("VLMin.txt",
               "  // named\n50\n2\n1\n1\n2000\n1\n  // no lanes in direction 2\n\t//x\n90\n"
               "0.05\n6\n0.8\n");
  ASSERT_TRUE(read()) << error;
  EXPECT_EQ(config.outputFile, "  // named");
  EXPECT_EQ(config.lanesDir2, 0);
  EXPECT_EQ(config.gapDistance, 0.0);
  EXPECT_EQ(config.totalLanes, 1);
}

TEST_F(RunConfigTest, CanReadAFileTwice) {
  folder.write("VLMin.txt", thirteenValues);
  ASSERT_TRUE(read());
  ASSERT_TRUE(read());
  EXPECT_EQ(config.carFraction, 0.7);
}

TEST_F(RunConfigTest, RefusesValueLinesThatHoldNoNumber) {
  struct Case {
    int valueLine;
    std::string text;
    std::string message;
  };
  const Case cases[] = {
      {3, "two // days",
       "the run parameter days (value line 3) is \"two // days\"; accepted: a whole "
       "number from -2147483648 to 2147483647"},
      {7, "4294967297",
       "the run parameter lanesDir1 (value line 7) is \"4294967297\"; accepted: a whole "
       "number from -2147483648 to 2147483647"},
      {13, "nan", "the run parameter carFraction (value line 13) is \"nan\"; accepted: a number"},
      {2, "inf m",
       "the run parameter catchUpLength (value line 2) is \"inf m\"; accepted: a number"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> lines = {"Out.txt", "50",  "3",  "1",   "6", "500", "2",
                                      "2",       "7.5", "90", "0.1", "5", "0.7"};
    lines[static_cast<std::size_t>(c.valueLine - 1)] = c.text;
    std::string text;
    for (const std::string& line : lines) {
      text += line + "\n";
    }
    folder.write("VLMin.txt", text);
    EXPECT_FALSE(read()) << c.text;
    EXPECT_EQ(error, c.message);
  }
  folder.write("VLMin.txt", "Out.txt\n50\n-2147483648\n");
  EXPECT_TRUE(read());
  EXPECT_EQ(config.days, -2147483647 - 1);
}

TEST_F(RunConfigTest, RefusesAFileThatExistsButCannotBeRead) {
  folder.write("VLMin.txt", std::string("\xFF\xFE") + "O\0u\0t\0");
  EXPECT_FALSE(read());
  EXPECT_EQ(error,
            "cannot read the parameter file \"VLMin.txt\": UTF-16 text; accepted: ASCII or "
            "UTF-8 text");
  std::filesystem::create_directory("VLMin.txt.d");
  EXPECT_FALSE(config.readFile("VLMin.txt.d", &error));
  EXPECT_EQ(error,
            "cannot read the parameter file \"VLMin.txt.d\": not a regular file but a "
            "directory");
}

}  // namespace

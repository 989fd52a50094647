#include <gtest/gtest.h>

#include <fstream>
#include <string>

#include "random/RandomGenerator.h"
#include "run/Run.h"
#include "run/RunConfig.h"
#include "stats/SiteExpectation.h"
#include "stats/SummaryReport.h"
#include "support/TestFolder.h"

namespace {

// The program's run with a parameter set of its own, as main gives it the global one.
int runWithOwnParameters() {
  RunConfig config;
  return runProgram(config);
}

// A seeded run of the sample, summarised and set beside the sample's own tables.
class SiteComparisonTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.copyFrom(VELMORA_SAMPLE_DIR);
    folder.write("VLMin.txt", "TrafOut.txt\n50\n3\n2\n2\n20000\n1\n1\n5\n30\n0.05\n6\n0.8\n");
    RandomGenerator::seedWithWord(5u);
    testing::internal::CaptureStdout();
    ASSERT_EQ(runWithOwnParameters(), 0);
    testing::internal::GetCapturedStdout();
    std::ifstream in(folder.path() + "/TrafOut.txt");
    std::string error;
    ASSERT_TRUE(summary.addStream(in, "TrafOut.txt", &error)) << error;
    ASSERT_TRUE(site.load(folder.path(), &error)) << error;
  }

  TestFolder folder;
  StreamSummary summary;
  SiteExpectation site;
};

TEST_F(SiteComparisonTest, GeneratedStreamFollowsTheSiteTables) {
  EXPECT_EQ(site.lanes(), 2);
  EXPECT_DOUBLE_EQ(site.hourlyVehicles(1, 9, StreamSummary()), 320 / (1 - 0.8));  // no pairs
  EXPECT_DOUBLE_EQ(site.truckShare(2, 5), 0.57);
  double cars = static_cast<double>(summary.vehiclesOfClass(VehicleClass::car));
  double all = static_cast<double>(summary.records());
  EXPECT_FALSE(beyondNoise(cars, 0.8 * all, all));
  for (int axles = 2; axles <= 5; ++axles) {
    DistributionGap gap = grossWeightGap(summary, site, axles);
    EXPECT_GT(gap.trucks, 1000) << axles;
    EXPECT_LT(gap.distance, gap.limit) << axles;
  }
  // Every hour's flow matches the table once the minimum headways are allowed for: by
  // day they keep the flow well below the table's.
  EXPECT_LT(site.hourlyVehicles(1, 9, summary), 0.9 * 320 / (1 - 0.8));
  for (int lane = 1; lane <= 2; ++lane) {
    for (int hour = 0; hour < 24; ++hour) {
      double count = static_cast<double>(summary.vehiclesInHour(lane, hour));
      EXPECT_FALSE(beyondNoise(count, site.hourlyVehicles(lane, hour, summary) * summary.days()))
          << lane << " " << hour;
    }
  }
}

TEST_F(SiteComparisonTest, RefusesAFolderThatCannotBeUsed) {
  SiteExpectation missing;
  std::string error;
  EXPECT_FALSE(missing.load(folder.path() + "/no-such-folder", &error));
  EXPECT_EQ(error.rfind("cannot use the run folder \"", 0), 0u);
  folder.write("broken/VLMin.txt", "out.txt\n50\n1\n2\n2\n0\n1\n1\n5\n30\n0.05\n6\n0.8\n");
  EXPECT_FALSE(missing.load(folder.path() + "/broken", &error));
  EXPECT_EQ(error, "the run parameter bufferSize (value line 6) is 0; accepted: 1 or more");
}

}  // namespace

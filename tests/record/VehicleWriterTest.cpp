#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>

#include "record/VehicleWriter.h"
#include "support/TextLines.h"

namespace {

std::unique_ptr<Vehicle> vehicleAt(double time, int lane) {
  auto vehicle = std::make_unique<Vehicle>();
  vehicle->setHeadCode(1001);
  vehicle->setLane(lane);
  vehicle->setDirection(1);
  vehicle->setAxleCount(2);
  vehicle->setTime(time);
  return vehicle;
}

class VehicleWriterTest : public ::testing::Test {
 protected:
  // Writes `count` vehicles, one a second, through a writer of `capacity` into written;
  // returns stdout.
  std::string writeVehicles(int count, int capacity) {
    testing::internal::CaptureStdout();
    {
      VehicleWriter writer(sink, capacity);
      for (int i = 0; i < count; ++i) {
        writer.add(vehicleAt(i, 1 + i % 3));
      }
      writer.flush();
      EXPECT_TRUE(writer.finish());
    }
    written = sink.str();
    return testing::internal::GetCapturedStdout();
  }

  std::ostringstream sink;
  std::string written;
};

TEST_F(VehicleWriterTest, WritesBlocksAnnouncedByTheirLastVehicle) {
  std::string console = writeVehicles(4500, 2000);
  EXPECT_EQ(console,
            "Flushing buffer of 2000 vehicles at 1/1/5 0:33:19\n"
            "Flushing buffer of 2000 vehicles at 1/1/5 1:6:39\n"
            "Flushing buffer of 500 vehicles at 1/1/5 1:14:59\n");
  std::vector<std::string> lines = linesOf(written);
  ASSERT_EQ(lines.size(), 4500u);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    ASSERT_EQ(lines[i].size(), 77u);
    ASSERT_EQ(lines[i][30], static_cast<char>('1' + i % 3)) << i;
  }
  EXPECT_EQ(lines[4499].substr(0, 18), "1001 1 1 5 11459 0");
}

TEST_F(VehicleWriterTest, CapacityOneAnnouncesEveryVehicle) {
  std::string console = writeVehicles(3, 1);
  EXPECT_EQ(console,
            "Flushing buffer of 1 vehicles at 1/1/5 0:0:0\n"
            "Flushing buffer of 1 vehicles at 1/1/5 0:0:1\n"
            "Flushing buffer of 1 vehicles at 1/1/5 0:0:2\n");
  EXPECT_EQ(linesOf(written).size(), 3u);
}

TEST_F(VehicleWriterTest, EmptyFlushPrintsAndWritesNothing) {
  EXPECT_EQ(writeVehicles(0, 10), "");
  EXPECT_EQ(written, "");
}

TEST_F(VehicleWriterTest, AFailedStreamIsReportedNotClaimedWritten) {
  sink.setstate(std::ios::badbit);
  testing::internal::CaptureStdout();
  VehicleWriter writer(sink, 10);
  writer.add(vehicleAt(1, 1));
  writer.flush();
  EXPECT_FALSE(writer.finish());
  EXPECT_TRUE(writer.failed());
  testing::internal::GetCapturedStdout();
}

}  // namespace

#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <iomanip>
#include <string>
#include <vector>

#include "record/Vehicle.h"

namespace {

Vehicle carAt(double time) {
  Vehicle car;
  car.setHeadCode(1001);
  car.setLane(1);
  car.setDirection(1);
  car.setTrackWidth(1.8);
  car.setSpeed(250.0);
  car.setAxleCount(2);
  car.setGvw(20.0);
  car.setAxleWeight(0, 10.0);
  car.setAxleWeight(1, 10.0);
  car.setAxleSpacing(0, 40.0);
  car.setAxleSpacing(1, 0.0);
  car.setLength(40.0);
  car.setTime(time);
  return car;
}

std::string recordOf(const Vehicle& vehicle) {
  char buffer[Vehicle::maxRecordLength];
  int length = vehicle.formatRecord(buffer);
  EXPECT_EQ(std::string(buffer).size(), static_cast<std::size_t>(length));
  return buffer;
}

const std::string emptyAxles = "  0 0  0 0  0 0  0 0  0 0  0 0  0";

TEST(VehicleRecordTest, WritesTheWorkedCarExample) {
  std::string expected = "1001 1 1 5 1 2 567250  20 40211 18 1040 10 0" + emptyAxles;
  EXPECT_EQ(recordOf(carAt(3725.678)), expected);
  EXPECT_EQ(expected.size(), 77u);
}

TEST(VehicleRecordTest, RoundsHalfUpAndPadsHundredthsWithBlank) {
  Vehicle car = carAt(0.05);
  car.setSpeed(39.5);
  car.setGvw(39.49);
  EXPECT_EQ(recordOf(car).substr(0, 25), "1001 1 1 5 0 0 0 5 40  39");
}

TEST(VehicleRecordTest, OverflowingFieldPushesLaterFieldsRight) {
  Vehicle truck = carAt(0.0);
  truck.setAxleSpacing(0, 123.0);
  std::string record = recordOf(truck);
  EXPECT_EQ(record.size(), 78u);
  EXPECT_EQ(record.substr(34, 10), " 10123 10 ");
}

TEST(VehicleRecordTest, NineAxlesFillEveryPositionAndMoreAreCut) {
  Vehicle longTruck;
  longTruck.setAxleCount(11);
  for (int i = 0; i < 11; ++i) {
    longTruck.setAxleWeight(i, 100.0 + i);
    longTruck.setAxleSpacing(i, 10.0 + i);
  }
  std::string expected;
  for (int i = 0; i < 8; ++i) {
    expected += std::to_string(100 + i) + std::to_string(10 + i);
  }
  expected += "108";  // the ninth weight ends the record; axles 10 and 11 are not shown
  EXPECT_EQ(recordOf(longTruck).substr(35), expected);  // axle count 11 takes two columns
}

TEST(VehicleRecordTest, SetAxleCountAppendsOneMoreEntryThanAxles) {
  Vehicle vehicle;
  vehicle.setAxleCount(3);
  vehicle.setAxleWeight(3, 5.0);  // the extra entry exists
  EXPECT_EQ(vehicle.getAxleWeight(3), 5.0);
  EXPECT_EQ(vehicle.getAxleSpacing(0), 0.0);
}

struct Stamp {
  double time;
  std::string text;
  double rebuilt;
};

TEST(VehicleTimeTest, FillsCalendarStampAndRebuildsTime) {
  const Stamp stamps[] = {
      {0.0, "1/1/5 0:0:0", 0.0},
      {0.29, "1/1/5 0:0:0", 0.28},  // (0.29 - 0) * 100 falls just below 29
      {86400.0, "2/1/5 0:0:0", 86400.0},
      {25 * 86400.0, "1/2/5 0:0:0", 25 * 86400.0},
      {250 * 86400.0, "1/1/6 0:0:0", 250 * 86400.0},
      {266461.5, "4/1/5 2:1:1", 266461.5},
      {3 * 86400.0 + 14 * 3600 + 22 * 60 + 7.25, "4/1/5 14:22:7", 3 * 86400.0 + 51727.25},
      // At and beyond 2^31 s, where the last vehicle of the longest runs may arrive.
      {2147483647.25, "6/5/104 3:14:7", 2147483647.25},
      {2147483648.5, "6/5/104 3:14:8", 2147483648.5},
      {4294967295.75, "11/9/203 6:28:15", 4294967295.75},
  };
  for (const Stamp& stamp : stamps) {
    Vehicle vehicle;
    vehicle.setTime(stamp.time);
    EXPECT_EQ(vehicle.timeText(), stamp.text) << stamp.time;
    EXPECT_DOUBLE_EQ(vehicle.getTime(), stamp.rebuilt) << stamp.time;
  }
}

// The stamp as repeated double division gives it, with 32-bit products.
std::string designStamp(double t, double* rebuilt) {
  int y = static_cast<int>(t / 21600000);
  double r = t - y * 21600000;
  int mo = static_cast<int>(r / 2160000);
  r = r - mo * 2160000;
  int d = static_cast<int>(r / 86400);
  r = r - d * 86400;
  int hour = static_cast<int>(r / 3600);
  r = r - hour * 3600;
  int minute = static_cast<int>(r / 60);
  r = r - minute * 60;
  int second = static_cast<int>(r);
  int hundredths = static_cast<int>((r - second) * 100);
  *rebuilt =
      ((((y * 10 + mo) * 25 + d) * 24 + hour) * 3600 + 60 * minute + second) + hundredths * 0.01;
  return std::to_string(d + 1) + "/" + std::to_string(mo + 1) + "/" + std::to_string(y + 5) + " " +
         std::to_string(hour) + ":" + std::to_string(minute) + ":" + std::to_string(second);
}

TEST(VehicleTimeTest, StampMatchesRepeatedDivisionEverywhere) {
  std::vector<double> times = {0.0, 0.29, 59.999999999, 86399.99, 86399.9999999999};
  const double lengths[] = {60, 3600, 86400, 2160000, 21600000};
  std::uint64_t state = 88172645463325252ull;
  auto next = [&state] {  // xorshift: plenty of spread for test times
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  };
  for (int i = 0; i < 200000; ++i) {
    times.push_back(static_cast<double>(next() % 2147400000000ull) / 1000.0);
    double length = lengths[next() % 5];
    double boundary =
        length * static_cast<double>(next() % static_cast<std::uint64_t>(2.1e9 / length));
    times.push_back(std::nextafter(boundary, 0.0));
    times.push_back(boundary - 1e-7 * static_cast<double>(next() % 100));
  }
  for (double t : times) {
    if (t < 0) {
      continue;
    }
    Vehicle vehicle;
    vehicle.setTime(t);
    double rebuilt = 0.0;
    ASSERT_EQ(vehicle.timeText(), designStamp(t, &rebuilt)) << std::setprecision(17) << t;
    ASSERT_EQ(vehicle.getTime(), rebuilt) << std::setprecision(17) << t;
  }
}

TEST(VehicleTimeTest, RecordShowsHundredthsOfTheStamp) {
  EXPECT_EQ(recordOf(carAt(266461.5)).substr(0, 18), "1001 4 1 5 2 1 150");
  // A year of three digits widens the record by one column.
  EXPECT_EQ(recordOf(carAt(2147483648.5)).substr(0, 19), "1001 6 5104 314 850");
}

}  // namespace

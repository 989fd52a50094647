#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "record/Vehicle.h"
#include "stats/StreamSummary.h"
#include "stats/SummaryReport.h"
#include "stats/SvgChart.h"
#include "support/PngImage.h"
#include "support/TestFolder.h"

namespace {

// The record of a vehicle as the program writes it.
std::string recordLine(double time, int lane, int direction, int axles, double gvw, double speed) {
  Vehicle vehicle;
  vehicle.setHeadCode(1001);
  vehicle.setLane(lane);
  vehicle.setDirection(direction);
  vehicle.setTrackWidth(1.8);
  vehicle.setSpeed(speed);
  vehicle.setAxleCount(axles);
  vehicle.setGvw(gvw);
  bool car = gvw == 20;
  for (int i = 0; i < axles; ++i) {
    vehicle.setAxleWeight(i, gvw / axles);
    vehicle.setAxleSpacing(i, i + 1 < axles ? (car ? 40.0 : 35.0) : 0.0);
  }
  vehicle.setLength(car ? 40.0 : 35.0 * (axles - 1));
  vehicle.setTime(time);
  char buffer[Vehicle::maxRecordLength];
  vehicle.formatRecord(buffer);
  return buffer;
}

// A summary of the given lines, read as a stream.
StreamSummary summaryOf(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line + "\n";
  }
  std::istringstream in(text);
  StreamSummary summary;
  std::string error;
  EXPECT_TRUE(summary.addStream(in, "lines", &error)) << error;
  return summary;
}

TEST(StreamSummaryLinesTest, ReadsTheFixedColumns) {
  // A spacing of 10 m or more pushes the axle fields right; the fixed columns still read.
  std::string wide = recordLine(10.0, 1, 1, 4, 300, 230);
  wide.insert(40, "1");
  StreamSummary summary = summaryOf({recordLine(3725.678, 2, 1, 5, 402.4, 236.5), wide});
  ASSERT_EQ(summary.records(), 2);
  EXPECT_EQ(summary.widened(), 1);
  const StreamSummary::Heavy& heaviest = summary.heaviest().front();
  EXPECT_EQ(heaviest.grossWeight, 402);
  EXPECT_EQ(heaviest.axles, 5);
  EXPECT_EQ(heaviest.lane, 2);
  EXPECT_EQ(heaviest.time, "1/1/5 1:02:05.67");
  EXPECT_EQ(summary.vehiclesInHour(2, 1), 1);
  EXPECT_EQ(summary.vehicles(2, VehicleClass::fiveAxle), 1);
  EXPECT_EQ(percentile(summary.speeds(1), 1.0), 237);
}

TEST(StreamSummaryLinesTest, ShowsTrucksOfSixToNineAxlesWhenTheStreamHasThem) {
  std::string light =
      summaryText("lines", summaryOf({recordLine(10.0, 1, 1, 5, 400, 230)}), nullptr);
  EXPECT_NE(light.find("5-axle    other\n"), std::string::npos) << light;
  StreamSummary summary =
      summaryOf({recordLine(10.0, 1, 1, 5, 400, 230), recordLine(20.0, 1, 1, 7, 950, 230),
                 recordLine(30.0, 1, 1, 9, 1200, 230)});
  EXPECT_EQ(summary.vehicles(1, VehicleClass::sevenAxle), 1);
  EXPECT_EQ(summary.vehicles(1, VehicleClass::other), 0);
  EXPECT_EQ(shownTruckClasses(summary, nullptr), (std::vector<int>{2, 3, 4, 5, 7, 9}));
  std::string text = summaryText("lines", summary, nullptr);
  EXPECT_NE(text.find("5-axle   7-axle   9-axle    other\n"), std::string::npos) << text;
  EXPECT_NE(text.find("  9-axle trucks            1          1200   1200   1200   1200"),
            std::string::npos)
      << text;
  std::string chart = chartSvg("lines", summary, nullptr);
  EXPECT_NE(chart.find("height=\"1900.0\""), std::string::npos);  // a third row of panels
  EXPECT_NE(chart.find("Gross weight of 9-axle trucks (1)"), std::string::npos);
}

TEST(StreamSummaryLinesTest, CountsLinesThatAreNotRecords) {
  std::string good = recordLine(100.0, 1, 1, 2, 20, 250);
  std::string badDirection = good;
  badDirection[29] = '3';
  std::string letters = good;
  letters[20] = 'x';
  std::string blankField = good;
  blankField.replace(4, 2, "  ");
  std::string junkAtEnd = good + "#";
  StreamSummary summary = summaryOf({good, std::string(), good.substr(0, 76), badDirection, letters,
                                     blankField, junkAtEnd, std::string(77, ' ')});
  EXPECT_EQ(summary.records(), 1);
  EXPECT_EQ(summary.unparseable(), 7);
  EXPECT_EQ(summary.unparseableLines(), (std::vector<long long>{2, 3, 4, 5, 6, 7, 8}));
}

class StreamSummaryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const std::string lines[] = {
        recordLine(10.0, 1, 1, 2, 20, 250),             // car, hour 0
        recordLine(20.0, 1, 1, 5, 410, 230),            // 5-axle truck
        "not a record",                                 // line 3
        recordLine(3700.0, 2, 2, 2, 20, 260),           // car, hour 1, lane 2
        recordLine(3800.0, 2, 2, 3, 190, 220),          // 3-axle truck
        recordLine(90000.0, 1, 1, 5, 455, 240),         // day 2, hour 1
        "",                                             // line 7
        recordLine(2 * 86400.0 + 5, 1, 1, 2, 20, 245),  // the end of a two-day run
    };
    std::string text;
    for (const std::string& line : lines) {
      text += line + "\n";
    }
    std::istringstream in(text);
    std::string error;
    ASSERT_TRUE(summary.addStream(in, "lines", &error)) << error;
  }

  StreamSummary summary;
};

TEST_F(StreamSummaryTest, CountsLanesClassesAndHours) {
  EXPECT_EQ(summary.records(), 6);
  EXPECT_EQ(summary.unparseable(), 2);
  EXPECT_EQ(summary.unparseableLines(), (std::vector<long long>{3, 7}));
  EXPECT_EQ(summary.days(), 2);
  EXPECT_EQ(summary.highestLane(), 2);
  EXPECT_EQ(summary.directionOfLane(2), 2);
  EXPECT_EQ(summary.vehiclesOfLane(1), 4);
  EXPECT_EQ(summary.vehicles(1, VehicleClass::fiveAxle), 2);
  EXPECT_EQ(summary.vehiclesOfClass(VehicleClass::car), 3);
  EXPECT_EQ(summary.vehiclesInHour(1, 1), 1);
  EXPECT_EQ(summary.vehiclesInHour(2, 1), 2);
}

TEST_F(StreamSummaryTest, GivesPercentilesAndHeaviestVehicles) {
  const std::vector<long long>& fiveAxle = summary.grossWeights(VehicleClass::fiveAxle, 1);
  EXPECT_EQ(percentile(fiveAxle, 0.05), 410);
  EXPECT_EQ(percentile(fiveAxle, 0.5), 410);
  EXPECT_EQ(percentile(fiveAxle, 0.95), 455);
  EXPECT_EQ(maximum(fiveAxle), 455);
  EXPECT_EQ(percentile(summary.speedsOfClass(VehicleClass::car), 0.5), 250);
  ASSERT_EQ(summary.heaviest().size(), 6u);
  EXPECT_EQ(summary.heaviest()[0].grossWeight, 455);
  EXPECT_EQ(summary.heaviest()[0].time, "2/1/5 1:00:00.00");
  EXPECT_EQ(summary.heaviest()[1].grossWeight, 410);
  std::string text = summaryText("test.txt", summary, nullptr);
  EXPECT_NE(text.find("Records: 6 over 2 days; cars 3, trucks 3"), std::string::npos);
  EXPECT_NE(text.find("Lines that are not records: 2 (lines 3, 7)"), std::string::npos);
  EXPECT_NE(text.find("  5-axle trucks            2           410    410    455    455"),
            std::string::npos)
      << text;
}

TEST(SamplingNoiseTest, MarksOnlyDifferencesBeyondThreeDeviations) {
  EXPECT_FALSE(beyondNoise(1030, 1000));  // 3 deviations of 1000 are about 95
  EXPECT_TRUE(beyondNoise(1100, 1000));
  EXPECT_FALSE(beyondNoise(520, 500, 1000));  // binomial: 3 deviations are about 47
  EXPECT_TRUE(beyondNoise(560, 500, 1000));
}

// The chart, checked as XML and drawn by a real renderer.
TEST_F(StreamSummaryTest, ChartIsWellFormedAndDrawsSomething) {
  TestFolder folder;
  folder.write("chart.svg", chartSvg("test.txt", summary, nullptr));
  if (std::system("command -v xmllint > /dev/null && command -v rsvg-convert > /dev/null") != 0) {
    GTEST_SKIP() << "xmllint and rsvg-convert are needed (packages libxml2-utils, librsvg2-bin)";
  }
  ASSERT_EQ(std::system("xmllint --noout chart.svg"), 0);
  ASSERT_EQ(std::system("rsvg-convert -w 600 chart.svg -o chart.png"), 0);
  PngImage image;
  ASSERT_TRUE(image.read("chart.png"));
  EXPECT_EQ(image.width, 600);
  std::set<std::uint32_t> colours(image.pixels.begin(), image.pixels.end());
  std::size_t inked = 0;
  for (std::uint32_t pixel : image.pixels) {
    inked += pixel != 0xffffffu;
  }
  EXPECT_GT(colours.size(), 10u);
  EXPECT_GT(inked, image.pixels.size() / 50);  // axes, labels, lines and bars
}

}  // namespace

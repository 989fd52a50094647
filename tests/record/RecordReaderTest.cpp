// Records read back into exactly the numbers they were written from, in both forms, with
// overflowed fields resolved by the record's own sums.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "record/RecordReader.h"
#include "record/Vehicle.h"

namespace {

bool sameValues(const RecordValues& a, const RecordValues& b) {
  return a.stampHundredths() == b.stampHundredths() && a.speed == b.speed &&
         a.grossWeight == b.grossWeight && a.length == b.length && a.axleCount == b.axleCount &&
         a.direction == b.direction && a.lane == b.lane && a.trackWidth == b.trackWidth &&
         a.axleWeights == b.axleWeights && a.axleSpacings == b.axleSpacings;
}

// A truck of up to 5 axles, as the generator makes them, with spacings up to 200 dm (many
// too wide for their column) on a road of up to 100 lanes, its length and gross weight the
// sums of its axles'.
Vehicle randomTruck(std::mt19937& random) {
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  Vehicle truck;
  truck.setHeadCode(1001);
  truck.setTime(unit(random) * 2e9);
  truck.setSpeed(1.0 + unit(random) * 830.0);
  truck.setDirection(1 + static_cast<int>(unit(random) * 2));
  truck.setLane(1 + static_cast<int>(unit(random) * 100));
  truck.setTrackWidth(1.8);
  int axles = 2 + static_cast<int>(unit(random) * 4);
  truck.setAxleCount(axles);
  double gvw = 0.0;
  double length = 0.0;
  for (int i = 0; i < axles; ++i) {
    double weight = 15.0 + unit(random) * 485.0;
    double spacing = i + 1 < axles ? 0.5 + unit(random) * 199.5 : 0.0;
    truck.setAxleWeight(i, weight);
    truck.setAxleSpacing(i, spacing);
    gvw += weight;
    length += spacing;
  }
  truck.setGvw(gvw);
  truck.setLength(length);
  return truck;
}

TEST(RecordReaderTest, ReadsBackFixedAndCsvRecordsAsWrittenOrSaysTheyAreUnclear) {
  std::mt19937 random(5);
  int widened = 0;
  int unsettled = 0;  // lines whose sums fit more than one reading
  for (int i = 0; i < 20000; ++i) {
    Vehicle truck = randomTruck(random);
    char text[Vehicle::maxRecordLength];
    int length = truck.formatRecord(text);
    widened += length > record_layout::recordLength;
    RecordValues fixed;
    std::string why;
    if (readFixedRecord(text, &fixed, &why)) {
      ASSERT_TRUE(sameValues(fixed, truck.recordValues())) << text;
    } else {
      ASSERT_NE(why.find("more than one way"), std::string::npos) << text << ": " << why;
      ++unsettled;
    }
    truck.formatCsvRecord(text);
    RecordValues csv;
    ASSERT_TRUE(readCsvRecord(text, &csv, &why)) << text << ": " << why;
    ASSERT_TRUE(sameValues(csv, truck.recordValues())) << text;
  }
  EXPECT_GT(widened, 10000);
  EXPECT_LT(unsettled, 20) << "of " << widened;
}

TEST(RecordReaderTest, SaysWhyALineIsNoRecord) {
  Vehicle truck;
  truck.setHeadCode(1001);
  truck.setTime(3725.67);
  truck.setSpeed(250.0);
  truck.setDirection(1);
  truck.setLane(1);
  truck.setAxleCount(2);
  char text[Vehicle::maxRecordLength];
  truck.formatRecord(text);
  std::string record = text;
  RecordValues values;
  std::string why;
  EXPECT_TRUE(readFixedRecord(record, &values, &why)) << why;
  struct Case {
    std::string line;
    const char* says;
  } cases[] = {
      {record.substr(0, 70), "shorter than the record's 77 characters"},
      {"x" + record.substr(1), "not right-aligned whole numbers within their ranges"},
      {record.substr(0, 4) + "26" + record.substr(6), "within their ranges"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(readFixedRecord(c.line, &values, &why)) << c.line;
    EXPECT_NE(why.find(c.says), std::string::npos) << why;
  }
  EXPECT_FALSE(readCsvRecord("1,2,3", &values, &why));
  EXPECT_NE(why.find("not 32 comma-separated fields"), std::string::npos) << why;
  truck.formatCsvRecord(text);
  std::string csv = text;
  EXPECT_FALSE(readCsvRecord(csv.replace(csv.find(",250,"), 5, ",2.5,"), &values, &why));
  EXPECT_NE(why.find("field 9 \"2.5\" is not a whole number"), std::string::npos) << why;
}

// Nine axles whose eighth spacing and ninth weight run together as "123456": 12 and 3456,
// or 123 and 456. The length and gross weight tell which, or leave it open.
std::string nineAxleRecord(const std::string& length, const std::string& grossWeight) {
  return "1001 1 1 5 0 0 0 0250" + grossWeight + length + "911 18" +
         " 50 5 50 5 50 5 50 5 50 5 50 5 50 5 50123456";
}

TEST(RecordReaderTest, SettlesAnOverflowByTheRecordsSumsOrRefusesIt) {
  RecordValues values;
  std::string why;
  ASSERT_TRUE(readFixedRecord(nineAxleRecord("158", " 856"), &values, &why)) << why;
  EXPECT_EQ(values.axleSpacings[7], 123);
  EXPECT_EQ(values.axleWeights[8], 456);
  ASSERT_TRUE(readFixedRecord(nineAxleRecord(" 47", "3856"), &values, &why)) << why;
  EXPECT_EQ(values.axleSpacings[7], 12);
  EXPECT_EQ(values.axleWeights[8], 3456);
  EXPECT_FALSE(readFixedRecord(nineAxleRecord("999", " 900"), &values, &why));
  EXPECT_NE(why.find("can be read in more than one way"), std::string::npos) << why;
}

}  // namespace

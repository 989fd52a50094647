#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "record/RecordLayout.h"
#include "record/Vehicle.h"

namespace {

namespace layout = record_layout;

// The README's table row of field: "| 19-21 | 3 | speed, dm/s |".
std::string documentedRow(layout::Field field) {
  int first = layout::startOf(field) + 1;
  int width = layout::widthOf(field);
  std::string columns = std::to_string(first);
  if (width > 1) {
    columns += "-" + std::to_string(first + width - 1);
  }
  return "| " + columns + " | " + std::to_string(width) + " | " +
         layout::leadingColumns[static_cast<std::size_t>(field)].title + " |";
}

TEST(RecordLayoutTest, TheReadmeDocumentsTheLayoutTheWriterUses) {
  std::ifstream in(std::string(VELMORA_SOURCE_DIR) + "/README.md");
  std::ostringstream readme;
  readme << in.rdbuf();
  for (int i = 0; i < layout::leadingFieldCount; ++i) {
    auto field = static_cast<layout::Field>(i);
    EXPECT_NE(readme.str().find(documentedRow(field) + "\n"), std::string::npos)
        << documentedRow(field);
  }
  EXPECT_NE(readme.str().find("| 35-77 | 3 and 2 | nine axle weights"), std::string::npos);
}

TEST(RecordLayoutTest, FieldsStandWhereTheLayoutPutsThem) {
  Vehicle truck;
  truck.setHeadCode(1001);
  truck.setTime(86400.0 * 3 + 3600 * 7 + 60 * 8 + 9.5);
  truck.setSpeed(234);
  truck.setGvw(456);
  truck.setAxleCount(3);
  truck.setLength(98);
  truck.setDirection(2);
  truck.setLane(3);
  truck.setTrackWidth(1.8);
  char record[Vehicle::maxRecordLength];
  ASSERT_EQ(truck.formatRecord(record), layout::recordLength);
  std::string line(record);
  auto text = [&line](layout::Field field) {
    return line.substr(static_cast<std::size_t>(layout::startOf(field)),
                       static_cast<std::size_t>(layout::widthOf(field)));
  };
  EXPECT_EQ(text(layout::day), " 4");
  EXPECT_EQ(text(layout::hour), " 7");
  EXPECT_EQ(text(layout::hundredths), "50");
  EXPECT_EQ(text(layout::speed), "234");
  EXPECT_EQ(text(layout::grossWeight), " 456");
  EXPECT_EQ(text(layout::length), " 98");
  EXPECT_EQ(text(layout::axleCount), "3");
  EXPECT_EQ(text(layout::direction), "2");
  EXPECT_EQ(text(layout::lane), "3");
  EXPECT_EQ(text(layout::trackWidth), " 18");
}

}  // namespace

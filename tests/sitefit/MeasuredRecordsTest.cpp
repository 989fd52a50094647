#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "sitefit/MeasuredRecords.h"
#include "support/ProgramRun.h"
#include "support/TestFolder.h"
#include "support/TextLines.h"

namespace {

TEST(DateTimeTest, ReadsLocalTimesAndTellsWeekendsApart) {
  struct Case {
    std::string text;
    std::int64_t day;
    std::int64_t hundredths;
    bool weekend;
  };
  const Case cases[] = {
      {"1970-01-01T00:00:00", 0, 0, false},               // a Thursday
      {"2024-03-05T07:31:22.45", 19787, 2708245, false},  // a Tuesday
      {"2024-03-05 07:31:22.4", 19787, 2708240, false},
      {"2024-03-05T07:31:22.459", 19787, 2708245, false},  // hundredths, the rest dropped
      {"2024-03-09T23:59:59", 19791, 8639900, true},       // a Saturday
      {"2024-03-10T00:00:00.00", 19792, 0, true},          // a Sunday
      {"2024-02-29T12:00:00", 19782, 4320000, false},      // a leap day
      {"1969-12-31T00:00:00", -1, 0, false},               // a Wednesday
  };
  for (const Case& c : cases) {
    MeasuredVehicle vehicle;
    std::string why;
    ASSERT_TRUE(readDateTime(c.text, &vehicle, &why)) << c.text << ": " << why;
    EXPECT_EQ(vehicle.day, c.day) << c.text;
    EXPECT_EQ(vehicle.hundredthsOfDay, c.hundredths) << c.text;
    EXPECT_EQ(vehicle.weekend, c.weekend) << c.text;
  }
  for (const char* text :
       {"2023-02-29T12:00:00", "2024-03-05T24:00:00", "2024-13-05T07:31:22", "5/3/2024 07:31:22",
        "2024-03-05T07:31", "2024-03-05T07:31:22.", "2024-03-05T07:31:22x"}) {
    MeasuredVehicle vehicle;
    std::string why;
    EXPECT_FALSE(readDateTime(text, &vehicle, &why)) << text;
    EXPECT_EQ(why, "no datetime as 2024-03-05T07:31:22.45") << text;
  }
  for (const char* text : {"2024-03-05T07:31:22Z", "2024-03-05T07:31:22.45+01:00"}) {
    MeasuredVehicle vehicle;
    std::string why;
    EXPECT_FALSE(readDateTime(text, &vehicle, &why));
    EXPECT_EQ(why, "has the datetime \"" + std::string(text) + "\" with a time zone");
  }
}

// The vehicles a station file gives, weights in kN, and the reasons of the lines it skips.
TEST(MeasuredRecordsTest, ReadsAStationFileByItsHeader) {
  std::istringstream in(
      "\xEF\xBB\xBFlane,datetime,axles,gross_weight,direction,speed_dm_per_s,axle2_weight,"
      "axle1_weight,axle1_spacing_dm\r\n"
      "2,2024-03-05T07:31:22.45,2,98.0665,2,236.4,49.03325,49.03325,45.5\r\n"
      "2,2024-03-05T07:31:23,2,x,2,236,50,50,45\r\n"
      "2,2024-03-05T07:31:24,3,300,2,236,100,100,45\r\n"
      "2,2024-03-05T07:31:25,2,300\r\n"
      "2,2024-03-05T07:31:26,11,1200,2,236,100,100,45\r\n");
  MeasuredRecords records(in, 1000.0 / 9.80665 / 100.0);
  std::vector<MeasuredVehicle> vehicles;
  std::vector<std::string> reasons;
  std::string error;
  ASSERT_TRUE(records.visitLines(
      [&](const MeasuredVehicle* vehicle, const std::string& why) {
        if (vehicle != nullptr) {
          vehicles.push_back(*vehicle);
        } else {
          reasons.push_back(why);
        }
      },
      &error))
      << error;
  EXPECT_EQ(records.formName(), "station CSV");
  ASSERT_EQ(vehicles.size(), 2u);
  EXPECT_EQ(vehicles[1].values.axleCount, 11);  // a record, that the tallies leave out
  const RecordValues& v = vehicles[0].values;
  EXPECT_EQ(v.lane, 2);
  EXPECT_EQ(v.speed, 236);
  EXPECT_EQ(v.grossWeight, 100);  // 98.0665 kN is 10 t
  EXPECT_EQ(v.axleWeights[0], 50);
  EXPECT_EQ(v.axleSpacings[0], 46);  // rounded half up
  EXPECT_EQ(v.length, 46);
  EXPECT_EQ(reasons,
            (std::vector<std::string>{"with a field that holds no number",
                                      "of a vehicle with more axles than the header's axle columns",
                                      "with 4 fields where the header has 9"}));
}

TEST(MeasuredRecordsTest, RefusesHeadersAndZonesItCannotRead) {
  const std::pair<std::string, std::string> cases[] = {
      {"datetime,lane,direction,speed_dm_per_s,gross_weight,axles,axle1_weight,colour\n",
       "line 1 is a station header with a column `colour` that velmora-fit does not know"},
      {"datetime,direction,speed_dm_per_s,gross_weight,axles,axle1_weight,axle2_weight,"
       "axle1_spacing_dm\n",
       "line 1 is a station header without the column `lane`"},
      {"datetime,lane,direction,speed_dm_per_s,gross_weight,axles,axle1_weight,axle2_weight,"
       "axle3_weight,axle1_spacing_dm\n",
       "line 1 is a station header without the column `axle2_spacing_dm`"},
      {"datetime,lane,direction,speed_dm_per_s,gross_weight,axles,axle1_weight,axle2_weight,"
       "axle1_spacing_dm\n2024-03-05T07:31:22Z,1,1,230,100,2,50,50,40\n",
       "line 2 has the datetime \"2024-03-05T07:31:22Z\" with a time zone; accepted: local time "
       "without a zone, as 2024-03-05T07:31:22.45"},
  };
  for (const auto& [text, message] : cases) {
    std::istringstream in(text);
    MeasuredRecords records(in, 1.0);
    std::string error;
    EXPECT_FALSE(records.visitLines([](const MeasuredVehicle*, const std::string&) {}, &error));
    EXPECT_EQ(error.substr(0, message.size()), message);
  }
}

TEST(MeasuredRecordsTest, VelmoraFitNamesWhatStopsAStationFile) {
  TestFolder folder;
  folder.write(
      "records.csv",
      "datetime,lane,direction,speed_dm_per_s,gross_weight,axles,axle1_weight,axle2_weight,"
      "axle1_spacing_dm\n2024-03-05T07:31:22+01:00,1,1,230,100,2,50,50,40\n");
  ProgramRun fit = runCommand(std::string(VELMORA_FIT_PROGRAM) + " -o site records.csv");
  EXPECT_EQ(fit.status, 2);
  EXPECT_EQ(fit.errors,
            "error: the records file \"records.csv\" line 2 has the datetime "
            "\"2024-03-05T07:31:22+01:00\" with a time zone; accepted: local time without a "
            "zone, as 2024-03-05T07:31:22.45\n");
  ProgramRun unit =
      runCommand(std::string(VELMORA_FIT_PROGRAM) + " --weight-unit lb -o site records.csv");
  EXPECT_EQ(unit.status, 2);
  EXPECT_EQ(linesOf(unit.errors).front(),
            "error: --weight-unit is \"lb\"; accepted: kg, t, kN or site");
  std::string dated;
  for (int i = 0; i < 10; ++i) {
    dated += "2024-03-0" + std::to_string(4 + i % 2) + "T08:00:0" + std::to_string(i) +
             ",1,1,230,100,2,50,50,40\n";
  }
  folder.write("records.csv",
               "date,lane,direction,speed_dm_per_s,gross_weight,axles,"
               "axle1_weight,axle2_weight,axle1_spacing_dm\n" +
                   dated);
  ProgramRun misread = runCommand(std::string(VELMORA_FIT_PROGRAM) + " -o site records.csv");
  EXPECT_EQ(misread.status, 2);
  EXPECT_EQ(linesOf(misread.errors).front(),
            "error: the records file \"records.csv\" line 1 is a CSV header, but the header has "
            "no column `time_s`; accepted: the header line of velmora --format csv, or a "
            "station header with a `datetime` column");
  folder.write("records.csv",
               "datetime,lane,direction,speed_dm_per_s,gross_weight,axles,"
               "axle1_weight,axle2_weight,axle1_spacing_dm\n" +
                   dated + "31/03/2024 08:00:00,1,1,230,100,2,50,50,40\n" +
                   "31/03/2024 08:00:01,1,1,230,100,2,50,50,40\n");
  ProgramRun mostlyBad = runCommand(std::string(VELMORA_FIT_PROGRAM) + " -o site records.csv");
  EXPECT_EQ(mostlyBad.status, 0) << mostlyBad.errors;
  EXPECT_NE(mostlyBad.console.find("Left out 2 lines with no datetime as 2024-03-05T07:31:22.45 "
                                   "(the first is line 12)"),
            std::string::npos)
      << mostlyBad.console;
  for (int i = 0; i < 11; ++i) {
    dated += "31/03/2024 08:00:00,1,1,230,100,2,50,50,40\n";
  }
  folder.write("records.csv",
               "datetime,lane,direction,speed_dm_per_s,gross_weight,axles,"
               "axle1_weight,axle2_weight,axle1_spacing_dm\n" +
                   dated);
  mostlyBad = runCommand(std::string(VELMORA_FIT_PROGRAM) + " -o site records.csv");
  EXPECT_EQ(mostlyBad.status, 2);
  EXPECT_EQ(mostlyBad.errors,
            "error: the records file \"records.csv\" has 11 lines that are no records among 21 "
            "(the first is line 12: with no datetime as 2024-03-05T07:31:22.45); accepted: a "
            "file of records with fewer lines that are none\n");
}

// Two trucks a day on one lane, Monday 4 March 2024 to Monday 11 March at 08:00 and 09:00.
std::string weekOfTrucks() {
  std::string records =
      "datetime,lane,direction,speed_dm_per_s,gross_weight,axles,axle1_weight,axle2_weight,"
      "axle1_spacing_dm\n";
  for (int day = 4; day <= 11; ++day) {
    for (int hour = 8; hour <= 9; ++hour) {
      records += "2024-03-" + std::string(day < 10 ? "0" : "") + std::to_string(day) + "T0" +
                 std::to_string(hour) + ":00:00,1,1,230,100,2,50,50,40\n";
    }
  }
  return records;
}

TEST(MeasuredRecordsTest, VelmoraFitFitsWeekdaysOrEveryDayAndKeepsNoStaleHeavyTable) {
  TestFolder folder;
  folder.write("records.csv", weekOfTrucks());
  folder.write("site/HV6to9.csv", "from an earlier fit\n");
  ProgramRun weekdays = runCommand(std::string(VELMORA_FIT_PROGRAM) + " -o site records.csv");
  ASSERT_EQ(weekdays.status, 0) << weekdays.errors;
  EXPECT_NE(weekdays.console.find("Fitted 10 records over 5 days: 0 cars, 10 trucks\nDays: 5 "
                                  "days fitted, Monday to Friday; 2 Saturdays and Sundays left "
                                  "out (--all-days fits them)\n"),
            std::string::npos)
      << weekdays.console;
  EXPECT_NE(weekdays.console.find("Left out 2 records after the 7 days (the first is line 16)"),
            std::string::npos);
  EXPECT_NE(weekdays.console.find("Removed the earlier HV6to9.csv: these records have no "
                                  "trucks of 6 to 9 axles\n"),
            std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(folder.path() + "/site/HV6to9.csv"));
  ProgramRun everyDay =
      runCommand(std::string(VELMORA_FIT_PROGRAM) + " --all-days -o site records.csv");
  ASSERT_EQ(everyDay.status, 0) << everyDay.errors;
  EXPECT_NE(everyDay.console.find("Fitted 14 records over 7 days: 0 cars, 14 trucks\nDays: 7 "
                                  "days fitted, Saturdays and Sundays included\n"),
            std::string::npos)
      << everyDay.console;
}

}  // namespace

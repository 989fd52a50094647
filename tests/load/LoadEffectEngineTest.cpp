// The engine's rows: one per effect and day, a day without traffic at 0, the stamp read
// as the record shows it, lane factors and units applied, and refused vehicles.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "load/BackgroundLoadEngine.h"
#include "load/LoadEffectEngine.h"
#include "support/TestRecords.h"
#include "support/TextLines.h"

namespace {

LoadEffect effectOf(const std::string& name, const InfluenceLine& line) {
  LoadEffect effect;
  effect.name = name;
  effect.line = line;
  effect.force = name.compare(0, 6, "shear:") == 0;  // as the catalogue makes a shear
  return effect;
}

LoadSettings midSpanAndShear() {
  LoadSettings settings;
  settings.effects = {effectOf("moment:30", InfluenceLine::simpleSpanMoment(30.0, 15.0)),
                      effectOf("shear:30", InfluenceLine::simpleSpanShear(30.0))};
  return settings;
}

TEST(LoadEffectEngineTest, WritesARowPerEffectAndDayWithEmptyDaysAtZero) {
  std::ostringstream out;
  LoadEffectEngine engine(midSpanAndShear(), out);
  std::string error;
  // A 2-axle truck on day 2 at 10:00:00.50, 30 m/s, axles of 60 and 90 units 50 dm apart.
  ASSERT_TRUE(engine.add(recordAt(8640000 + 3600000 + 50, 1, 1, 300, {60, 90}, {50}), &error))
      << error;
  engine.finish(3);
  EXPECT_EQ(linesOf(out.str()),
            (std::vector<std::string>{
                "effect,day,max,time_s,vehicles_on_bridge,trucks_on_bridge,unit",
                "moment:30,1,0.000,0.000,0,0,site weight unit·m",
                "shear:30,1,0.000,0.000,0,0,site weight unit",
                // the heavier rear axle at mid-span, 20 m / 30 m/s after the stamp:
                // 90 * 7.5 + 60 * (15 - 5) / 2
                "moment:30,2,975.000,122401.167,1,1,site weight unit·m",
                // both axles on, the rear one just entered (5 m / 30 m/s): 150 - 60 * 5 / 30
                "shear:30,2,140.000,122400.667,1,1,site weight unit",
                "moment:30,3,0.000,172800.000,0,0,site weight unit·m",
                "shear:30,3,0.000,172800.000,0,0,site weight unit"}));
}

TEST(LoadEffectEngineTest, AppliesLaneFactorsAndTheUnitScale) {
  LoadSettings settings = midSpanAndShear();
  settings.laneFactors = {1.0, 0.5};
  settings.unitScale = 0.981;
  settings.inKilonewtons = true;
  std::ostringstream out;
  LoadEffectEngine engine(settings, out);
  std::string error;
  ASSERT_TRUE(engine.add(recordAt(1000, 2, 2, 200, {100}, {}), &error)) << error;
  engine.finish(1);
  std::vector<std::string> rows = linesOf(out.str());
  ASSERT_EQ(rows.size(), 3u);
  // Direction 2 at 20 m/s: mid-span after 15 m, the left support after 30 m.
  EXPECT_EQ(rows[1], "moment:30,1,367.875,10.750,1,1,kN·m");  // 0.5 * 100 * 0.981 * 7.5
  EXPECT_EQ(rows[2], "shear:30,1,49.050,11.500,1,1,kN");
}

TEST(LoadEffectEngineTest, CountsCarsAsLoadsButNotAsTrucks) {
  std::ostringstream out;
  LoadEffectEngine engine(midSpanAndShear(), out);
  std::string error;
  RecordValues car = recordAt(500, 1, 1, 250, {10, 10}, {40});
  ASSERT_TRUE(car.isCar());
  ASSERT_TRUE(engine.add(car, &error)) << error;
  engine.finish(1);
  EXPECT_EQ(linesOf(out.str())[1], "moment:30,1,130.000,5.600,1,0,site weight unit·m");
}

TEST(LoadEffectEngineTest, RefusesVehiclesItCannotPlaceAndStaysUnchanged) {
  LoadSettings settings = midSpanAndShear();
  settings.laneFactors = {1.0, 1.0};
  std::ostringstream out;
  LoadEffectEngine engine(settings, out);
  std::string error;
  ASSERT_TRUE(engine.add(recordAt(9000000, 1, 1, 250, {50, 50}, {30}), &error));
  struct Case {
    RecordValues record;
    const char* says;
  } cases[] = {
      {recordAt(8999999, 1, 1, 250, {50}, {}), "stamped before the vehicle before it"},
      {recordAt(9000000, 1, 1, 0, {50}, {}), "its speed is 0 dm/s"},
      {recordAt(9000000, 3, 1, 250, {50}, {}), "lane 3, and --lane-factors gives 2 lanes"},
      {recordAt(9000000, 1, 1, 250, {50, 50}, {-4}), "axle 1 has a negative weight or spacing"},
      {recordAt(9000000, 1, 1, 250, {}, {}), "it has 0 axles"},
  };
  for (const Case& c : cases) {
    EXPECT_FALSE(engine.add(c.record, &error));
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
  }
  EXPECT_EQ(engine.daysWritten(), 1);  // the first vehicle closed day 1, nothing more
  engine.finish(2);
  EXPECT_EQ(linesOf(out.str())[3],
            "moment:30,2,675.000,90000.600,1,1,site weight unit·m");  // 375 + 50 * 6
}

TEST(LoadEffectEngineTest, QuotesEffectNamesThatHoldCommas) {
  LoadSettings settings;
  settings.effects = {effectOf("il:a,b.csv", InfluenceLine::simpleSpanShear(10.0))};
  settings.effects[0].ownLine = true;
  std::ostringstream out;
  LoadEffectEngine engine(settings, out);
  engine.finish(1);
  EXPECT_EQ(linesOf(out.str())[1], "\"il:a,b.csv\",1,0.000,0.000,0,0,ordinate·site weight unit");
}

}  // namespace

namespace {

// Many vehicles over three days, on two lanes in both directions.
std::vector<RecordValues> busyDays() {
  std::vector<RecordValues> records;
  for (long long stamp = 0; stamp < 3 * 8640000LL; stamp += 997) {
    int lane = 1 + static_cast<int>(stamp / 997 % 2);
    records.push_back(recordAt(stamp, lane, lane, 150 + stamp % 200, {40 + stamp % 60, 70, 70},
                               {30 + stamp % 20, 13}));
  }
  return records;
}

TEST(BackgroundLoadEngineTest, WritesTheSameRowsAsTheEngineItself) {
  std::vector<RecordValues> records = busyDays();
  std::ostringstream direct;
  {
    LoadEffectEngine engine(midSpanAndShear(), direct);
    std::string error;
    for (const RecordValues& record : records) {
      ASSERT_TRUE(engine.add(record, &error)) << error;
    }
    engine.finish(3);
  }
  std::ostringstream background;
  BackgroundLoadEngine engine(midSpanAndShear(), background);
  for (const RecordValues& record : records) {
    ASSERT_TRUE(engine.add(record));
  }
  ASSERT_TRUE(engine.finish(3));
  EXPECT_EQ(background.str(), direct.str());
  EXPECT_EQ(linesOf(direct.str()).size(), 7u);
}

TEST(BackgroundLoadEngineTest, SaysWhichVehicleItRefusedAndTakesNothingAfter) {
  std::ostringstream out;
  BackgroundLoadEngine engine(midSpanAndShear(), out);
  std::vector<RecordValues> records = busyDays();
  records[5000].speed = 0;
  bool refused = false;
  for (const RecordValues& record : records) {
    refused = refused || !engine.add(record);
  }
  EXPECT_FALSE(engine.finish(3));
  EXPECT_NE(engine.refusal().find("the vehicle of lane " + std::to_string(records[5000].lane) +
                                  " at " + records[5000].timeText() + ": its speed is 0 dm/s"),
            std::string::npos)
      << engine.refusal();
  EXPECT_TRUE(refused);                      // later adds were turned away
  EXPECT_EQ(linesOf(out.str()).size(), 1u);  // the header: vehicle 5000 is on the first day
}

}  // namespace

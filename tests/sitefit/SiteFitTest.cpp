// Site tables from vehicle records: the mixture fit on its own, the round trip from the
// bundled sites (two lanes and four) through a long run, velmora-fit and a run from the
// fitted tables that velmora-stats finds in line with the known site, and records that
// cannot make a site.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "record/RecordStream.h"
#include "record/Vehicle.h"
#include "run/RunConfig.h"
#include "run/SiteLoading.h"
#include "sitefit/MixtureFit.h"
#include "support/ProgramRun.h"
#include "support/TestFolder.h"
#include "support/TextLines.h"
#include "traffic/DrawnQuantity.h"

namespace {

NormalMixture mixtureOf(const std::vector<NormalComponent>& components) {
  NormalMixture mixture;
  for (std::size_t c = 0; c < components.size(); ++c) {
    mixture.components[c] = components[c];
  }
  return mixture;
}

// The largest gap between the two distribution functions over [low, high].
double distance(const NormalMixture& a, const NormalMixture& b, double low, double high) {
  double largest = 0.0;
  for (double x = low; x <= high; x += (high - low) / 2000) {
    largest = std::max(largest, std::fabs(mixtureCdf(a, x) - mixtureCdf(b, x)));
  }
  return largest;
}

// n draws of mixture, rounded to whole units as records hold them.
ValueTally drawn(const NormalMixture& mixture, int n, unsigned seed) {
  std::mt19937 engine(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::normal_distribution<double> normal(0.0, 1.0);
  ValueTally tally;
  for (int i = 0; i < n; ++i) {
    double u = unit(engine);
    const NormalComponent& c = u < mixture.components[0].weight ? mixture.components[0]
                               : u < mixture.components[0].weight + mixture.components[1].weight
                                   ? mixture.components[1]
                                   : mixture.components[2];
    tally.add(std::llround(c.mean + c.stdDev * normal(engine)));
  }
  return tally;
}

TEST(MixtureFitTest, RecoversAKnownMixtureTheSameWayEveryTime) {
  NormalMixture known = mixtureOf({{0.3, 70, 12}, {0.5, 140, 25}, {0.2, 230, 30}});
  ValueTally tally = drawn(known, 20000, 3);
  MixtureFitResult fit = fitNormalMixture(tally);
  EXPECT_FALSE(fit.simplified);
  EXPECT_LT(distance(fit.mixture, known, 0, 400), 0.01);
  MixtureFitResult again = fitNormalMixture(tally);
  for (int c = 0; c < 3; ++c) {
    EXPECT_EQ(again.mixture.components[c].mean, fit.mixture.components[c].mean);
    EXPECT_EQ(again.mixture.components[c].weight, fit.mixture.components[c].weight);
  }
  EXPECT_LT(fit.mixture.components[0].mean, fit.mixture.components[1].mean);
  EXPECT_LT(fit.mixture.components[1].mean, fit.mixture.components[2].mean);
}

// scikit-learn's EM from eight starts finds no better mixture than ours, and the same one.
TEST(MixtureFitTest, AgreesWithScikitLearn) {
  TestFolder folder;
  for (const NormalMixture& known : {mixtureOf({{0.3, 70, 12}, {0.5, 140, 25}, {0.2, 230, 30}}),
                                     mixtureOf({{0.6, 230, 10}, {0.3, 245, 15}, {0.1, 300, 40}})}) {
    ValueTally tally = drawn(known, 5000, 11);
    std::string values;
    for (const auto& [value, count] : tally.distinct()) {
      for (long long i = 0; i < count; ++i) {
        values += std::to_string(value) + "\n";
      }
    }
    folder.write("values.txt", values);
    ProgramRun sklearn = runCommand("/usr/bin/python3 " VELMORA_SOURCE_DIR
                                    "/tests/sitefit/sklearn_mixture.py values.txt");
    ASSERT_EQ(sklearn.status, 0) << sklearn.errors;
    std::istringstream in(sklearn.console);
    double theirScore = 0.0;
    in >> theirScore;
    NormalMixture theirs;
    for (NormalComponent& c : theirs.components) {
      in >> c.weight >> c.mean >> c.stdDev;
    }
    MixtureFitResult ours = fitNormalMixture(tally);
    EXPECT_GE(ours.logLikelihood / static_cast<double>(tally.size()), theirScore - 1e-6);
    EXPECT_LT(distance(ours.mixture, theirs, 0, 500), 0.002);
  }
}

TEST(MixtureFitTest, GivesOneNormalForFewValues) {
  ValueTally tally;
  for (int value : {10, 12, 14, 16, 18}) {
    tally.add(value);
  }
  MixtureFitResult fit = fitNormalMixture(tally);
  EXPECT_TRUE(fit.simplified);
  EXPECT_EQ(fit.mixture.components[0].weight, 1.0);
  EXPECT_EQ(fit.mixture.components[1].weight, 0.0);
  EXPECT_DOUBLE_EQ(fit.mixture.components[0].mean, 14.0);
  EXPECT_DOUBLE_EQ(fit.mixture.components[0].stdDev, std::sqrt(8.0));
  ValueTally single;
  single.add(40);
  EXPECT_EQ(fitNormalMixture(single).mixture.components[0].stdDev, mixture_fit::minimumStdDev);
}

// A run folder of the sample's site `code` with `lanes` lanes a direction under free flow.
std::string parameters(int days, int code, int lanes) {
  return "TrafOut.txt\n50\n" + std::to_string(days) + "\n" + std::to_string(code) + "\n" +
         std::to_string(code) + "\n2000\n" + std::to_string(lanes) + "\n" + std::to_string(lanes) +
         "\n5\n30\n0.05\n6\n0.8\n";
}

// Reads and checks the site of folder as a run would.
TrafficData siteOf(const std::string& folder) {
  RunConfig config;
  std::string error;
  EXPECT_TRUE(config.readFile(folder + "/VLMin.txt", &error)) << error;
  CheckedSite site;
  EXPECT_TRUE(loadCheckedSiteData(config, folder, &site, &error)) << error;
  return site.data;
}

class SiteFitRoundTripTest : public ::testing::TestWithParam<std::pair<int, int>> {
 protected:
  TestFolder folder;
};

// A long run of a known site, fitted, gives its tables back within sampling noise, and a
// run from the fitted tables is in line with the known site by velmora-stats.
TEST_P(SiteFitRoundTripTest, GivesBackTheKnownSite) {
  auto [code, lanes] = GetParam();
  std::string siteFolder = code == 1 ? "Angers" : "Auxerre";
  folder.copyFrom(VELMORA_SAMPLE_DIR);
  folder.write("VLMin.txt", parameters(20, code, lanes));
  ASSERT_EQ(runCommand(std::string(VELMORA_PROGRAM) + " --seed 3 --format csv").status, 0);
  ProgramRun fit =
      runCommand(std::string(VELMORA_FIT_PROGRAM) + " --days 20 -o fitted TrafOut.txt");
  ASSERT_EQ(fit.status, 0) << fit.errors;
  EXPECT_NE(fit.console.find("over 20 days"), std::string::npos) << fit.console;
  std::string lanesLine = "lanes in direction 1 " + std::to_string(lanes) +
                          ", lanes in direction 2 " + std::to_string(lanes) + ", car fraction ";
  std::size_t at = fit.console.find(lanesLine);
  ASSERT_NE(at, std::string::npos) << fit.console;
  EXPECT_NEAR(std::stod(fit.console.substr(at + lanesLine.size())), 0.8, 0.003);

  folder.write("refit/VLMin.txt", parameters(4, code, lanes));
  for (const char* file : {"FlowR.csv", "Class%.csv", "GVWpdf.csv", "ASall.csv", "AW2&3.csv",
                           "AW4&5.csv", "HV6to9.csv"}) {
    std::string fitted = folder.read(std::string("fitted/") + file);
    EXPECT_EQ(fitted.empty(), code == 2 && std::string(file) == "HV6to9.csv") << file;
    if (!fitted.empty()) {
      folder.write("refit/Traffic/" + siteFolder + "/" + file, fitted);
    }
  }
  TrafficData known = siteOf(folder.path());
  TrafficData fitted = siteOf(folder.path() + "/refit");
  for (int lane = 0; lane < 2 * lanes; ++lane) {
    for (int c = 0; c < truckClassCount; ++c) {
      EXPECT_NEAR(fitted.getClassShares(lane)[c], known.getClassShares(lane)[c], 1.5)
          << "lane " << lane << " class " << c;
    }
    for (int hour = 0; hour < 24; ++hour) {
      double want = known.laneFlows(lane)[hour];
      EXPECT_NEAR(fitted.laneFlows(lane)[hour], want, 4 + 0.06 * want) << lane << " " << hour;
    }
  }
  for (int direction = 1; direction <= 2; ++direction) {
    EXPECT_LT(distance(fitted.getSpeedMixture(direction), known.getSpeedMixture(direction), 0, 500),
              0.01);
    for (int axles = 2; axles <= (code == 1 ? 6 : 5); ++axles) {
      const AcceptedRange& range = grossWeightRangeOf(axles);
      EXPECT_LT(distance(fitted.getGrossWeightMixture(direction, axles),
                         known.getGrossWeightMixture(direction, axles), range.low, range.high),
                0.03)
          << direction << " " << axles;
    }
  }
  ProgramRun refit = runCommand("cd refit && " + std::string(VELMORA_PROGRAM) + " --seed 6");
  ASSERT_EQ(refit.status, 0) << refit.errors;
  ProgramRun stats = runCommand(std::string(VELMORA_STATS_PROGRAM) + " --site . refit/TrafOut.txt");
  ASSERT_EQ(stats.status, 0) << stats.errors;
  std::string comparison = stats.console.substr(stats.console.find("Site comparison"));
  EXPECT_EQ(std::count(comparison.begin(), comparison.end(), '*'), 1) << comparison;  // the key
  std::string flows = stats.console.substr(0, stats.console.find("Site comparison"));
  EXPECT_LE(std::count(flows.begin(), flows.end(), '*'), 1) << flows;  // of 24 x lanes hours
}

INSTANTIATE_TEST_SUITE_P(BundledSites, SiteFitRoundTripTest,
                         ::testing::Values(std::make_pair(2, 1), std::make_pair(1, 2)));

// The share of headways between consecutive vehicles of a lane at or below each of seconds,
// in the stream at path, and the number of records.
std::vector<double> headwayShares(const std::string& path, const std::vector<double>& seconds,
                                  long long* records) {
  std::ifstream in(path);
  RecordStream stream(in);
  RecordValues record;
  std::string why;
  std::map<int, std::int64_t> last;
  std::vector<double> shares(seconds.size(), 0.0);
  long long pairs = 0;
  *records = 0;
  while (stream.next(&record, &why) == RecordStream::Outcome::record) {
    ++*records;
    auto leader = last.find(record.lane);
    if (leader != last.end()) {
      ++pairs;
      for (std::size_t i = 0; i < seconds.size(); ++i) {
        shares[i] += (record.stampHundredths() - leader->second) <= seconds[i] * 100;
      }
    }
    last[record.lane] = record.stampHundredths();
  }
  for (double& share : shares) {
    share /= static_cast<double>(pairs);
  }
  return shares;
}

// Traffic model 0 draws headways from the table: one fitted to a run of the sample's table
// gives runs with the same headways (but for the shortest, which the minimum headways
// thin out) and the same number of vehicles.
TEST(SiteFitHeadwayTableTest, GivesBackTheHeadwaysOfTheTableModel) {
  TestFolder folder;
  folder.copyFrom(VELMORA_SAMPLE_DIR);
  folder.write("VLMin.txt", "TrafOut.txt\n50\n6\n2\n2\n2000\n1\n1\n5\n30\n0.05\n0\n0.8\n");
  ASSERT_EQ(runCommand(std::string(VELMORA_PROGRAM) + " --seed 5 --format csv").status, 0);
  ProgramRun fit = runCommand(std::string(VELMORA_FIT_PROGRAM) +
                              " --days 6 --headway-table -o fitted TrafOut.txt");
  ASSERT_EQ(fit.status, 0) << fit.errors;
  EXPECT_NE(fit.console.find("car fraction 0\n"), std::string::npos) << fit.console;
  for (const char* file : {"FlowR.csv", "Class%.csv", "GVWpdf.csv", "ASall.csv", "AW2&3.csv",
                           "AW4&5.csv", "NHM.csv"}) {
    folder.write(std::string("refit/Traffic/Auxerre/") + file,
                 folder.read(std::string("fitted/") + file));
  }
  folder.write("refit/VLMin.txt", "TrafOut.txt\n50\n6\n2\n2\n2000\n1\n1\n5\n30\n0.05\n0\n0\n");
  ASSERT_EQ(
      runCommand("cd refit && " + std::string(VELMORA_PROGRAM) + " --seed 6 --format csv").status,
      0);
  const std::vector<double> seconds = {1.5, 2, 3, 4, 6, 10, 30};
  long long knownRecords = 0;
  long long refitRecords = 0;
  std::vector<double> known = headwayShares(folder.path() + "/TrafOut.txt", seconds, &knownRecords);
  std::vector<double> refit =
      headwayShares(folder.path() + "/refit/TrafOut.txt", seconds, &refitRecords);
  for (std::size_t i = 0; i < seconds.size(); ++i) {
    EXPECT_NEAR(refit[i], known[i], 0.025) << seconds[i] << " s";
  }
  EXPECT_NEAR(static_cast<double>(refitRecords), static_cast<double>(knownRecords),
              0.02 * static_cast<double>(knownRecords));
}

// A CSV record at t seconds: lane, direction, speed (dm/s), axle weights and spacings.
std::string csvRecord(long long t, int lane, int direction, int speed,
                      const std::vector<int>& weights, const std::vector<int>& spacings) {
  long long day = t / 86400;
  long long clock = t % 86400;
  int gross = 0;
  int length = 0;
  for (int weight : weights) {
    gross += weight;
  }
  for (int spacing : spacings) {
    length += spacing;
  }
  std::ostringstream line;
  line << t << ',' << day % 25 + 1 << ',' << day / 25 % 10 + 1 << ',' << 5 + day / 250 << ','
       << clock / 3600 << ',' << clock / 60 % 60 << ',' << clock % 60 << ",0," << speed << ','
       << gross << ',' << length << ',' << weights.size() << ',' << direction << ',' << lane
       << ",18";
  for (std::size_t axle = 0; axle < 9; ++axle) {
    line << ',' << (axle < weights.size() ? weights[axle] : 0);
    if (axle < 8) {
      line << ',' << (axle < spacings.size() ? spacings[axle] : 0);
    }
  }
  return line.str() + "\n";
}

class SiteFitRecordsTest : public ::testing::Test {
 protected:
  // velmora-fit on the records, after the CSV header.
  ProgramRun fit(const std::string& records, const std::string& options = "") {
    folder.write("records.csv", Vehicle::csvHeader() + "\n" + records);
    return runCommand(std::string(VELMORA_FIT_PROGRAM) + options + " -o site records.csv");
  }

  TestFolder folder;
};

TEST_F(SiteFitRecordsTest, CountsWhatItLeavesOutAndWarnsAboutThinTables) {
  std::string records;
  for (int i = 0; i < 100; ++i) {
    records += i % 20 == 0
                   ? csvRecord(100 + 800 * i, 1, 1, 230, {40 + i % 9, 50, 50}, {45, 13})
                   : csvRecord(100 + 800 * i, 1, 1, 230 + i % 7, {40 + i % 9, 60 + i % 11}, {45});
    records += csvRecord(150 + 800 * i, 2, 2, 220 + i % 5, {10, 10}, {40});  // a car
  }
  records += "not a record\n";
  records += csvRecord(90000, 1, 1, 240, {300}, {});
  records += csvRecord(90100, 2, 2, 240, {600, 600}, {50});
  records += csvRecord(172900, 1, 1, 240, {50, 50}, {50});  // on a day that is not whole
  ProgramRun run = fit(records);
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_NE(run.console.find("Fitted 200 records over 2 days: 100 cars, 100 trucks"),
            std::string::npos)
      << run.console;
  EXPECT_NE(run.console.find("Left out 1 line not in the CSV record form (the first is line "
                             "202)"),
            std::string::npos)
      << run.console;
  EXPECT_NE(run.console.find("Left out 1 record with trucks of other than 2 to 9 axles (the "
                             "first is line 203)"),
            std::string::npos);
  EXPECT_NE(run.console.find("Left out 1 record with truck gross weights outside [35, 800] (2 "
                             "to 5 axles) (the first is line 204)"),
            std::string::npos);
  EXPECT_NE(run.console.find("Left out 1 record after the 2 days (the first is line 205)"),
            std::string::npos);
  for (const char* warning :
       {"warning: no 4-axle trucks: their tables are placeholders, never drawn from while their "
        "share is 0",
        "warning: lane 2 has no trucks: its class shares are 25 % each of 2 to 5 axles",
        "warning: spacing 2 of 3-axle trucks: only 5 values, fitted with one normal instead of "
        "three",
        "warning: the gross weight of 2-axle trucks in direction 2: no trucks, those of "
        "direction 1 taken"}) {
    EXPECT_NE(run.errors.find(warning), std::string::npos) << warning << "\n" << run.errors;
  }
  EXPECT_EQ(folder.read("site/Class%.csv"), "95,25,60\n5,25,15\n0,25,12.5\n0,25,12.5\n");
  EXPECT_EQ(linesOf(folder.read("site/FlowR.csv")).size(), 24u);
  EXPECT_EQ(linesOf(folder.read("site/AW4&5.csv")).size(), 25u);
}

TEST_F(SiteFitRecordsTest, RefusesRecordsThatMakeNoSite) {
  struct Case {
    std::string records;
    std::string options;
    std::string error;
  };
  for (const Case& c : std::vector<Case>{
           {csvRecord(10, 1, 2, 230, {50, 50}, {40}) + csvRecord(90000, 2, 1, 230, {50, 50}, {40}),
            " --days 2",
            "error: lane 2 is in direction 1 after lanes of direction 2; accepted: the lanes of "
            "direction 1 numbered first"},
           {csvRecord(10, 2, 1, 230, {50, 50}, {40}), " --days 1",
            "error: lane 1 has no records; accepted: records of every lane from 1 to the highest"},
           {csvRecord(10, 1, 1, 230, {10, 10}, {40}), " --days 1",
            "error: the records hold no trucks; their gross weights run from 20 to 20 in the unit "
            "site; accepted: trucks of 2 to 9 axles weighing [35, 800] (2 to 5 axles) or [35, "
            "2000] (6 to 9 axles) site weight units"},
           {csvRecord(10, 1, 1, 230, {4000, 6000}, {40}) +
                csvRecord(20, 1, 1, 230, {1200, 1400}, {40}),
            " --days 1",
            "error: the records hold no trucks; their gross weights run from 2600 to 10000 in the "
            "unit site, most above 2000: if they are in kg, give --weight-unit kg; accepted: "
            "trucks of 2 to 9 axles weighing [35, 800] (2 to 5 axles) or [35, 2000] (6 to 9 "
            "axles) site weight units"},
           {csvRecord(10, 1, 1, 230, {50, 50}, {40}), "",
            "error: the records of \"records.csv\" do not reach a second day, so no whole day is "
            "known; give --days N"},
           {"", " --days 0", "error: --days is \"0\"; accepted: a whole number from 1 to 1000000"},
       }) {
    ProgramRun run = fit(c.records, c.options);
    EXPECT_EQ(run.status, 2) << c.error;
    EXPECT_EQ(linesOf(run.errors).front(), c.error);
    EXPECT_TRUE(folder.read("site/FlowR.csv").empty()) << c.error;
  }
}

}  // namespace

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <regex>
#include <sstream>

#include "random/RandomGenerator.h"
#include "record/RecordReader.h"
#include "record/RecordValues.h"
#include "run/Run.h"
#include "run/RunConfig.h"
#include "support/ProgramRun.h"
#include "support/TestFolder.h"

namespace {

// The program's run with a parameter set of its own, as main gives it the global one.
int runWithOwnParameters() {
  RunConfig config;
  return runProgram(config);
}

// The 13 values of a "VLMin.txt", defaults as the program has them.
struct Parameters {
  std::string outputFile = "TrafOut.txt";
  int days = 2;
  int vehicleSite = 2;
  int flowSite = 2;
  int bufferSize = 2000;
  int lanesDir1 = 1;
  int lanesDir2 = 1;
  int trafficModel = 6;
  double carFraction = 0.8;

  std::string text() const {
    std::ostringstream out;
    out << "// test run\n"
        << outputFile << "\n50.0\n"
        << days << "\n"
        << vehicleSite << "\n"
        << flowSite << "\n"
        << bufferSize << "\n"
        << lanesDir1 << "\n"
        << lanesDir2 << "\n5.0\n30\n0.05\n"
        << trafficModel << "\n"
        << carFraction << "\n";
    return out.str();
  }
};

RecordValues parse(const std::string& line) {
  RecordValues record;
  std::string why;
  EXPECT_TRUE(readFixedRecord(line, &record, &why)) << line << ": " << why;
  return record;
}

// Seconds from the start of the first day.
double timeOf(const RecordValues& record) {
  return static_cast<double>(record.stampHundredths()) * 0.01;
}

const char* const banner =
    "--------------------------------------------\n"
    "     Velmora - Tarnwell\t \n"
    "--------------------------------------------\n"
    "\n";

class RunTest : public ::testing::Test {
 protected:
  void SetUp() override { folder.copyFrom(VELMORA_SAMPLE_DIR); }

  // Runs the whole program in this folder after seeding the stream; returns its console text.
  std::string run(const Parameters& parameters, std::uint32_t seed = 2026u) {
    folder.write("VLMin.txt", parameters.text());
    if (throughProgram) {
      ProgramRun program =
          runCommand(std::string(VELMORA_PROGRAM) + " --seed " + std::to_string(seed));
      EXPECT_EQ(program.status, 0) << program.errors;
      return program.console;
    }
    RandomGenerator::seedWithWord(seed);
    RandomGenerator::clearNormalCache();
    testing::internal::CaptureStdout();
    EXPECT_EQ(runWithOwnParameters(), 0);
    return testing::internal::GetCapturedStdout();
  }
  std::vector<std::string> outputLines(const std::string& name = "TrafOut.txt") const {
    std::vector<std::string> lines;
    std::istringstream in(folder.read(name));
    for (std::string line; std::getline(in, line);) {
      lines.push_back(line);
    }
    return lines;
  }
  // Checks time order and the end rule for a run of `days`; returns the parsed records.
  std::vector<RecordValues> checkedRecords(int days) const {
    std::vector<RecordValues> records;
    for (const std::string& line : outputLines()) {
      EXPECT_GE(line.size(), 77u);  // a spacing of 10 m or more pushes the line wider
      records.push_back(parse(line));
    }
    double end = days * 86400.0;
    for (std::size_t i = 0; i < records.size(); ++i) {
      if (i > 0) {
        EXPECT_GE(timeOf(records[i]), timeOf(records[i - 1]) - 1e-9) << i;
      }
      if (i + 1 < records.size()) {
        EXPECT_LT(timeOf(records[i]), end - 1e-9) << i;
      }
    }
    if (!records.empty()) {
      EXPECT_GE(timeOf(records.back()), end - 1e-9);
    }
    return records;
  }

  TestFolder folder;
  bool throughProgram = false;  // run the built program instead of runProgram in process
  // Compares seeded runs under every headway model with the stored goldens.
  void checkGoldens();
};

TEST_F(RunTest, ConsoleShowsBannerBlocksAndCompletion) {
  Parameters parameters;
  parameters.days = 1;
  parameters.bufferSize = 5000;
  std::string console = run(parameters);
  ASSERT_EQ(console.rfind(banner, 0), 0u);
  std::istringstream lines(console.substr(std::string(banner).size()));
  std::regex progress("Flushing buffer of ([0-9]+) vehicles at ([0-9]+)/1/5 [0-9]+:[0-9]+:[0-9]+");
  std::vector<std::string> rest;
  for (std::string line; std::getline(lines, line);) {
    rest.push_back(line);
  }
  ASSERT_GE(rest.size(), 2u);
  EXPECT_EQ(rest.back(), "Generation complete");
  std::size_t written = 0;
  for (std::size_t i = 0; i + 1 < rest.size(); ++i) {
    std::smatch match;
    ASSERT_TRUE(std::regex_match(rest[i], match, progress)) << rest[i];
    std::size_t block = std::stoul(match[1]);
    written += block;
    EXPECT_EQ(block == 5000u, i + 2 < rest.size());  // only the last block is partial
  }
  EXPECT_EQ(rest[rest.size() - 2].substr(rest[rest.size() - 2].find(" at ") + 4, 6), "2/1/5 ");
  EXPECT_EQ(written, outputLines().size());
}

TEST_F(RunTest, MissingParameterFileRunsDefaults) {
  TestFolder bare;
  bare.copyFrom(VELMORA_SAMPLE_DIR);
  std::remove("VLMin.txt");
  RandomGenerator::seedWithWord(1u);
  testing::internal::CaptureStdout();
  runWithOwnParameters();
  std::string console = testing::internal::GetCapturedStdout();
  EXPECT_EQ(console.rfind(
                std::string(banner) + "VLMin file could not be opened\nUsing default values\n", 0),
            0u);
  std::vector<RecordValues> records;
  std::istringstream in(bare.read("TrafOut.txt"));
  for (std::string line; std::getline(in, line);) {
    records.push_back(parse(line));
  }
  ASSERT_FALSE(records.empty());
  EXPECT_GE(timeOf(records.back()), 2 * 86400.0);
}

TEST_F(RunTest, LanesAreNumberedDirectionOneFirst) {
  const std::pair<int, int> splits[] = {{2, 2}, {1, 2}, {0, 3}, {3, 0}};
  for (auto [dir1, dir2] : splits) {
    Parameters parameters;
    parameters.days = 1;
    parameters.vehicleSite = 1;
    parameters.flowSite = 1;
    parameters.lanesDir1 = dir1;
    parameters.lanesDir2 = dir2;
    run(parameters);
    std::vector<int> perLane(5, 0);
    for (const RecordValues& record : checkedRecords(1)) {
      ASSERT_GE(record.lane, 1);
      ASSERT_LE(record.lane, dir1 + dir2);
      ASSERT_EQ(record.direction, record.lane <= dir1 ? 1 : 2) << dir1 << "," << dir2;
      ++perLane[static_cast<std::size_t>(record.lane)];
    }
    for (int lane = 1; lane <= dir1 + dir2; ++lane) {
      EXPECT_GT(perLane[static_cast<std::size_t>(lane)], 100) << lane;
    }
  }
}

TEST_F(RunTest, EveryHeadwayModelGivesATimeOrderedStream) {
  for (int model : {0, 5, 6, 7}) {
    Parameters parameters;
    parameters.days = 1;
    parameters.trafficModel = model;
    parameters.carFraction = model == 5 ? 1.0 : 0.5;
    run(parameters);
    std::vector<RecordValues> records = checkedRecords(1);
    EXPECT_GT(records.size(), 1000u) << model;
    bool anyCar = false;
    for (const RecordValues& record : records) {
      anyCar = anyCar || record.axleCount == 2;
    }
    EXPECT_TRUE(anyCar);
  }
}

TEST_F(RunTest, ZeroDaysWritesNoRecord) {
  Parameters parameters;
  parameters.days = 0;
  std::string console = run(parameters);
  EXPECT_EQ(console, std::string(banner) + "Generation complete\n");
  EXPECT_TRUE(outputLines().empty());
}

TEST_F(RunTest, VehicleAndFlowTablesMayComeFromDifferentSites) {
  Parameters parameters;
  parameters.days = 1;
  parameters.vehicleSite = 2;  // Auxerre: two lanes of class shares
  parameters.flowSite = 1;     // Angers: flows of four lanes, the first two used
  run(parameters);
  std::vector<RecordValues> records = checkedRecords(1);
  EXPECT_GT(records.size(), 10000u);
}

std::uint64_t fnv1a(const std::string& text) {
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char c : text) {
    hash = (hash ^ c) * 1099511628211ull;
  }
  return hash;
}

// Pins the whole output of small seeded runs under each headway model: the first records,
// the number of records and their hash, and every console line.
TEST_F(RunTest, GoldenOutputOfSeededRuns) {
  for (bool program : {false, true}) {
    throughProgram = program;
    checkGoldens();
  }
}

void RunTest::checkGoldens() {
  struct Golden {
    int trafficModel;
    double carFraction;
    const char* file;
  };
  const Golden goldens[] = {{6, 0.8, "auxerre-day-seed-12345.txt"},
                            {0, 0.5, "auxerre-table-day-seed-12345.txt"},
                            {5, 0.9, "auxerre-congested-day-seed-12345.txt"}};
  for (const Golden& golden : goldens) {
    Parameters parameters;
    parameters.days = 1;
    parameters.trafficModel = golden.trafficModel;
    parameters.carFraction = golden.carFraction;
    std::string console = run(parameters, 12345u);
    std::string output = folder.read("TrafOut.txt");
    std::vector<std::string> lines = outputLines();
    std::ostringstream summary;
    summary << "records " << lines.size() << "\nfnv1a " << std::hex << fnv1a(output) << std::dec
            << "\n";
    for (std::size_t i = 0; i < 40 && i < lines.size(); ++i) {
      summary << lines[i] << "\n";
    }
    summary << lines.back() << "\n" << console;
    std::string goldenPath = std::string(VELMORA_GOLDEN_DIR) + "/" + golden.file;
    if (std::getenv("VELMORA_UPDATE_GOLDEN") != nullptr) {
      std::ofstream(goldenPath, std::ios::binary) << summary.str();
    }
    std::ifstream stored(goldenPath, std::ios::binary);
    std::ostringstream expected;
    expected << stored.rdbuf();
    EXPECT_EQ(summary.str(), expected.str())
        << golden.file << (throughProgram ? " through the program" : " in process");
  }
}

}  // namespace

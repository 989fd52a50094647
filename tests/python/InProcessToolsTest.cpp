// The in-process work behind the Python module against the programs on the same seed: a
// session's chunks are velmora's CSV records, and the load effects and fits are the bytes of
// velmora --maxima, velmora-load and velmora-extremes --csv. Also run under the sanitizers.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "options/LoadOptions.h"
#include "python/GenerationSession.h"
#include "python/InProcessTools.h"
#include "record/RecordValues.h"
#include "run/CommandLine.h"
#include "support/ProgramRun.h"
#include "support/SampleFolderTest.h"
#include "support/TextLines.h"

namespace {

// The records of a session, chunk after chunk.
struct Records {
  std::vector<double> times;
  std::vector<std::int64_t> fields;
  std::size_t count() const { return times.size(); }
};

// A stop request that comes due at its first question, and says how often it was asked.
StopRequest stopAtOnce(int* asked) {
  return StopRequest([asked] { return ++*asked >= 1; });
}

class InProcessToolsTest : public SampleFolderTest {
 protected:
  void SetUp() override {
    SampleFolderTest::SetUp();
    std::vector<std::string> values = defaultValues();  // two lanes of Auxerre for one day
    values[2] = "2";
    writeParameters(values);
  }

  // velmora's options read as the program reads them, for a run of the working folder.
  static CommandLine commandLine(const std::vector<GivenOption>& options) {
    CommandLine line;
    std::string error;
    for (const GivenOption& option : options) {
      EXPECT_TRUE(takeCommandLineOption(option, &line, &error)) << error;
    }
    line.options.writeRecords = false;
    line.options.console = false;
    return line;
  }

  static Records generate(std::uint32_t seed, std::size_t chunk) {
    GenerationSession session;
    std::string error;
    EXPECT_TRUE(session.open(seed, commandLine({}).options, &error)) << error;
    Records records;
    while (!session.finished()) {
      EXPECT_TRUE(session.nextChunk(chunk, &records.times, &records.fields, {}, &error)) << error;
    }
    return records;
  }

  // The records as velmora's CSV lines.
  static std::vector<std::string> csvLines(const Records& records) {
    std::vector<std::string> lines;
    for (std::size_t row = 0; row < records.count(); ++row) {
      char stamp[32];
      std::snprintf(stamp, sizeof stamp, "%.2f", records.times[row]);
      std::string line = stamp;
      for (int field = 0; field < record_fields::count; ++field) {
        line += "," + std::to_string(records.fields[row * record_fields::count + field]);
      }
      lines.push_back(line);
    }
    return lines;
  }

  static std::string program(const char* path, const std::string& arguments) {
    ProgramRun run = runCommand(std::string(path) + arguments);
    EXPECT_EQ(run.status, 0) << run.errors;
    return run.errors;
  }
};

TEST_F(InProcessToolsTest, ASessionInChunksGivesVelmorasRecordsWhateverDrawsInBetween) {
  program(VELMORA_PROGRAM, " --seed 31 --format csv");
  std::vector<std::string> written = linesOf(folder.read("TrafOut.txt"));
  written.erase(written.begin());  // the header
  Records whole = generate(31, 1000000);
  ASSERT_GT(whole.count(), 70000u);
  EXPECT_EQ(csvLines(whole), written);

  // Two sessions taken in turns, with other draws (one leaving a normal value cached)
  // between their chunks.
  GenerationSession first;
  GenerationSession second;
  std::string error;
  ASSERT_TRUE(first.open(31, commandLine({}).options, &error)) << error;
  ASSERT_TRUE(second.open(31, commandLine({}).options, &error)) << error;
  Records fromFirst;
  Records fromSecond;
  while (!first.finished() || !second.finished()) {
    ASSERT_TRUE(first.nextChunk(7000, &fromFirst.times, &fromFirst.fields, {}, &error));
    RandomGenerator other;
    other.standardNormal();
    RandomGenerator::nextWord();
    ASSERT_TRUE(second.nextChunk(3001, &fromSecond.times, &fromSecond.fields, {}, &error));
  }
  EXPECT_EQ(fromFirst.fields, whole.fields);
  EXPECT_EQ(fromSecond.times, whole.times);
}

TEST_F(InProcessToolsTest, AStoppedChunkEndsAtTheStopAndTheSessionGoesOnFromThere) {
  Records whole = generate(8, 1000000);
  GenerationSession session;
  std::string error;
  ASSERT_TRUE(session.open(8, commandLine({}).options, &error)) << error;
  Records records;
  int asked = 0;
  EXPECT_FALSE(
      session.nextChunk(1000000, &records.times, &records.fields, stopAtOnce(&asked), &error));
  EXPECT_EQ(error, StopRequest::message);
  EXPECT_EQ(asked, 1);
  EXPECT_EQ(records.count(), 65535u);  // the question is put at the 65,536th vehicle
  EXPECT_FALSE(session.finished());
  while (!session.finished()) {
    ASSERT_TRUE(session.nextChunk(1000000, &records.times, &records.fields, {}, &error)) << error;
  }
  EXPECT_EQ(records.fields, whole.fields);
}

TEST_F(InProcessToolsTest, LoadEffectsOfARunAreVelmorasFilesByteForByte) {
  const std::string effects = " --effect moment:30 --effect shear:12 --kn-per-unit 0.981";
  program(VELMORA_PROGRAM,
          " --seed 17 --no-records" + effects + " --maxima maxima.csv --event-maxima events.csv");
  CommandLine line = commandLine({{"--seed", "17"},
                                  {"--effect", "moment:30"},
                                  {"--effect", "shear:12"},
                                  {"--kn-per-unit", "0.981"}});
  LoadTables tables;
  tables.events = true;
  LoadEffectTexts texts;
  std::string error;
  ASSERT_EQ(runLoadEffects(line.seed, line.options, tables, &texts, &error), ToolOutcome::done)
      << error;
  EXPECT_EQ(texts.maxima, folder.read("maxima.csv"));
  EXPECT_EQ(texts.events, folder.read("events.csv"));
  EXPECT_EQ(texts.spectra, "");

  int asked = 0;
  line.options.stop = stopAtOnce(&asked);
  EXPECT_EQ(runLoadEffects(line.seed, line.options, tables, &texts, &error), ToolOutcome::failed);
  EXPECT_EQ(error, StopRequest::message);
  line.options.stop = {};
  line.options.load.effects.clear();
  EXPECT_EQ(runLoadEffects(line.seed, line.options, tables, &texts, &error), ToolOutcome::refused);
  EXPECT_EQ(error, "no effect is given; accepted: at least one, such as \"moment:30\"");
}

TEST_F(InProcessToolsTest, LoadEffectsOfRecordsAreVelmoraLoadsAndTheirFitsVelmoraExtremes) {
  program(VELMORA_PROGRAM, " --seed 5 --format csv");
  program(VELMORA_LOAD_PROGRAM, " --effect hogging:20 -o maxima.csv TrafOut.txt");
  Records records = generate(5, 1000000);
  LoadSettings settings;
  std::string error;
  ASSERT_TRUE(load_options::takeOption("--effect", "hogging:20", &settings, &error)) << error;
  LoadEffectTexts texts;
  ASSERT_EQ(recordLoadEffects(records.fields.data(), records.count(), "records", 0, settings, {},
                              {}, &texts, &error),
            ToolOutcome::done)
      << error;
  EXPECT_EQ(texts.maxima, folder.read("maxima.csv"));

  std::vector<std::int64_t> bad(records.fields.begin(),
                                records.fields.begin() + 2 * record_fields::count);
  bad[record_fields::count + 12] = 0;  // the second record's lane
  EXPECT_EQ(recordLoadEffects(bad.data(), 2, "records", 0, settings, {}, {}, &texts, &error),
            ToolOutcome::refused);
  EXPECT_EQ(error, "records row 2 is not a vehicle record: lane 0 is outside 1 to 1000000");
  int asked = 0;
  EXPECT_EQ(recordLoadEffects(records.fields.data(), records.count(), "records", 0, settings, {},
                              stopAtOnce(&asked), &texts, &error),
            ToolOutcome::refused);
  EXPECT_EQ(error, StopRequest::message);

  // 30 days of maxima fitted as velmora-extremes fits the file.
  CommandLine line = commandLine({{"--seed", "5"}, {"--effect", "hogging:20"}});
  line.options.days = 30;
  ASSERT_EQ(runLoadEffects(line.seed, line.options, {}, &texts, &error), ToolOutcome::done)
      << error;
  folder.write("month.csv", texts.maxima);
  program(VELMORA_EXTREMES_PROGRAM, " --days-per-year 10 --csv fits.csv month.csv");
  MaximaTexts inputs;
  inputs.maxima = {texts.maxima};
  inputs.maximaNames = {"maxima 1"};
  AnalysisSettings analysis;
  analysis.daysPerYear = 10;
  std::string csv;
  std::vector<std::string> warnings;
  ASSERT_EQ(analyseMaxima(inputs, analysis, &csv, &warnings, &error), ToolOutcome::done) << error;
  EXPECT_EQ(csv, folder.read("fits.csv"));
  EXPECT_EQ(analyseMaxima({}, analysis, &csv, &warnings, &error), ToolOutcome::refused);
  EXPECT_EQ(error, "velmora-extremes needs at least one maxima file");
}

}  // namespace

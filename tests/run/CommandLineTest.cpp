#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "run/CommandLine.h"
#include "support/TestFolder.h"

namespace {

// The command line parsed from arguments; error holds the refusal, if any.
struct Parsed {
  bool accepted;
  CommandLine line;
  std::string error;
};

Parsed parse(const std::vector<std::string>& arguments) {
  Parsed parsed;
  parsed.accepted = parseCommandLine(arguments, &parsed.line, &parsed.error);
  return parsed;
}

TEST(CommandLineTest, ReadsSeedsAndRefusesTheRest) {
  EXPECT_EQ(parse({}).line.action, CommandLine::Action::run);
  EXPECT_FALSE(parse({}).line.seeded);
  Parsed seeded = parse({"--seed", "4294967295"});
  EXPECT_TRUE(seeded.accepted);
  EXPECT_TRUE(seeded.line.seeded);
  EXPECT_EQ(seeded.line.seed, 4294967295u);
  EXPECT_EQ(parse({"--seed", "0"}).line.seed, 0u);
  EXPECT_EQ(parse({"--help"}).line.action, CommandLine::Action::help);
  EXPECT_EQ(parse({"--version"}).line.action, CommandLine::Action::version);
  const char* const accepted = "; accepted: a whole number from 0 to 4294967295";
  EXPECT_EQ(parse({"--seed", "4294967296"}).error,
            std::string("--seed is \"4294967296\"") + accepted);
  EXPECT_EQ(parse({"--seed", "-1"}).error, std::string("--seed is \"-1\"") + accepted);
  EXPECT_FALSE(parse({"--seed", "12a"}).accepted);
  EXPECT_EQ(parse({"--seed"}).error, std::string("--seed needs a value") + accepted);
  EXPECT_EQ(parse({"--fast"}).error, "unknown option \"--fast\"");
  EXPECT_EQ(parse({"--seed=7"}).line.seed, 7u);
  EXPECT_EQ(parse({"--efect", "moment:30"}).error,
            "unknown option \"--efect\"; did you mean --effect?");
  EXPECT_EQ(parse({"--no-records=yes"}).error,
            "--no-records takes no value; found \"--no-records=yes\"");
  EXPECT_EQ(parse({"out.txt"}).error,
            "velmora takes no file names; found \"out.txt\" (it reads VLMin.txt in the "
            "current folder)");
}

TEST(CommandLineTest, ReadsJamsAndPlatoonsWithinTheirRanges) {
  Parsed both = parse({"--jams", "1.5:45", "--platoons", "0.2:3:10"});
  ASSERT_TRUE(both.accepted) << both.error;
  ASSERT_TRUE(both.line.options.patterns.jams.has_value());
  EXPECT_EQ(both.line.options.patterns.jams->perDay, 1.5);
  EXPECT_EQ(both.line.options.patterns.jams->meanMinutes, 45.0);
  ASSERT_TRUE(both.line.options.patterns.platoons.has_value());
  EXPECT_EQ(both.line.options.patterns.platoons->share, 0.2);
  EXPECT_EQ(both.line.options.patterns.platoons->size, 3);
  EXPECT_EQ(both.line.options.patterns.platoons->gapMetres, 10.0);
  EXPECT_EQ(traffic_patterns::arguments(both.line.options.patterns),
            (std::vector<std::string>{"--jams", "1.5:45", "--platoons", "0.2:3:10"}));
  EXPECT_FALSE(parse({}).line.options.patterns.jams.has_value());

  const std::string jams =
      "; accepted: PER_DAY:MEAN_MINUTES, jams a day in each direction above 0 and at most 100, "
      "and their mean length above 0 and at most 1440 minutes";
  for (const char* bad : {"0:60", "1", "1:0", "1:60:2", "101:60", "1:1441", "1:x", "1:"}) {
    EXPECT_EQ(parse({"--jams", bad}).error, std::string("--jams is \"") + bad + "\"" + jams);
  }
  const std::string platoons =
      "; accepted: SHARE:SIZE:GAP_M, the share of trucks in platoons from 0 to 1, 2 to 7 trucks "
      "a platoon and 1 to 25 m from one truck's rear axle to the next one's front axle";
  for (const char* bad : {"1.1:3:10", "0.2:1:10", "0.2:8:10", "0.2:2.5:10", "0.2:3:0.5", "0.2:3:26",
                          "0.2:3", "-0.1:3:10"}) {
    EXPECT_EQ(parse({"--platoons", bad}).error,
              std::string("--platoons is \"") + bad + "\"" + platoons);
  }
  EXPECT_TRUE(parse({"--platoons", "1:7:1"}).accepted);
  EXPECT_TRUE(parse({"--platoons", "0:2:25"}).accepted);
}

// The program itself, run as a user runs it, in a copy of the sample run folder.
class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    folder.copyFrom(VELMORA_SAMPLE_DIR);
    folder.write("VLMin.txt", "out.txt\n50\n1\n2\n2\n2000\n1\n1\n5\n30\n0.05\n6\n0.8\n");
  }
  // Runs velmora with arguments; returns its exit status, keeps output and console.
  int velmora(const std::string& arguments) {
    std::string command =
        std::string(VELMORA_PROGRAM) + " " + arguments + " > console.txt 2> errors.txt";
    int status = std::system(command.c_str());
    console = folder.read("console.txt");
    errors = folder.read("errors.txt");
    return WEXITSTATUS(status);
  }

  TestFolder folder;
  std::string console;
  std::string errors;
};

TEST_F(ProgramTest, SameSeedRepeatsTheRunByteForByte) {
  ASSERT_EQ(velmora("--seed 42"), 0);
  std::string first = folder.read("out.txt");
  std::string firstConsole = console;
  ASSERT_EQ(velmora("--seed 42"), 0);
  EXPECT_EQ(folder.read("out.txt"), first);
  EXPECT_EQ(console, firstConsole);
  ASSERT_EQ(velmora("--seed 43"), 0);
  EXPECT_NE(folder.read("out.txt"), first);
  EXPECT_GT(first.size(), 1000000u);
}

TEST_F(ProgramTest, WithoutArgumentsRunsAsDesigned) {
  ASSERT_EQ(velmora(""), 0);
  const std::string banner =
      "--------------------------------------------\n     Velmora - Tarnwell\t \n"
      "--------------------------------------------\n\n";
  EXPECT_EQ(console.rfind(banner + "Flushing buffer of 2000 vehicles at 1/1/5 ", 0), 0u);
  EXPECT_EQ(console.substr(console.size() - 20), "Generation complete\n");
  EXPECT_EQ(errors, "");
}

TEST_F(ProgramTest, HelpVersionAndRefusedOptions) {
  EXPECT_EQ(velmora("--help"), 0);
  EXPECT_EQ(console.rfind("usage: velmora [--seed N] [--format fixed|csv]\n", 0), 0u);
  EXPECT_EQ(velmora("--version"), 0);
  EXPECT_EQ(console.rfind("velmora ", 0), 0u);
  EXPECT_EQ(velmora("--seeds 1"), 2);
  EXPECT_EQ(errors,
            "error: unknown option \"--seeds\"; did you mean --seed?\n"
            "run velmora --help for the options\n");
  EXPECT_EQ(console, "");
  EXPECT_EQ(velmora("--seed 99999999999"), 2);
  EXPECT_EQ(folder.read("out.txt"), "");  // nothing was run
}

}  // namespace

// The one way every program reads its options: both value forms, flags, operands, and
// refusals that name the option and the nearest known name.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cli/OptionParser.h"
#include "cli/ProgramFrame.h"

namespace {

const std::vector<KnownOption> known = {{"--effect", true},
                                        {"--days", true, "a whole number of days"},
                                        {"--skip-bad-lines", false},
                                        {"-o", true}};

struct Parsed {
  bool accepted;
  CommandArguments arguments;
  std::string error;
};

Parsed parse(const std::vector<std::string>& arguments) {
  Parsed parsed;
  parsed.accepted = parseArguments(arguments, known, &parsed.arguments, &parsed.error);
  return parsed;
}

TEST(OptionParserTest, ReadsBothValueFormsFlagsAndOperandsInOrder) {
  Parsed parsed = parse({"--effect=moment:30", "in.txt", "--effect", "shear:30", "-o", "-",
                         "--skip-bad-lines", "--days=", "-"});
  ASSERT_TRUE(parsed.accepted) << parsed.error;
  const std::vector<GivenOption>& options = parsed.arguments.options;
  ASSERT_EQ(options.size(), 5u);
  EXPECT_EQ(options[0].name, "--effect");
  EXPECT_EQ(options[0].value, "moment:30");
  EXPECT_EQ(options[1].value, "shear:30");
  EXPECT_EQ(options[2].value, "-");  // a value is taken as it stands, even a dash
  EXPECT_EQ(options[3].name, "--skip-bad-lines");
  EXPECT_EQ(options[4].value, "");  // "--days=" gives an empty value for the option to judge
  EXPECT_EQ(parsed.arguments.operands, (std::vector<std::string>{"in.txt", "-"}));
  EXPECT_TRUE(parse({"in.txt", "--version"}).arguments.version);
  EXPECT_TRUE(parse({"-h"}).arguments.help);
}

TEST(OptionParserTest, RefusesWithTheOptionAndTheNearestKnownName) {
  const struct {
    std::vector<std::string> arguments;
    std::string error;
  } cases[] = {
      {{"--efect", "moment:30"}, "unknown option \"--efect\"; did you mean --effect?"},
      {{"--skip-bad-line"}, "unknown option \"--skip-bad-line\"; did you mean --skip-bad-lines?"},
      {{"--colour=red"}, "unknown option \"--colour\""},
      {{"-x"}, "unknown option \"-x\""},
      {{"--days"}, "--days needs a value; accepted: a whole number of days"},
      {{"--effect"}, "--effect needs a value"},
      {{"--skip-bad-lines=yes"}, "--skip-bad-lines takes no value; found \"--skip-bad-lines=yes\""},
  };
  for (const auto& c : cases) {
    Parsed parsed = parse(c.arguments);
    EXPECT_FALSE(parsed.accepted) << c.error;
    EXPECT_EQ(parsed.error, c.error);
  }
}

TEST(OptionParserTest, CountsReadAsEnglish) {
  EXPECT_EQ(program_frame::countOf(1, "run"), "1 run");
  EXPECT_EQ(program_frame::countOf(0, "run"), "0 runs");
  EXPECT_EQ(program_frame::countOf(2, "folder name"), "2 folder names");
  EXPECT_EQ(program_frame::countOf(3, "day", "days of traffic"), "3 days of traffic");
}

}  // namespace

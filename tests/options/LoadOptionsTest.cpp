// Effect definitions and influence-line files: what is taken and what is refused, with one line
// that names the definition and what is accepted.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "load/EffectKinds.h"
#include "options/LoadOptions.h"
#include "support/TestFolder.h"

namespace {

using load_options::parseEffect;

TEST(LoadOptionsTest, TakesTheStandardEffects) {
  LoadEffect effect;
  std::string error;
  ASSERT_TRUE(parseEffect("moment:30", &effect, &error)) << error;
  EXPECT_EQ(effect.name, "moment:30");
  EXPECT_DOUBLE_EQ(effect.line.ordinateAt(15.0), 7.5);
  ASSERT_TRUE(parseEffect("moment:40:10", &effect, &error)) << error;
  EXPECT_DOUBLE_EQ(effect.line.ordinateAt(10.0), 7.5);
  ASSERT_TRUE(parseEffect("shear:25.5", &effect, &error)) << error;
  EXPECT_DOUBLE_EQ(effect.line.ordinateAt(0.0), 1.0);
  EXPECT_DOUBLE_EQ(effect.line.length(), 25.5);
  ASSERT_TRUE(parseEffect("hogging:20", &effect, &error)) << error;
  EXPECT_DOUBLE_EQ(effect.line.length(), 40.0);
  EXPECT_DOUBLE_EQ(effect.line.ordinateAt(30.0), effect.line.ordinateAt(10.0));
}

TEST(LoadOptionsTest, RefusesDefinitionsItCannotTake) {
  struct Case {
    const char* definition;
    const char* says;
  } cases[] = {
      {"torsion:30", "--effect is \"torsion:30\"; accepted: moment:L, moment:L:a, shear:L"},
      {"moment", "accepted: moment:L"},
      {"moment:30:10:5", "accepted: moment:L"},
      {"shear:30:10", "accepted: moment:L"},
      {"moment:0", "the span \"0\" is not a length in m above 0 and up to 10000"},
      {"hogging:-5", "the span \"-5\""},
      {"shear:1e9", "the span \"1e9\""},
      {"moment:30m", "the span \"30m\""},
      {"moment: 30", "the span \" 30\""},
      {"moment:nan", "the span \"nan\""},
      {"moment:30:30", "the position \"30\" is not a distance in m above 0 and below the span 30"},
      {"moment:30:0", "the position \"0\""},
      {"il:", "accepted: moment:L"},
      {"il:missing.csv", "the influence line missing.csv cannot be read"},
  };
  for (const Case& c : cases) {
    LoadEffect effect;
    std::string error;
    EXPECT_FALSE(parseEffect(c.definition, &effect, &error)) << c.definition;
    EXPECT_EQ(error.rfind("", 0), 0u) << error;
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
  }
}

TEST(LoadOptionsTest, ReadsInfluenceLinesWithAHeaderJumpsAndBlankLines) {
  TestFolder folder;
  folder.write("line.csv", "x_m,ordinate\n0,0\n\n10,5\n10,-1\r\n20,0\n");
  LoadEffect effect;
  std::string error;
  ASSERT_TRUE(parseEffect("il:line.csv", &effect, &error)) << error;
  EXPECT_DOUBLE_EQ(effect.line.length(), 20.0);
  EXPECT_DOUBLE_EQ(effect.line.ordinateAt(5.0), 2.5);
  EXPECT_DOUBLE_EQ(effect.line.ordinateAt(15.0), -0.5);
}

TEST(LoadOptionsTest, RefusesInfluenceLinesThatAreNoLine) {
  TestFolder folder;
  struct Case {
    const char* text;
    const char* says;
  } cases[] = {
      {"0,0\n", "it has 1 points; it needs at least 2"},
      {"1,0\n5,1\n", "the first x is not 0"},
      {"0,0\n5,1\n4,0\n", "x falls at point 3"},
      {"0,0\n5,1\n5,2\n5,3\n9,0\n", "x is the same at three points, from point 2"},
      {"0,1\n0,2\n", "its length is 0"},
      {"0,0\n5,one\n", "line 2 is \"5,one\"; accepted: x_m,ordinate as two numbers"},
      {"0,0\n5,1,2\n", "line 2 is \"5,1,2\""},
      {"0,0\n20000,1\n", "is 20000 m long; accepted: up to 10000 m"},
  };
  for (const Case& c : cases) {
    folder.write("bad.csv", c.text);
    LoadEffect effect;
    std::string error;
    EXPECT_FALSE(parseEffect("il:bad.csv", &effect, &error)) << c.text;
    EXPECT_NE(error.find("--effect \"il:bad.csv\": the influence line bad.csv"), std::string::npos)
        << error;
    EXPECT_NE(error.find(c.says), std::string::npos) << error;
  }
}

TEST(LoadOptionsTest, ReadsLaneFactorsAndTheUnitScale) {
  LoadSettings settings;
  std::string error;
  ASSERT_TRUE(load_options::takeOption("--lane-factors", "1,0.5,0,2", &settings, &error)) << error;
  EXPECT_EQ(settings.laneFactors, (std::vector<double>{1.0, 0.5, 0.0, 2.0}));
  ASSERT_TRUE(load_options::takeOption("--kn-per-unit", "0.981", &settings, &error)) << error;
  EXPECT_DOUBLE_EQ(settings.unitScale, 0.981);
  EXPECT_FALSE(load_options::takeOption("--lane-factors", "1,-1", &settings, &error));
  EXPECT_EQ(error,
            "--lane-factors is \"1,-1\"; accepted: numbers from 0 to 1e+06 "
            "separated by commas");
  EXPECT_FALSE(load_options::takeOption("--kn-per-unit", "0", &settings, &error));
  EXPECT_NE(error.find("--kn-per-unit is \"0\"; accepted: a number above 0"), std::string::npos)
      << error;
}

// The unit follows from the kind's quantity, not from the spelling of its name.
TEST(LoadOptionsTest, EachKindOfTheCatalogueGivesItsQuantitysUnit) {
  EXPECT_EQ(effect_kinds::syntaxList(), "moment:L, moment:L:a, shear:L, hogging:L");
  LoadSettings settings;
  settings.inKilonewtons = true;
  const std::pair<const char*, const char*> units[] = {{"moment:30", "kN·m"},
                                                       {"moment:30:10", "kN·m"},
                                                       {"shear:30", "kN"},
                                                       {"hogging:30", "kN·m"},
                                                       {"beam:30,30:-moment@30", "kN·m"},
                                                       {"beam:30,30:shear@5", "kN"},
                                                       {"beam:30,30:reaction@60", "kN"}};
  for (const auto& [definition, unit] : units) {
    LoadEffect effect;
    std::string error;
    ASSERT_TRUE(parseEffect(definition, &effect, &error)) << error;
    EXPECT_EQ(effectUnit(effect, settings), unit) << definition;
  }
  LoadEffect renamed;
  std::string error;
  ASSERT_TRUE(parseEffect("shear:30", &renamed, &error));
  renamed.name = "end reaction";  // a name that does not start with the kind
  EXPECT_EQ(effectUnit(renamed, settings), "kN");
}

TEST(LoadOptionsTest, DescribesEffectsInWords) {
  EXPECT_EQ(effect_kinds::describe("moment:30"), "bending moment at mid-span, simple span of 30 m");
  EXPECT_EQ(effect_kinds::describe("moment:40:12"),
            "bending moment 12 m from the left support, simple span of 40 m");
  EXPECT_EQ(effect_kinds::describe("shear:20"), "shear at the left support, simple span of 20 m");
  EXPECT_EQ(effect_kinds::describe("hogging:15"),
            "hogging moment over the central support, two spans of 15 m");
  EXPECT_EQ(effect_kinds::describe("il:lines/deck.csv"), "the influence line of lines/deck.csv");
  EXPECT_EQ(effect_kinds::describe("heavy"), "heavy");
}

TEST(LoadOptionsTest, AnEffectGivenTwiceIsRefused) {
  LoadSettings settings;
  std::string error;
  ASSERT_TRUE(load_options::takeOption("--effect", "moment:30", &settings, &error)) << error;
  ASSERT_TRUE(load_options::takeOption("--effect", "moment:30:10", &settings, &error)) << error;
  EXPECT_FALSE(load_options::takeOption("--effect", "moment:30", &settings, &error));
  EXPECT_EQ(error, "--effect \"moment:30\" is given twice; accepted: each effect once");
  // The same effect under another spelling: the mid-span moment, a span of 30.0 m.
  EXPECT_FALSE(load_options::takeOption("--effect", "moment:30.0:15", &settings, &error));
  EXPECT_EQ(error,
            "--effect \"moment:30.0:15\" is the effect \"moment:30\" given before; "
            "accepted: each effect once");
  EXPECT_EQ(settings.effects.size(), 2u);
}

}  // namespace

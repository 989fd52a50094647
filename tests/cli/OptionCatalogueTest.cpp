// The option catalogues: the help that the tables write, and that what a program's help
// says of an option is what its parser and its settings hold.
#include <gtest/gtest.h>

#include <string>

#include "cli/OptionCatalogue.h"
#include "extremes/ExtremesOptions.h"
#include "options/FatigueOptions.h"
#include "options/LoadOptions.h"
#include "support/ProgramRun.h"
#include "traffic/TrafficPatterns.h"

namespace {

TEST(OptionCatalogueTest, HelpLinesAlignAndALongLabelStandsAlone) {
  EXPECT_EQ(option_catalogue::helpLines("--x N", "one\ntwo", 10), "  --x N   one\n          two\n");
  EXPECT_EQ(option_catalogue::helpLines("--longer-name N", "help", 10),
            "  --longer-name N\n          help\n");
}

// Every option a program parses stands in its help, and the defaults the help gives are the
// settings' own.
TEST(OptionCatalogueTest, ProgramsHelpNamesEveryOptionTheyParseWithTheSettingsDefaults) {
  struct Program {
    const char* path;
    std::vector<KnownOption> options;
  };
  std::vector<KnownOption> run = load_options::knownOptions();
  std::vector<KnownOption> patterns = traffic_patterns::knownOptions();
  run.insert(run.end(), patterns.begin(), patterns.end());
  const Program programs[] = {{VELMORA_PROGRAM, run},
                              {VELMORA_LOAD_PROGRAM, load_options::knownOptions()},
                              {VELMORA_EXTREMES_PROGRAM, extremes_options::analysisOptions()}};
  for (const Program& program : programs) {
    ProgramRun help = runCommand(std::string(program.path) + " --help");
    ASSERT_EQ(help.status, 0) << program.path;
    for (const KnownOption& option : program.options) {
      EXPECT_NE(help.console.find("  " + option.name + " "), std::string::npos)
          << program.path << " " << option.name;
    }
  }
  ProgramRun extremes = runCommand(std::string(VELMORA_EXTREMES_PROGRAM) + " --help");
  EXPECT_NE(extremes.console.find("default " + extremes_options::defaultReturnPeriods()),
            std::string::npos);
  EXPECT_EQ(extremes_options::defaultReturnPeriods(), "75, 100 and 1000");
  ProgramRun velmora = runCommand(std::string(VELMORA_PROGRAM) + " --help");
  EXPECT_NE(velmora.console.find("(default " + std::to_string(LoadSettings().eventClasses) + ")"),
            std::string::npos);
}

// A table's reader is the option's: the first return period replaces the defaults, later
// ones add to it, and a name of no table is refused rather than taken as another option.
TEST(OptionCatalogueTest, TablesReadTheirOptionsAndRefuseOthers) {
  AnalysisSettings settings;
  std::string error;
  ASSERT_TRUE(extremes_options::takeAnalysisOption("--return-period", "50", &settings, &error));
  ASSERT_TRUE(extremes_options::takeAnalysisOption("--return-period", "200", &settings, &error));
  EXPECT_EQ(settings.returnYears, (std::vector<double>{50.0, 200.0}));
  EXPECT_FALSE(extremes_options::takeAnalysisOption("--svg", "x.svg", &settings, &error));
  EXPECT_EQ(error, "unknown option --svg");
  LoadSettings load;
  EXPECT_FALSE(load_options::takeOption("--maxima", "m.csv", &load, &error));
  EXPECT_FALSE(load.inKilonewtons);  // not read as --kn-per-unit
  TrafficPatterns patterns;
  EXPECT_FALSE(traffic_patterns::takeOption("--platoons", "0.5:8:5", &patterns, &error));
  EXPECT_NE(error.find("2 to 7 trucks a platoon and 1 to 25 m"), std::string::npos) << error;
}

}  // namespace

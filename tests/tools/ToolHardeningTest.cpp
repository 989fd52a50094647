// The tools as a user meets them, hostile cases included: no tool writes over one of its
// inputs, a refused run changes nothing, devices are written into, dirty streams follow one
// policy, and command lines read alike everywhere.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/ProgramRun.h"
#include "support/SampleFolderTest.h"
#include "support/TextLines.h"

namespace {

namespace fs = std::filesystem;

const std::string maximaHeader = "effect,day,max,time_s,vehicles_on_bridge,trucks_on_bridge\n";

// A maxima file of `days` days of one effect, with values that a fit can take.
std::string maximaOf(const std::string& effect, int days) {
  std::string text = maximaHeader;
  for (int day = 1; day <= days; ++day) {
    text += effect + "," + std::to_string(day) + "," + std::to_string(1000 + (day * 37) % 101) +
            ",10.000,2,1\n";
  }
  return text;
}

class ToolHardeningTest : public SampleFolderTest {
 protected:
  void SetUp() override {
    SampleFolderTest::SetUp();
    folder.write("line.csv", "0,0\n10,1\n20,0\n");
    folder.write("m.csv", maximaOf("moment:30", 12));
  }
  static ProgramRun run(const char* program, const std::string& arguments) {
    return runCommand(std::string(program) + " " + arguments);
  }
  // Writes the sample's default one-day stream, seeded, to TrafOut.txt.
  void writeStream() const {
    ProgramRun made = run(VELMORA_PROGRAM, "--seed 5");
    ASSERT_EQ(made.status, 0) << made.errors;
  }
  static bool isCharacterDevice(const char* path) {
    struct stat info;
    return ::stat(path, &info) == 0 && S_ISCHR(info.st_mode);
  }
};

TEST_F(ToolHardeningTest, NoToolWritesOverOneOfItsInputs) {
  writeStream();
  std::string stream = folder.read("TrafOut.txt");
  const std::string accepted = "; accepted: a file that is not one of the run's inputs\n";
  ProgramRun velmora = run(VELMORA_PROGRAM, "--no-records --effect il:line.csv --maxima line.csv");
  EXPECT_EQ(velmora.status, 2);
  EXPECT_EQ(velmora.errors,
            "error: --maxima is \"line.csv\", which is the run's input line.csv" + accepted);
  ProgramRun load = run(VELMORA_LOAD_PROGRAM, "--effect il:line.csv -o ./line.csv TrafOut.txt");
  EXPECT_EQ(load.status, 2);
  EXPECT_EQ(load.errors,
            "error: -o is \"./line.csv\", which is the run's input line.csv" + accepted);
  EXPECT_EQ(folder.read("line.csv"), "0,0\n10,1\n20,0\n");
  for (const char* option : {"--svg", "--csv"}) {
    ProgramRun extremes = run(VELMORA_EXTREMES_PROGRAM, std::string(option) + " m.csv m.csv");
    EXPECT_EQ(extremes.status, 2) << option;
    EXPECT_EQ(extremes.errors, "error: " + std::string(option) +
                                   " is \"m.csv\", which is the run's input m.csv" + accepted);
  }
  EXPECT_EQ(folder.read("m.csv"), maximaOf("moment:30", 12));
  fs::create_directory("site");
  fs::copy_file("TrafOut.txt", "site/FlowR.csv");
  ProgramRun fit = run(VELMORA_FIT_PROGRAM, "-o site site/FlowR.csv");
  EXPECT_EQ(fit.status, 2);
  EXPECT_EQ(fit.errors,
            "error: -o is \"site/FlowR.csv\", which is the run's input site/FlowR.csv" + accepted);
  fs::create_symlink("../TrafOut.txt", "site/Class%.csv");
  fit = run(VELMORA_FIT_PROGRAM, "-o site TrafOut.txt");
  EXPECT_EQ(fit.status, 2);
  EXPECT_EQ(fit.errors,
            "error: -o is \"site/Class%.csv\", which is the run's input TrafOut.txt" + accepted);
  EXPECT_EQ(folder.read("TrafOut.txt"), stream);
  EXPECT_EQ(folder.read("site/FlowR.csv"), stream);
}

TEST_F(ToolHardeningTest, DevicesAreWrittenIntoAndAFullOneFailsTheRun) {
  writeStream();
  ProgramRun null = run(VELMORA_LOAD_PROGRAM, "--effect moment:30 -o /dev/null TrafOut.txt");
  EXPECT_EQ(null.status, 0) << null.errors;
  EXPECT_TRUE(isCharacterDevice("/dev/null"));
  ProgramRun full = run(VELMORA_LOAD_PROGRAM, "--effect moment:30 -o /dev/full TrafOut.txt");
  EXPECT_EQ(full.status, 1);
  EXPECT_EQ(full.errors, "error: cannot write \"/dev/full\" (-o): No space left on device\n");
  EXPECT_TRUE(isCharacterDevice("/dev/full"));
  ProgramRun console = run(VELMORA_EXTREMES_PROGRAM, "m.csv > /dev/full");
  EXPECT_EQ(console.status, 1);
  EXPECT_EQ(linesOf(console.errors).front(),
            "error: cannot write to standard output: No space left on device");
  ProgramRun stdoutSvg = run(VELMORA_EXTREMES_PROGRAM, "--svg /dev/stdout m.csv");
  EXPECT_EQ(stdoutSvg.status, 0) << stdoutSvg.errors;
  EXPECT_EQ(stdoutSvg.console.rfind("moment:30: 12 maxima", 0), 0u) << stdoutSvg.console;
  EXPECT_NE(stdoutSvg.console.find("</svg>\n"), std::string::npos);
  struct stat info;
  ASSERT_EQ(::lstat("/dev/stdout", &info), 0);
  EXPECT_TRUE(S_ISLNK(info.st_mode));  // never replaced by a file
}

TEST_F(ToolHardeningTest, ARefusedRunLeavesEveryEarlierOutputAsItWas) {
  folder.write("chart.svg", "earlier chart\n");
  folder.write("table.csv", "earlier table\n");
  folder.write("empty.csv", maximaHeader);
  std::string cut = maximaOf("moment:30", 12);
  folder.write("cut.csv", cut.substr(0, cut.size() - 5));
  folder.write("other.csv", maximaOf("shear:30", 12));
  folder.write("short.csv", maximaOf("moment:30", 12) + "shear:30,1,5,1.000,1,1\n");
  const struct {
    std::string files;
    std::string error;
  } cases[] = {
      {"empty.csv",
       "error: empty.csv holds a header and no rows; accepted: a maxima file with days"},
      {"cut.csv",
       "error: cut.csv line 13 is \"moment:30,12,1040,10.000\", cut short without its line end; "
       "accepted: whole rows"},
      {"m.csv other.csv",
       "error: other.csv holds the effects shear:30; the first file holds moment:30; accepted: "
       "runs of the same effects"},
      {"short.csv",
       "error: short.csv holds 1 day of shear:30 and 12 of moment:30; accepted: every effect for "
       "every day"},
      {"m.csv missing.csv",
       "error: cannot read the maxima file missing.csv: No such file or directory"},
  };
  for (const auto& c : cases) {
    ProgramRun refused =
        run(VELMORA_EXTREMES_PROGRAM, "--svg chart.svg --csv table.csv " + c.files);
    EXPECT_EQ(refused.status, 2) << c.files;
    EXPECT_EQ(refused.errors, c.error + "\n");
  }
  EXPECT_EQ(folder.read("chart.svg"), "earlier chart\n");
  EXPECT_EQ(folder.read("table.csv"), "earlier table\n");
  ProgramRun period = run(VELMORA_EXTREMES_PROGRAM, "--return-period 1e7 m.csv");
  EXPECT_EQ(period.errors,
            "error: --return-period is \"1e7\"; accepted: a number of years above 1 and up to "
            "1000000\nrun velmora-extremes --help for the options\n");
  ProgramRun fitted = run(VELMORA_EXTREMES_PROGRAM, "--svg chart.svg --csv=table.csv m.csv");
  EXPECT_EQ(fitted.status, 0) << fitted.errors;
  EXPECT_NE(folder.read("chart.svg"), "earlier chart\n");
  EXPECT_FALSE(fs::exists("chart.svg.partial"));
}

// A maxima file of the unit column's form: `days` days of one effect in unit.
std::string maximaIn(const std::string& effect, const std::string& unit, int days) {
  std::string text = "effect,day,max,time_s,vehicles_on_bridge,trucks_on_bridge,unit\n";
  for (int day = 1; day <= days; ++day) {
    text += effect + "," + std::to_string(day) + "," + std::to_string(1000 + (day * 37) % 101) +
            ",10.000,2,1," + unit + "\n";
  }
  return text;
}

TEST_F(ToolHardeningTest, UnitsTravelFromTheEffectsToTheReportAndKeepFilesApart) {
  writeStream();
  ProgramRun load = run(VELMORA_LOAD_PROGRAM,
                        "--effect moment:30 --effect shear:30 --effect il:line.csv "
                        "--kn-per-unit 0.981 -o kn.csv TrafOut.txt");
  ASSERT_EQ(load.status, 0) << load.errors;
  std::vector<std::string> rows = linesOf(folder.read("kn.csv"));
  ASSERT_EQ(rows.size(), 1u + 3 * 2);  // the sample's two days
  EXPECT_EQ(rows[0], "effect,day,max,time_s,vehicles_on_bridge,trucks_on_bridge,unit");
  EXPECT_EQ(rows[1].substr(rows[1].size() - 6), ",kN·m");
  EXPECT_EQ(rows[2].substr(rows[2].size() - 3), ",kN");
  EXPECT_EQ(rows[3].substr(rows[3].size() - 13), ",ordinate·kN");
  ProgramRun plain = run(VELMORA_LOAD_PROGRAM, "--effect moment:30 -o plain.csv TrafOut.txt");
  ASSERT_EQ(plain.status, 0) << plain.errors;
  EXPECT_NE(folder.read("plain.csv").find(",site weight unit·m\n"), std::string::npos);

  folder.write("a.csv", maximaIn("moment:30", "kN·m", 12));
  ProgramRun fitted = run(VELMORA_EXTREMES_PROGRAM, "--csv t.csv --svg c.svg a.csv");
  ASSERT_EQ(fitted.status, 0) << fitted.errors;
  EXPECT_EQ(fitted.console.rfind(
                "moment:30: 12 maxima of 1-day blocks from 12 days (values in kN·m)\n", 0),
            0u);
  EXPECT_NE(linesOf(folder.read("t.csv"))[1].find(
                ",kN·m,the GEV fit rests on 12 block maxima; 50 or more"),
            std::string::npos);
  EXPECT_NE(folder.read("c.svg").find(">level, in kN·m</text>"), std::string::npos);
  EXPECT_NE(folder.read("c.svg").find(">bending moment at mid-span, simple span of 30 m "
                                      "(moment:30): return levels, in kN·m<"),
            std::string::npos);
  folder.write("b.csv", maximaIn("moment:30", "site weight unit·m", 12));
  for (const char* second : {"b.csv", "m.csv"}) {
    ProgramRun mixed = run(VELMORA_EXTREMES_PROGRAM, std::string("a.csv ") + second);
    EXPECT_EQ(mixed.status, 2);
    EXPECT_EQ(mixed.errors,
              "error: " + std::string(second) + " line 2 gives moment:30 in " +
                  (std::string(second) == "b.csv" ? "site weight unit·m" : "no unit") +
                  " and the rows before in kN·m; accepted: maxima of one unit, "
                  "made with the same settings\n");
  }
}

TEST_F(ToolHardeningTest, DirtyStreamsFollowOnePolicy) {
  writeStream();
  std::vector<std::string> records = linesOf(folder.read("TrafOut.txt"));
  records.insert(records.begin() + 100, "a station's note");
  std::string dirty;
  for (const std::string& record : records) {
    dirty += record + "\n";
  }
  folder.write("dirty.txt", dirty);
  ProgramRun strict = run(VELMORA_LOAD_PROGRAM, "--effect moment:30 -o m2.csv dirty.txt");
  EXPECT_EQ(strict.status, 2);
  EXPECT_EQ(strict.errors.rfind("error: dirty.txt line 101 is not a fixed-column record", 0), 0u)
      << strict.errors;
  ProgramRun skipping =
      run(VELMORA_LOAD_PROGRAM, "--effect moment:30 --skip-bad-lines -o m2.csv dirty.txt");
  EXPECT_EQ(skipping.status, 0) << skipping.errors;
  EXPECT_EQ(skipping.console,
            "Skipped 1 line not in the fixed-column record form (the first is line 101)\n");
  ProgramRun clean = run(VELMORA_LOAD_PROGRAM, "--effect moment:30 -o m3.csv TrafOut.txt");
  ASSERT_EQ(clean.status, 0) << clean.errors;
  EXPECT_EQ(folder.read("m2.csv"), folder.read("m3.csv"));

  folder.write(
      "nolane.csv",
      "time_s,day,month,year,hour,minute,second,hundredths,speed_dm_per_s\n1,1,1,5,0,0,1,0,200\n");
  const std::string header =
      "line 1 is a CSV header, but the header has no column `gross_weight`; accepted: the header "
      "line of velmora --format csv\n";
  ProgramRun load = run(VELMORA_LOAD_PROGRAM, "--effect moment:30 -o m4.csv nolane.csv");
  EXPECT_EQ(load.status, 2);
  EXPECT_EQ(load.errors, "error: nolane.csv " + header);
  ProgramRun fit = run(VELMORA_FIT_PROGRAM, "-o site nolane.csv");
  EXPECT_EQ(fit.status, 2);
  EXPECT_EQ(fit.errors, "error: the records file \"nolane.csv\" " +
                            header.substr(0, header.size() - 1) +
                            ", or a station header with a `datetime` column\n");
  EXPECT_FALSE(fs::exists("site"));
}

TEST_F(ToolHardeningTest, CommandLinesReadAsPeopleExpect) {
  writeStream();
  ProgramRun typo = run(VELMORA_LOAD_PROGRAM, "--efect moment:30 -o m2.csv TrafOut.txt");
  EXPECT_EQ(typo.status, 2);
  EXPECT_EQ(typo.errors,
            "error: unknown option \"--efect\"; did you mean --effect?\n"
            "run velmora-load --help for the options\n");
  ProgramRun equals = run(VELMORA_LOAD_PROGRAM, "--effect=moment:30 -o m2.csv TrafOut.txt");
  EXPECT_EQ(equals.status, 0) << equals.errors;
  ProgramRun factors =
      run(VELMORA_LOAD_PROGRAM, "--effect moment:30 --lane-factors 1,1,1 -o m3.csv TrafOut.txt");
  EXPECT_EQ(factors.status, 2);
  EXPECT_EQ(factors.errors,
            "error: --lane-factors gives 3 factors; the stream \"TrafOut.txt\" has 2 lanes; "
            "accepted: one factor for every lane\n");
  EXPECT_FALSE(fs::exists("m3.csv"));
  ProgramRun missing = run(VELMORA_LOAD_PROGRAM, "--effect moment:30 -o m3.csv gone.txt");
  EXPECT_EQ(missing.errors,
            "error: cannot read the stream \"gone.txt\": No such file or directory\n");
  ProgramRun fit = run(VELMORA_FIT_PROGRAM, "-o site gone.csv");
  EXPECT_EQ(fit.errors,
            "error: cannot read the records file \"gone.csv\": No such file or directory\n");
  ProgramRun stats = run(VELMORA_STATS_PROGRAM, "--svg");
  EXPECT_EQ(stats.errors,
            "error: --svg needs a value; accepted: a file name\n"
            "run velmora-stats --help for the options\n");
}

}  // namespace

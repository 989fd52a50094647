// The daily maxima of load effects through the real programs: computed while generating
// and from the written stream of either form, byte for byte the same, and refusals that
// leave earlier files as they were.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/ProgramRun.h"
#include "support/SampleFolderTest.h"
#include "support/TextLines.h"

namespace {

const std::string effects =
    " --effect moment:30 --effect shear:30 --effect hogging:15 --effect moment:40:12"
    " --effect il:line.csv";

class LoadEffectRunTest : public SampleFolderTest {
 protected:
  void SetUp() override {
    SampleFolderTest::SetUp();
    // The four-lane motorway, both directions, for three days.
    std::vector<std::string> values = defaultValues();
    values[2] = "3";
    values[3] = values[4] = "1";
    values[6] = values[7] = "2";
    writeParameters(values);
    folder.write("line.csv", "x_m,ordinate\n0,0\n8,1\n8,-0.5\n25,0\n");
  }

  static ProgramRun velmora(const std::string& options) {
    return runCommand(std::string(VELMORA_PROGRAM) + " --seed 23" + options);
  }
  static ProgramRun velmoraLoad(const std::string& arguments) {
    return runCommand(std::string(VELMORA_LOAD_PROGRAM) + arguments);
  }
};

TEST_F(LoadEffectRunTest, InProcessAndFromEitherFormTheMaximaAreTheSameBytes) {
  ProgramRun fixed = velmora(effects + " --lane-factors 1,0.9,1,0.9 --maxima generated.csv");
  ASSERT_EQ(fixed.status, 0) << fixed.errors;
  std::string generated = folder.read("generated.csv");
  std::vector<std::string> rows = linesOf(generated);
  ASSERT_EQ(rows.size(), 1u + 5 * 3);
  EXPECT_EQ(rows[0], "effect,day,max,time_s,vehicles_on_bridge,trucks_on_bridge,unit");
  EXPECT_EQ(rows[1].rfind("moment:30,1,", 0), 0u) << rows[1];
  EXPECT_EQ(rows[15].rfind("il:line.csv,3,", 0), 0u) << rows[15];

  ProgramRun fromFixed =
      velmoraLoad(effects + " --lane-factors 1,0.9,1,0.9 -o fromFixed.csv TrafOut.txt");
  ASSERT_EQ(fromFixed.status, 0) << fromFixed.errors;
  EXPECT_EQ(folder.read("fromFixed.csv"), generated);

  ProgramRun csv = velmora(effects + " --lane-factors 1,0.9,1,0.9 --format csv --maxima csv.csv");
  ASSERT_EQ(csv.status, 0) << csv.errors;
  EXPECT_EQ(folder.read("csv.csv"), generated);
  ProgramRun fromCsv =
      velmoraLoad(effects + " --lane-factors 1,0.9,1,0.9 -o fromCsv.csv TrafOut.txt");
  ASSERT_EQ(fromCsv.status, 0) << fromCsv.errors;
  EXPECT_EQ(folder.read("fromCsv.csv"), generated);
}

// The greatest of each day's event rows, by effect and day, as the maxima file writes it.
std::vector<std::string> greatestEvents(const std::string& events) {
  std::vector<std::string> rows = linesOf(events);
  std::vector<std::string> greatest;
  std::string key;
  double best = 0.0;
  std::string bestText;
  for (std::size_t i = 1; i <= rows.size(); ++i) {
    std::vector<std::string> fields =
        i < rows.size() ? fieldsOf(rows[i]) : std::vector<std::string>{"", "", "", ""};
    std::string rowKey = fields[0] + "," + fields[1];
    if (rowKey != key && !key.empty()) {
      greatest.push_back(key + "," + bestText);
      bestText.clear();
    }
    key = rowKey;
    if (!fields[3].empty() && (bestText.empty() || std::stod(fields[3]) > best)) {
      best = std::stod(fields[3]);
      bestText = fields[3];
    }
  }
  return greatest;
}

TEST_F(LoadEffectRunTest, EventMaximaAreTheSameBytesEitherWayAndTheirGreatestIsTheDaysMaximum) {
  ProgramRun run = velmora(effects +
                           " --kn-per-unit 9.81 --event-classes 3 --maxima maxima.csv"
                           " --event-maxima events.csv");
  ASSERT_EQ(run.status, 0) << run.errors;
  std::string events = folder.read("events.csv");
  std::vector<std::string> rows = linesOf(events);
  ASSERT_EQ(rows.size(), 1u + 5 * 3 * 4);
  EXPECT_EQ(rows[0], "effect,day,trucks,max,time_s,unit");
  EXPECT_EQ(rows[1].rfind("moment:30,1,0,", 0), 0u) << rows[1];
  EXPECT_EQ(rows[4].rfind("moment:30,1,3,", 0), 0u) << rows[4];
  EXPECT_EQ(rows[5].rfind("shear:30,1,0,", 0), 0u) << rows[5];
  EXPECT_NE(rows[1].find(",kN·m"), std::string::npos) << rows[1];

  std::vector<std::string> maxima;
  for (const std::string& row : linesOf(folder.read("maxima.csv"))) {
    std::vector<std::string> fields = fieldsOf(row);
    maxima.push_back(fields[0] + "," + fields[1] + "," + fields[2]);
  }
  maxima.erase(maxima.begin());
  EXPECT_EQ(greatestEvents(events), maxima);

  ProgramRun load = velmoraLoad(effects +
                                " --kn-per-unit 9.81 --event-classes 3 -o m.csv"
                                " --event-maxima fromStream.csv TrafOut.txt");
  ASSERT_EQ(load.status, 0) << load.errors;
  EXPECT_EQ(folder.read("fromStream.csv"), events);
  EXPECT_EQ(folder.read("m.csv"), folder.read("maxima.csv"));
}

TEST_F(LoadEffectRunTest, FatigueSpectraAndDamageAreTheSameBytesInProcessAndFromTheStream) {
  const std::string fatigue =
      " --kn-per-unit 0.981 --fatigue spectra.csv --damage damage.csv --detail-category 71"
      " --detail-category 36 --gamma-mf 1.35 --stress-per-unit moment:30=0.03"
      " --stress-per-unit shear:30=0.1 --stress-per-unit hogging:15=0.05"
      " --stress-per-unit moment:40:12=0.02 --stress-per-unit il:line.csv=0.2";
  ProgramRun run = velmora(effects + fatigue + " --maxima maxima.csv");
  ASSERT_EQ(run.status, 0) << run.errors;
  std::vector<std::string> spectra = linesOf(folder.read("spectra.csv"));
  ASSERT_GT(spectra.size(), 50u);
  EXPECT_EQ(spectra[0], "effect,range_from,range_to,cycles,unit");
  EXPECT_EQ(spectra[1].rfind("moment:30,0,5,", 0), 0u) << spectra[1];
  EXPECT_EQ(spectra[1].substr(spectra[1].size() - 6), ",kN·m") << spectra[1];
  std::vector<std::string> damage = linesOf(folder.read("damage.csv"));
  ASSERT_EQ(damage.size(), 1u + 5 * 2);
  EXPECT_EQ(damage[0], "effect,detail_category,cycles,damage,equivalent_range_mpa");
  EXPECT_EQ(damage[2].rfind("moment:30,36,", 0), 0u) << damage[2];

  ProgramRun load = velmoraLoad(effects + fatigue + " -o m.csv TrafOut.txt");
  ASSERT_EQ(load.status, 0) << load.errors;
  EXPECT_EQ(linesOf(folder.read("spectra.csv")), spectra);
  EXPECT_EQ(linesOf(folder.read("damage.csv")), damage);
  EXPECT_EQ(folder.read("m.csv"), folder.read("maxima.csv"));
}

TEST_F(LoadEffectRunTest, RefusesFatigueOptionsThatDoNotFitTogether) {
  folder.write("spectra.csv", "earlier spectra\n");
  struct Case {
    std::string options;
    const char* says;
  } cases[] = {
      {" --fatigue spectra.csv", "error: --fatigue needs at least one --effect"},
      {" --effect moment:30 --maxima m.csv --range-bin 5",
       "error: --range-bin needs --fatigue, where the spectra go"},
      {" --effect moment:30 --maxima m.csv --fatigue spectra.csv --range-bin 0",
       "error: --range-bin is \"0\"; accepted: a number above 0 and up to 1e+12"},
      {" --effect moment:30 --maxima m.csv --fatigue spectra.csv --range-bin 0.001",
       "error: --range-bin is 0.001; accepted for moment:30: at least 0.005 (a thousandth of "
       "its default bin), so that its spectrum stays small"},
      {" --effect moment:30 --maxima m.csv --fatigue-gate 2",
       "error: --fatigue-gate needs --fatigue or --damage"},
      {" --effect moment:30 --maxima m.csv --damage d.csv --stress-per-unit moment:30=1",
       "error: --damage needs at least one --detail-category"},
      {" --effect moment:30 --maxima m.csv --damage d.csv --detail-category 71",
       "error: --damage needs --stress-per-unit moment:30=S, the MPa per unit of that effect"},
      {" --effect moment:30 --maxima m.csv --damage d.csv --detail-category 71"
       " --stress-per-unit moment:30=1 --stress-per-unit shear:30=1",
       "error: --stress-per-unit names \"shear:30\", which is no --effect of this command"},
      {" --effect moment:30 --maxima m.csv --damage d.csv --detail-category 71"
       " --detail-category 71 --stress-per-unit moment:30=1",
       "error: --detail-category 71 is given twice"},
      {" --effect moment:30 --maxima m.csv --detail-category 71",
       "error: --detail-category, --stress-per-unit, --gamma-mf and --gamma-ff need --damage"},
      {" --effect moment:30 --maxima m.csv --damage d.csv --detail-category 71"
       " --stress-per-unit moment:30 ",
       "error: --stress-per-unit is \"moment:30\"; accepted: EFFECT=S"},
      {" --effect moment:30 --maxima m.csv --damage d.csv --detail-category 71"
       " --stress-per-unit moment:30=1 --gamma-mf 0",
       "error: --gamma-mf is \"0\"; accepted: a number above 0 and up to 10"},
      {" --effect moment:30 --maxima m.csv --fatigue VLMin.txt",
       "error: --fatigue is \"VLMin.txt\", which is"},
  };
  for (const Case& c : cases) {
    ProgramRun run = velmora(c.options);
    EXPECT_EQ(run.status, 2) << c.options;
    EXPECT_NE(run.errors.find(c.says), std::string::npos) << c.options << ": " << run.errors;
    EXPECT_EQ(folder.read("spectra.csv"), "earlier spectra\n") << c.options;
    EXPECT_EQ(folder.read("TrafOut.txt"), earlierOutput) << c.options;
  }
  ProgramRun load = velmoraLoad(
      " --effect moment:30 --damage d.csv --detail-category 71 -o m.csv"
      " TrafOut.txt");
  EXPECT_EQ(load.status, 2);
  EXPECT_NE(load.errors.find("error: --damage needs --stress-per-unit moment:30=S"),
            std::string::npos)
      << load.errors;
}

TEST_F(LoadEffectRunTest, WithoutRecordsTheMaximaAreTheSameAndNoRecordFileIsTouched) {
  ASSERT_EQ(velmora(effects + " --maxima with.csv").status, 0);
  folder.write("TrafOut.txt", earlierOutput);
  ProgramRun without = velmora(effects + " --no-records --maxima without.csv");
  ASSERT_EQ(without.status, 0) << without.errors;
  EXPECT_EQ(folder.read("without.csv"), folder.read("with.csv"));
  EXPECT_EQ(folder.read("TrafOut.txt"), earlierOutput);
  EXPECT_NE(without.console.find("Generated 2000 vehicles up to 1/1/5 "), std::string::npos)
      << without.console;
  EXPECT_NE(without.console.find("Generation complete"), std::string::npos);
}

TEST_F(LoadEffectRunTest, RefusesLoadOptionsThatDoNotFitTheRun) {
  folder.write("maxima.csv", "earlier maxima\n");
  struct Case {
    std::string options;
    const char* says;
  } cases[] = {
      {" --effect moment:30", "error: --effect needs --maxima FILE"},
      {" --maxima maxima.csv", "error: --maxima needs at least one --effect"},
      {" --no-records", "error: --no-records needs --effect and --maxima"},
      {" --effect moment:0 --maxima maxima.csv", "error: --effect \"moment:0\": the span \"0\""},
      {" --effect moment:30 --lane-factors 1,1 --maxima maxima.csv",
       "error: --lane-factors gives 2 factors; the road has 4 lanes"},
      {" --effect moment:30 --maxima VLMin.txt", "error: --maxima is \"VLMin.txt\", which is"},
      {" --effect moment:30 --maxima TrafOut.txt",
       "the same file as the run parameter outputFile (value line 1)"},
      {" --effect moment:30 --maxima missing/maxima.csv",
       "error: --maxima is \"missing/maxima.csv\", in the folder \"missing\", which does not "
       "exist"},
      {" --effect moment:30 --effect moment:30 --maxima maxima.csv",
       "error: --effect \"moment:30\" is given twice; accepted: each effect once"},
      {" --effect moment:30 --maxima maxima.csv --event-classes 3",
       "error: --event-classes needs --event-maxima, where the event maxima go"},
      {" --effect moment:30 --maxima maxima.csv --event-maxima e.csv --event-classes 0",
       "error: --event-classes is \"0\"; accepted: a whole number from 1 to 20"},
      {" --effect moment:30 --maxima maxima.csv --event-maxima maxima.csv",
       "error: --event-maxima is \"maxima.csv\""},
  };
  std::string parameters = folder.read("VLMin.txt");
  for (const Case& c : cases) {
    ProgramRun run = velmora(c.options);
    EXPECT_EQ(run.status, 2) << c.options;
    EXPECT_NE(run.errors.find(c.says), std::string::npos) << run.errors;
    EXPECT_EQ(folder.read("TrafOut.txt"), earlierOutput) << c.options;
    EXPECT_EQ(folder.read("maxima.csv"), "earlier maxima\n") << c.options;
    EXPECT_EQ(folder.read("VLMin.txt"), parameters) << c.options;
  }
}

TEST_F(LoadEffectRunTest, VelmoraLoadRefusesABrokenStreamAndKeepsTheEarlierMaxima) {
  ASSERT_EQ(velmora("").status, 0);
  std::vector<std::string> records = linesOf(folder.read("TrafOut.txt"));
  ASSERT_GT(records.size(), 1000u);
  std::string broken;
  for (std::size_t i = 0; i < 1000; ++i) {
    broken += (i == 700 ? records[i].substr(0, 40) : records[i]) + "\n";
  }
  folder.write("broken.txt", broken);
  folder.write("maxima.csv", "earlier maxima\n");
  ProgramRun load = velmoraLoad(" --effect shear:20 -o maxima.csv broken.txt");
  EXPECT_EQ(load.status, 2);
  EXPECT_NE(load.errors.find("error: broken.txt line 701 is not a fixed-column record: shorter "
                             "than the record's 77 characters"),
            std::string::npos)
      << load.errors;
  EXPECT_EQ(folder.read("maxima.csv"), "earlier maxima\n");
  ProgramRun itself = velmoraLoad(" --effect shear:20 -o broken.txt broken.txt");
  EXPECT_EQ(itself.status, 2);
  EXPECT_EQ(itself.errors,
            "error: -o is \"broken.txt\", which is the run's input broken.txt; accepted: a file "
            "that is not one of the run's inputs\n");
  ProgramRun noEffect = velmoraLoad(" -o maxima.csv broken.txt");
  EXPECT_EQ(noEffect.status, 2);
  EXPECT_NE(noEffect.errors.find("needs at least one --effect"), std::string::npos);
}

}  // namespace

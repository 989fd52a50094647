// The program under input that a hostile environment or a careless user gives it: special
// files, its own inputs as output, unreadable and non-numeric text, resource limits. Each
// runs the real binary in a scratch copy of the sample and checks that nothing hangs,
// crashes, is lost or reports success falsely.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/ProgramRun.h"
#include "support/SampleFolderTest.h"
#include "support/TestFolder.h"

namespace fs = std::filesystem;

namespace {

class HostileInputTest : public SampleFolderTest {
 protected:
  void SetUp() override {
    SampleFolderTest::SetUp();
    writeParameters(defaultValues());
  }

  // The default parameters with value line `line` (1..13) set to value.
  void setParameter(int line, const std::string& value) {
    std::vector<std::string> values = defaultValues();
    values[static_cast<std::size_t>(line - 1)] = value;
    writeParameters(values);
  }
  ProgramRun velmora(const std::string& prefix = "") {
    return runCommand(prefix + VELMORA_PROGRAM + " --seed 7");
  }
  // The run is refused with exactly message, before anything is written.
  void expectRefused(const std::string& message) {
    std::string parameters = folder.read("VLMin.txt");
    ProgramRun run = velmora();
    EXPECT_EQ(run.status, 2) << message;
    EXPECT_EQ(run.errors, message + "\n");
    EXPECT_EQ(run.console.find("Generation complete"), std::string::npos);
    EXPECT_EQ(folder.read("TrafOut.txt"), earlierOutput);
    EXPECT_EQ(folder.read("VLMin.txt"), parameters);
  }
};

TEST_F(HostileInputTest, RefusesAnOutputThatIsOneOfTheRunsInputs) {
  const std::string accepted = "; accepted: a file that is not one of the run's inputs";
  setParameter(1, "VLMin.txt");
  expectRefused(
      "error: the run parameter outputFile (value line 1) is \"VLMin.txt\", which is the run's "
      "input VLMin.txt" +
      accepted);
  setParameter(1, "Traffic/Auxerre/../Auxerre/FlowR.csv");
  std::string flows = folder.read("Traffic/Auxerre/FlowR.csv");
  expectRefused(
      "error: the run parameter outputFile (value line 1) is "
      "\"Traffic/Auxerre/../Auxerre/FlowR.csv\", which is the run's input "
      "Traffic/Auxerre/FlowR.csv" +
      accepted);
  EXPECT_EQ(folder.read("Traffic/Auxerre/FlowR.csv"), flows);
  fs::create_symlink("Traffic/Auxerre/GVWpdf.csv", "link.txt");
  setParameter(1, "link.txt");
  expectRefused(
      "error: the run parameter outputFile (value line 1) is \"link.txt\", which is the run's "
      "input Traffic/Auxerre/GVWpdf.csv" +
      accepted);
}

TEST_F(HostileInputTest, ReadsOnlyRegularFilesOfSaneSize) {
  std::remove("Traffic/Auxerre/FlowR.csv");
  ASSERT_EQ(mkfifo("Traffic/Auxerre/FlowR.csv", 0644), 0);
  expectRefused(
      "error: cannot open the site file Traffic/Auxerre/FlowR.csv: not a regular file but a FIFO");
  std::remove("Traffic/Auxerre/FlowR.csv");
  fs::create_symlink("/dev/zero", "Traffic/Auxerre/FlowR.csv");
  expectRefused(
      "error: cannot open the site file Traffic/Auxerre/FlowR.csv: not a regular file but a "
      "device");
  std::remove("Traffic/Auxerre/FlowR.csv");
  folder.write("Traffic/Auxerre/FlowR.csv", std::string((16u << 20) + 1, '7') + "\n");
  expectRefused(
      "error: cannot read the site file Traffic/Auxerre/FlowR.csv: line 1 is longer than 16 MiB");
  restoreSample();

  std::string parameters = folder.read("VLMin.txt");
  std::remove("VLMin.txt");
  ASSERT_EQ(mkfifo("VLMin.txt", 0644), 0);
  ProgramRun run = velmora();
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.errors,
            "error: cannot read the parameter file \"VLMin.txt\": not a regular file but a FIFO\n");
  EXPECT_EQ(folder.read("TrafOut.txt"), earlierOutput);
}

TEST_F(HostileInputTest, KeepsNoFieldsBeyondWhatALineCanUse) {
  std::vector<std::string> shares = siteLines("Auxerre/Class%.csv");
  std::string wide;
  for (int i = 0; i < 2000000; ++i) {
    wide += "1,";
  }
  shares[0] += "," + wide;  // far more lanes than any road
  writeSite("Auxerre/Class%.csv", shares);
  ProgramRun run = velmora();
  EXPECT_EQ(run.status, 0) << run.errors;
}

TEST_F(HostileInputTest, RefusesAnUnreadableParameterFile) {
  if (geteuid() == 0 && std::system("command -v setpriv > /dev/null") != 0) {
    GTEST_SKIP() << "running as root without setpriv: an unreadable file cannot be made";
  }
  ASSERT_EQ(chmod("VLMin.txt", 0), 0);
  // As root, read permission means nothing: the program runs as the user nobody instead.
  std::string prefix;
  if (geteuid() == 0) {
    fs::permissions(folder.path(), fs::perms::all);
    fs::permissions("TrafOut.txt", fs::perms::all);
    prefix = "setpriv --reuid=65534 --regid=65534 --clear-groups ";
  }
  ProgramRun run = velmora(prefix);
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.errors, "error: cannot read the parameter file \"VLMin.txt\": Permission denied\n");
  EXPECT_EQ(run.console.find("Using default values"), std::string::npos);
  EXPECT_EQ(folder.read("TrafOut.txt"), earlierOutput);
}

TEST_F(HostileInputTest, RefusesTextThatHoldsNoNumber) {
  std::vector<std::string> flows = siteLines("Auxerre/FlowR.csv");
  flows[4] = "nan,60,124";
  writeSite("Auxerre/FlowR.csv", flows);
  expectRefused(
      "error: the site file Traffic/Auxerre/FlowR.csv has \"nan\" in field 1 of line 5; "
      "accepted: a number (an empty field reads 0)");
  flows[4] = "64,six,124";
  writeSite("Auxerre/FlowR.csv", flows);
  expectRefused(
      "error: the site file Traffic/Auxerre/FlowR.csv has \"six\" in field 2 of line 5; "
      "accepted: a number (an empty field reads 0)");
  restoreSample();
  setParameter(7, "4294967297");
  expectRefused(
      "error: the run parameter lanesDir1 (value line 7) is \"4294967297\"; accepted: a whole "
      "number from -2147483648 to 2147483647");
}

TEST_F(HostileInputTest, NumberPrefixesAndEmptyFieldsKeepTheirMeaning) {
  ASSERT_EQ(velmora().status, 0);
  std::string plain = folder.read("TrafOut.txt");
  std::vector<std::string> flows = siteLines("Auxerre/FlowR.csv");
  flows[0] = "48\"x,45 vehicles,93";
  writeSite("Auxerre/FlowR.csv", flows);
  ASSERT_EQ(velmora().status, 0);
  EXPECT_EQ(folder.read("TrafOut.txt"), plain);
}

TEST_F(HostileInputTest, RefusesMixtureWeightsThatAreNotProbabilities) {
  std::vector<std::string> gross = siteLines("Auxerre/GVWpdf.csv");
  std::vector<std::string> original = gross;
  gross[0] = "0.3,230,12,2.5,70,15,0.4,140,30,0.4,170,30,0.3,160,25";
  writeSite("Auxerre/GVWpdf.csv", gross);
  expectRefused(
      "error: the site file Traffic/Auxerre/GVWpdf.csv gives the mixture of the gross weight of "
      "2-axle trucks in direction 1 (field 4 of lines 1 to 3) weights that add up to 3; accepted: "
      "weights of 0 or more that add up to 1 within 0.01");
  gross = original;
  gross[5] = "-0.5,240,10,0.35,110,25,0.45,215,35,0.5,325,45,0.6,395,40";
  writeSite("Auxerre/GVWpdf.csv", gross);
  expectRefused(
      "error: the site file Traffic/Auxerre/GVWpdf.csv gives the mixture of speeds in direction "
      "2 (field 1 of lines 5 to 7) a weight of -0.5; accepted: weights of 0 or more that add up "
      "to 1 within 0.01");
}

TEST_F(HostileInputTest, RefusesValuesBeyondPhysicalBounds) {
  std::vector<std::string> flows = siteLines("Auxerre/FlowR.csv");
  flows[2] = "1e9,33,68";
  writeSite("Auxerre/FlowR.csv", flows);
  expectRefused(
      "error: the site file Traffic/Auxerre/FlowR.csv gives lane 1 a flow of 1e+09 in hour 2, "
      "5e+09 vehicles per hour with the cars; accepted: at most 10000 vehicles per hour in all "
      "on a lane");
  restoreSample();
  setParameter(2, "1e308");
  expectRefused(
      "error: the run parameter catchUpLength (value line 2) is 1e+308 m; accepted: 0 to 10000 m");
  std::vector<std::string> values = defaultValues();
  values[9] = "1e308";
  values[11] = "5";
  writeParameters(values);
  expectRefused(
      "error: the run parameter speed (value line 10) is 1e+308 km/h; accepted: above 0 and at "
      "most 300 km/h under traffic model 5");
  std::vector<std::string> gross = siteLines("Auxerre/GVWpdf.csv");
  gross[0] = "0.3,2300,12,0.5,70,15,0.4,140,30,0.4,170,30,0.3,160,25";
  writeSite("Auxerre/GVWpdf.csv", gross);
  writeParameters(defaultValues());
  expectRefused(
      "error: the site file Traffic/Auxerre/GVWpdf.csv gives speeds in direction 1 a component "
      "of mean 2300 dm/s and deviation 12 dm/s; accepted: means and deviations within [0, "
      "833.333] dm/s (300 km/h)");
}

TEST_F(HostileInputTest, ArrivalsBeyondAnyTimeStampAreNoArrivals) {
  std::string flows;
  for (int hour = 0; hour < 24; ++hour) {
    flows += "1e-25,1e-25,1e-25\n";
  }
  folder.write("Traffic/Auxerre/FlowR.csv", flows);
  ProgramRun run = velmora();
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_EQ(run.errors, "");
  EXPECT_NE(run.console.find("Generation complete"), std::string::npos);
  EXPECT_EQ(folder.read("TrafOut.txt"), "");
}

TEST_F(HostileInputTest, HandlesByteOrderMarksAndRefusesOtherEncodings) {
  ASSERT_EQ(velmora().status, 0);
  std::string plain = folder.read("TrafOut.txt");
  std::vector<std::string> values = defaultValues();
  writeParameters(values, "\xEF\xBB\xBF");
  std::vector<std::string> flows = siteLines("Auxerre/FlowR.csv");
  flows[0] = "\xEF\xBB\xBF" + flows[0];
  writeSite("Auxerre/FlowR.csv", flows);
  ASSERT_EQ(velmora().status, 0);
  EXPECT_EQ(folder.read("TrafOut.txt"), plain);
  EXPECT_FALSE(fs::exists("\xEF\xBB\xBFTrafOut.txt"));

  folder.write("TrafOut.txt", earlierOutput);
  setParameter(1, "out\x01.txt");
  expectRefused(
      "error: the run parameter outputFile (value line 1) is a name with a control character; "
      "accepted: a file name of printable characters");
  folder.write("VLMin.txt", std::string("\xFF\xFET\0r\0a\0f\0", 10));
  expectRefused(
      "error: cannot read the parameter file \"VLMin.txt\": UTF-16 text; accepted: ASCII or UTF-8 "
      "text");
}

TEST_F(HostileInputTest, AFileSizeLimitIsAnErrorNotASignal) {
  setParameter(3, "10");
  ProgramRun run = velmora("ulimit -f 64; ");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.errors, "error: cannot write the output file \"TrafOut.txt\": File too large\n");
  EXPECT_EQ(run.console.find("Generation complete"), std::string::npos);
  EXPECT_EQ(folder.read("TrafOut.txt"), earlierOutput);  // a failed run keeps the earlier file
  EXPECT_FALSE(fs::exists("TrafOut.txt.partial"));
}

TEST_F(HostileInputTest, AHugeBufferKeepsMemoryBoundedAndTheBytesTheSame) {
  std::vector<std::string> values = defaultValues();
  values[2] = "30";
  writeParameters(values);
  ASSERT_EQ(velmora().status, 0);
  std::string blocks = folder.read("TrafOut.txt");
  values[5] = "2147483647";
  writeParameters(values);
#ifdef VELMORA_SANITIZED
  const char* const memoryLimit = "";  // the sanitizers reserve address space of their own
#else
  const char* const memoryLimit = "ulimit -v 150000; ";  // the block alone would need more
#endif
  ProgramRun run = velmora(memoryLimit);
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_TRUE(folder.read("TrafOut.txt") == blocks);  // not printed: megabytes
  EXPECT_EQ(run.console.find("Flushing"), run.console.rfind("Flushing")) << run.console;
}

// velmora-stats on input that is not a stream of records, or output that cannot be kept.
class StatsInputTest : public ::testing::Test {
 protected:
  ProgramRun stats(const std::string& arguments) {
    return runCommand(std::string(VELMORA_STATS_PROGRAM) + " " + arguments);
  }
  TestFolder folder;
};

// Two records as the program writes them: a car on lane 2 and a 4-axle truck on lane 1.
const char* const carRecord =
    "1001 1 1 5 0 0 625231  20 40222 18 1040 10 0  0 0  0 0  0 0  0 0  0 0  0 0  0";
const char* const truckRecord =
    "1001 1 1 5 0 01187241 176115411 18 4236 5462 4016 40 0  0 0  0 0  0 0  0 0  0";

TEST_F(StatsInputTest, ExitStatusSaysWhatHappened) {
  EXPECT_EQ(stats("--help").status, 0);
  ProgramRun version = stats("--version");
  EXPECT_EQ(version.status, 0);
  EXPECT_EQ(version.console.rfind("velmora-stats ", 0), 0u);
  ProgramRun unknown = stats("--fast in.txt");
  EXPECT_EQ(unknown.status, 2);
  EXPECT_EQ(unknown.errors.rfind("error: unknown option \"--fast\"\n", 0), 0u);
  EXPECT_EQ(stats("").status, 2);
  ProgramRun missing = stats("missing.txt");
  EXPECT_EQ(missing.status, 2);
  EXPECT_EQ(missing.errors,
            "error: cannot read the input \"missing.txt\": No such file or directory\n");
  folder.write("in.txt", std::string(carRecord) + "\n");
  EXPECT_EQ(stats("in.txt").status, 0);
}

TEST_F(StatsInputTest, RefusesWhatIsNotAStreamAndNeverOverwritesIt) {
  fs::create_directory("records");
  ProgramRun run = stats("records");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.errors, "error: cannot read the input \"records\": a folder; accepted: a file\n");
  folder.write("TrafOut.txt", std::string(carRecord) + "\n");
  run = stats("--svg TrafOut.txt TrafOut.txt");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.errors,
            "error: --svg is \"TrafOut.txt\", which is the run's input TrafOut.txt; accepted: a "
            "file that is not one of the run's inputs\n");
  EXPECT_EQ(folder.read("TrafOut.txt"), std::string(carRecord) + "\n");
  run = stats("TrafOut.txt > /dev/full");
  EXPECT_EQ(run.status, 1);
  EXPECT_EQ(run.errors, "error: cannot write to standard output: No space left on device\n");
}

TEST_F(StatsInputTest, CountsCrlfLinesAndLanesOfTwoDigits) {
  std::string lane12 = truckRecord;
  lane12.replace(30, 1, "12");  // the lane widens the record by one column
  folder.write("in.txt", std::string(carRecord) + "\r\n" + lane12 + "\r\nxxx\n");
  ProgramRun run = stats("in.txt");
  EXPECT_EQ(run.status, 0) << run.errors;
  EXPECT_NE(run.console.find("Records: 2 over 1 day; cars 1, trucks 1"), std::string::npos)
      << run.console;
  EXPECT_NE(run.console.find("Lines that are not records: 1 (line 3)"), std::string::npos)
      << run.console;
  EXPECT_NE(run.console.find("\n    12"), std::string::npos) << run.console;
}

// No line of a stream is longer than a record can be, and none holds a NUL byte: an endless
// or binary input is refused at its first line, before memory or time run out.
TEST_F(StatsInputTest, RefusesALineNoRecordCanBeAndBinaryInput) {
  folder.write("long.txt", std::string(carRecord) + "\n" + std::string(3u << 20, 'x') + "\n");
  ProgramRun run = stats("long.txt");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.errors,
            "error: the stream \"long.txt\" line 2 is longer than 4096 characters; "
            "accepted: records of velmora, one a line\n");
  folder.write("nul.txt", std::string(carRecord) + "\n" + std::string(20, '\0') + "\n");
  run = stats("nul.txt");
  EXPECT_EQ(run.status, 2);
  EXPECT_EQ(run.errors,
            "error: the stream \"nul.txt\" line 2 holds a NUL byte: no text; "
            "accepted: records of velmora, one a line\n");
}

}  // namespace

// Outputs are checked before anything is written, replace an earlier file only when whole,
// and write into devices instead of replacing them.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "cli/OutputFile.h"
#include "support/TestFolder.h"

namespace {

namespace fs = std::filesystem;

class OutputFileTest : public ::testing::Test {
 protected:
  bool check(const std::string& path) { return checkOutputs({{"-o", path}}, {"in.txt"}, &error); }

  TestFolder folder;
  std::string error;
};

TEST_F(OutputFileTest, ChecksEveryOutputBeforeAnythingIsWritten) {
  folder.write("in.txt", "input\n");
  fs::create_directory("out");
  fs::create_symlink("in.txt", "link.txt");
  const struct {
    std::string path;
    std::string error;
  } cases[] = {
      {"", "-o is \"\", an empty name; accepted: a file name"},
      {"out", "-o is \"out\", a folder; accepted: a file"},
      {"missing/x.csv",
       "-o is \"missing/x.csv\", in the folder \"missing\", which does not exist; "
       "accepted: a file in a folder that exists"},
      {"./in.txt",
       "-o is \"./in.txt\", which is the run's input in.txt; accepted: a file that is not "
       "one of the run's inputs"},
      {"link.txt",
       "-o is \"link.txt\", which is the run's input in.txt; accepted: a file that is not "
       "one of the run's inputs"},
      {"a\tb",
       "-o is \"a\tb\", a name with a control character; accepted: a file name of "
       "printable characters"},
  };
  for (const auto& c : cases) {
    EXPECT_FALSE(check(c.path)) << c.path;
    EXPECT_EQ(error, c.error);
  }
  EXPECT_TRUE(check("out/new.csv")) << error;
  EXPECT_TRUE(check("/dev/null")) << error;
  EXPECT_FALSE(checkOutputs({{"--csv", "t.csv"}, {"--svg", "./t.csv"}}, {}, &error));
  EXPECT_EQ(error,
            "--svg is \"./t.csv\", the same file as --csv; accepted: a file of its own for "
            "each output");
  EXPECT_TRUE(checkOutputs({{"--csv", "/dev/null"}, {"--svg", "/dev/null"}}, {}, &error)) << error;
  EXPECT_EQ(folder.read("in.txt"), "input\n");
}

TEST_F(OutputFileTest, AnEarlierFileStaysUntilTheNewOneIsWhole) {
  folder.write("out.csv", "earlier\n");
  {
    OutputFile output("-o", "out.csv");
    ASSERT_TRUE(output.open(&error)) << error;
    output.stream() << "new\n";
    EXPECT_EQ(folder.read("out.csv"), "earlier\n");
    // Never committed: the partial file goes, the earlier one stays.
  }
  EXPECT_EQ(folder.read("out.csv"), "earlier\n");
  EXPECT_FALSE(fs::exists("out.csv.partial"));
  OutputFile output("-o", "out.csv");
  ASSERT_TRUE(output.open(&error)) << error;
  output.stream() << "new\n";
  ASSERT_TRUE(output.commit(&error)) << error;
  EXPECT_EQ(folder.read("out.csv"), "new\n");
  EXPECT_FALSE(fs::exists("out.csv.partial"));
}

TEST_F(OutputFileTest, ALinkKeepsPointingAtTheNewFile) {
  folder.write("real.csv", "earlier\n");
  fs::create_symlink("real.csv", "link.csv");
  OutputFile output("-o", "link.csv");
  ASSERT_TRUE(output.open(&error)) << error;
  output.stream() << "new\n";
  ASSERT_TRUE(output.commit(&error)) << error;
  EXPECT_TRUE(fs::is_symlink("link.csv"));
  EXPECT_EQ(folder.read("real.csv"), "new\n");
}

TEST_F(OutputFileTest, DevicesAreWrittenIntoAndAFullOneIsAnError) {
  OutputFile null("-o", "/dev/null");
  ASSERT_TRUE(null.open(&error)) << error;
  null.stream() << "nothing\n";
  ASSERT_TRUE(null.commit(&error)) << error;
  struct stat info;
  ASSERT_EQ(::stat("/dev/null", &info), 0);
  EXPECT_TRUE(S_ISCHR(info.st_mode));
  EXPECT_FALSE(fs::exists("/dev/null.partial"));

  OutputFile full("-o", "/dev/full");
  ASSERT_TRUE(full.open(&error)) << error;
  full.stream() << std::string(1 << 16, 'x');
  EXPECT_FALSE(full.commit(&error));
  EXPECT_EQ(error, "cannot write \"/dev/full\" (-o): No space left on device");
}

}  // namespace

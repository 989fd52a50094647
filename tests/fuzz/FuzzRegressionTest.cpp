// Every input the fuzzer has ever found, and the seeds of its corpus, run through the same
// harness: none may crash, hang or trip a sanitizer.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "fuzz/FuzzHarness.h"
#include "support/TestFolder.h"

namespace {

std::vector<std::uint8_t> bytesOf(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  std::string bytes = text.str();
  return std::vector<std::uint8_t>(bytes.begin(), bytes.end());
}

TEST(FuzzRegressionTest, KnownInputsRunCleanly) {
  std::vector<std::filesystem::path> inputs;
  for (const auto& entry : std::filesystem::directory_iterator(VELMORA_FUZZ_REGRESSIONS)) {
    inputs.push_back(entry.path());
  }
  ASSERT_FALSE(inputs.empty());
  TestFolder folder;
  for (const auto& input : inputs) {
    std::vector<std::uint8_t> bytes = bytesOf(input);
    testing::internal::CaptureStdout();
    EXPECT_EQ(runFuzzInput(bytes.data(), bytes.size()), 0) << input;
    testing::internal::GetCapturedStdout();
  }
}

}  // namespace

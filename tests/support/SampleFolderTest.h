// A test in a scratch copy of the sample run folder, with an earlier output file in place
// and helpers to change the parameters and site files one line at a time.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/TestFolder.h"

class SampleFolderTest : public ::testing::Test {
 protected:
  static constexpr const char* earlierOutput = "an earlier run's records\n";

  void SetUp() override { restoreSample(); }

  // The 13 value lines of the sample's default run for one day.
  static std::vector<std::string> defaultValues();
  // Writes values, one a line, as "VLMin.txt", after head.
  void writeParameters(const std::vector<std::string>& values, const std::string& head = "") const;
  // The lines of the sample's site file (below Traffic/), to change and write back.
  std::vector<std::string> siteLines(const std::string& file) const;
  void writeSite(const std::string& file, const std::vector<std::string>& lines) const;
  // The sample's files as they were, and the earlier output file.
  void restoreSample() const;

  TestFolder folder;
};

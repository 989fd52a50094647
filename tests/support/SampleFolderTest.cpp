#include "support/SampleFolderTest.h"

#include <sstream>

std::vector<std::string> SampleFolderTest::defaultValues() {
  return {"TrafOut.txt", "50.0", "1", "2", "2", "2000", "1", "1", "5.0", "30", "0.05", "6", "0.8"};
}

void SampleFolderTest::writeParameters(const std::vector<std::string>& values,
                                       const std::string& head) const {
  std::string text = head;
  for (const std::string& value : values) {
    text += value + "\n";
  }
  folder.write("VLMin.txt", text);
}

std::vector<std::string> SampleFolderTest::siteLines(const std::string& file) const {
  std::vector<std::string> lines;
  std::istringstream in(folder.read("Traffic/" + file));
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line);
  }
  return lines;
}

void SampleFolderTest::writeSite(const std::string& file,
                                 const std::vector<std::string>& lines) const {
  std::string text;
  for (const std::string& line : lines) {
    text += line + "\n";
  }
  folder.write("Traffic/" + file, text);
}

void SampleFolderTest::restoreSample() const {
  folder.copyFrom(VELMORA_SAMPLE_DIR);
  folder.write("TrafOut.txt", earlierOutput);
}

// A fresh temporary folder that becomes the working directory for the life of the object,
// with helpers to write the files of a run folder into it.
#pragma once

#include <string>

class TestFolder {
 public:
  TestFolder();
  ~TestFolder();
  TestFolder(const TestFolder&) = delete;
  TestFolder& operator=(const TestFolder&) = delete;

  const std::string& path() const { return folder; }
  // Writes text to relativePath, creating its parent folders.
  void write(const std::string& relativePath, const std::string& text) const;
  // Copies every file under source into this folder, keeping the relative layout.
  void copyFrom(const std::string& source) const;
  // The whole content of relativePath ("" when missing).
  std::string read(const std::string& relativePath) const;

 private:
  std::string folder;
  std::string previous;
};

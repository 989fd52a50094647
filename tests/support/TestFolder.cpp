#include "support/TestFolder.h"

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace fs = std::filesystem;

TestFolder::TestFolder() : previous(fs::current_path().string()) {
  std::string pattern = (fs::temp_directory_path() / "velmora-test-XXXXXX").string();
  folder = mkdtemp(pattern.data());
  fs::current_path(folder);
}

TestFolder::~TestFolder() {
  fs::current_path(previous);
  std::error_code ignored;
  fs::remove_all(folder, ignored);
}

void TestFolder::write(const std::string& relativePath, const std::string& text) const {
  fs::path target = fs::path(folder) / relativePath;
  fs::create_directories(target.parent_path());
  std::ofstream(target, std::ios::binary) << text;
}

void TestFolder::copyFrom(const std::string& source) const {
  fs::copy(source, folder, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
}

std::string TestFolder::read(const std::string& relativePath) const {
  std::ifstream in(fs::path(folder) / relativePath, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// libFuzzer entry point: arbitrary bytes as a run folder's parameter and site files.
#include <cstdio>
#include <filesystem>

#include "fuzz/FuzzHarness.h"

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  auto folder = std::filesystem::temp_directory_path() / "velmora-fuzz";
  std::filesystem::create_directories(folder);
  std::filesystem::current_path(folder);
  if (std::freopen("/dev/null", "w", stdout) == nullptr) {
    return 1;
  }
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  return runFuzzInput(data, size);
}

#include "fuzz/FuzzHarness.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "base/text/NativePath.h"
#include "data/TrafficDataLoader.h"
#include "random/RandomGenerator.h"
#include "record/VehicleWriter.h"
#include "run/LaneMerge.h"
#include "run/Run.h"
#include "run/RunConfig.h"
#include "traffic/DrawLimit.h"

namespace {

constexpr long fuzzRejectionLimit = 20000;
constexpr int fuzzVehicles = 300;
const char* const siteFiles[] = {"AW2&3.csv",  "AW4&5.csv", "ASall.csv", "Class%.csv",
                                 "GVWpdf.csv", "FlowR.csv", "NHM.csv"};

std::vector<std::string> splitAtZeros(const std::uint8_t* data, std::size_t size) {
  std::vector<std::string> parts(1);
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] == 0) {
      parts.emplace_back();
    } else {
      parts.back().push_back(static_cast<char>(data[i]));
    }
  }
  return parts;
}

void writeFile(const std::string& path, const std::string& text) {
  std::filesystem::create_directories(std::filesystem::path(path).parent_path().empty()
                                          ? "."
                                          : std::filesystem::path(path).parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

// Only a plain file name in the working folder may be written.
bool isPlainName(const std::string& name) {
  return !name.empty() && name.find_first_of("/\\") == std::string::npos && name[0] != '.';
}

// A few hundred vehicles of the run, written to the run's output file.
void generate(const RunConfig& config, const LaneSet& set) {
  std::vector<LaneFlowGenerator*> lanes = set.laneList();
  std::ofstream file(config.outputFile, std::ios::binary);
  VehicleWriter writer(file, std::min(config.bufferSize, 100));
  int handedOver = 0;
  std::string drawFailure;  // a failed draw ends the merge like the run's
  mergeLanes(
      lanes, Vehicle::latestTime,
      [&](std::unique_ptr<Vehicle> vehicle) {
        writer.add(std::move(vehicle));
        return ++handedOver < fuzzVehicles;
      },
      &drawFailure);
  writer.flush();
  writer.finish();
}

}  // namespace

int runFuzzInput(const std::uint8_t* data, std::size_t size) {
  std::error_code ignored;
  std::filesystem::remove_all("Traffic", ignored);
  std::vector<std::string> parts = splitAtZeros(data, size);
  std::remove("VLMin.txt");
  if (!parts.empty()) {
    writeFile("VLMin.txt", parts[0]);
  }
  RunConfig config;
  std::string ignoredError;
  config.readFile("VLMin.txt", &ignoredError);
  if (!isPlainName(config.outputFile)) {
    return 0;
  }
  TrafficDataLoader folders(config.vehicleSite, config.flowSite);
  for (std::size_t i = 0; i < 7 && i + 1 < parts.size(); ++i) {
    const std::string& folder =
        i < 5 ? folders.getVehicleFolderPath() : folders.getFlowFolderPath();
    writeFile(nativePath(folder + siteFiles[i]), parts[i + 1]);
  }
  RandomGenerator::seedWithWord(1u);
  RandomGenerator::clearNormalCache();
  RunConfig runParameters;
  RunOptions options;
  options.drawLimit = fuzzRejectionLimit;
  LaneSet set;
  std::string error;
  if (setUpRun(runParameters, options, set, &error) && set.drawFailure().empty()) {
    generate(runParameters, set);
  }
  return 0;
}

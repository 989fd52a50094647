#include "run/RunConfig.h"

#include <array>
#include <cmath>
#include <utility>

#include "base/text/NumberText.h"
#include "cli/OutputFile.h"
#include "data/RunFolderFiles.h"
#include "traffic/DrawnQuantity.h"

RunConfig runConfig;

namespace {

// The parameters in file order, as messages name them.
constexpr std::array<const char*, 13> parameterNames = {
    "outputFile", "catchUpLength", "days",       "vehicleSite", "flowSite",
    "bufferSize", "lanesDir1",     "lanesDir2",  "gapDistance", "speed",
    "gapCv",      "trafficModel",  "carFraction"};

// "days (value line 3)".
std::string parameter(int valueLine) {
  return std::string(parameterNames[static_cast<std::size_t>(valueLine - 1)]) + " (value line " +
         std::to_string(valueLine) + ")";
}

std::string refusal(const std::string& parameter, const std::string& found,
                    const std::string& accepted) {
  return "the run parameter " + parameter + " is " + found + "; accepted: " + accepted;
}

std::string refusal(int valueLine, const std::string& found, const std::string& accepted) {
  return refusal(parameter(valueLine), found, accepted);
}

}  // namespace

RunConfig::RunConfig() : commentMarker("//") {
  setDefaults();
}

bool RunConfig::readFile(const std::string& fileName, std::string* error) {
  error->clear();
  if (!reader.open(fileName, ",")) {
    if (!reader.notFound()) {
      *error = "cannot read the parameter file \"" + fileName + "\": " + reader.problem();
    }
    return false;
  }
  readError.clear();
  readParameters();
  if (!reader.problem().empty()) {
    *error = "cannot read the parameter file \"" + fileName + "\": " + reader.problem();
  } else {
    *error = readError;
  }
  reader.close();
  return error->empty();
}

void RunConfig::setDefaults() {
  outputFile = run_folder_files::defaultOutput;
  catchUpLength = defaultCatchUpLength;
  days = 2;
  vehicleSite = 2;
  flowSite = 2;
  bufferSize = 2000;
  lanesDir1 = 1;
  lanesDir2 = 1;
  gapDistance = 5.0;
  speed = 30.0 * kmhToMetresPerSecond;
  gapCv = 0.05;
  trafficModel = 6;
  carFraction = 0.8;
  computeDerived();
}

void RunConfig::computeDerived() {
  // Wraps instead of overflowing; such lane counts are refused by findProblem.
  totalLanes =
      static_cast<int>(static_cast<unsigned>(lanesDir1) + static_cast<unsigned>(lanesDir2));
  meanGapTime = gapDistance / speed;
}

TrafficParameters RunConfig::trafficParameters() const {
  return {model(), catchUpLength, speed, meanGapTime, gapCv};
}

bool RunConfig::isUsable(std::string* error) const {
  *error = findProblem();
  return error->empty();
}

std::string RunConfig::findProblem() const {
  const std::pair<int, double> reals[] = {
      {2, catchUpLength}, {9, gapDistance}, {10, speed}, {11, gapCv}, {13, carFraction}};
  const bool congested = model().isCongested();
  if (outputFile.empty()) {
    return refusal(1, "empty", "a file name");
  }
  if (hasControlCharacter(outputFile)) {
    return refusal(1, "a name with a control character", "a file name of printable characters");
  }
  for (auto [valueLine, value] : reals) {
    if (!std::isfinite(value)) {
      return refusal(valueLine, numberText(value), "a finite number");
    }
  }
  if (catchUpLength < 0 || catchUpLength > maxDistance) {
    return refusal(2, numberText(catchUpLength) + " m", "0 to 10000 m");
  }
  if (days > maxDays) {
    return refusal(3, std::to_string(days),
                   "at most " + std::to_string(maxDays) + " (0 or less: no records)");
  }
  if (bufferSize < 1) {
    return refusal(6, std::to_string(bufferSize), "1 or more");
  }
  if (lanesDir1 < 0 || lanesDir2 < 0) {
    bool first = lanesDir1 < 0;
    return refusal(first ? 7 : 8, std::to_string(first ? lanesDir1 : lanesDir2), "0 or more");
  }
  long long lanes = static_cast<long long>(lanesDir1) + lanesDir2;
  if (lanes < 1 || lanes > maxLanes) {
    return refusal("lanesDir1 + lanesDir2 (value lines 7 and 8)", std::to_string(lanes),
                   "1 to " + std::to_string(maxLanes) + " lanes in all");
  }
  if (carFraction < 0 || carFraction > 1 || (carFraction == 1 && !congested)) {
    return refusal(13, numberText(carFraction),
                   congested ? "0 to 1" : "0 or more and below 1 (1 only under traffic model 5)");
  }
  return congestedProblem(congested, "under traffic model 5");
}

bool RunConfig::suitsJams(std::string* error) const {
  *error = congestedProblem(true, "with --jams");
  return error->empty();
}

std::string RunConfig::congestedProblem(bool congested, const std::string& when) const {
  double speedKmh = speed / kmhToMetresPerSecond;
  if ((congested && speed <= 0) || speedKmh > maxSpeedKmh) {
    return refusal(10, numberText(speedKmh) + " km/h",
                   congested ? "above 0 and at most 300 km/h " + when : "at most 300 km/h");
  }
  if ((congested && gapDistance < 0) || gapDistance > maxDistance) {
    return refusal(9, numberText(gapDistance) + " m",
                   congested ? "0 to 10000 m " + when : "at most 10000 m");
  }
  if ((congested && gapCv < 0) || gapCv > maxGapCv) {
    return refusal(11, numberText(gapCv), congested ? "0 to 10 " + when : "at most 10");
  }
  return "";
}

void RunConfig::readParameters() {
  outputFile = nextValueLine();
  catchUpLength = nextReal(2);
  days = nextInteger(3);
  vehicleSite = nextInteger(4);
  flowSite = nextInteger(5);
  bufferSize = nextInteger(6);
  lanesDir1 = nextInteger(7);
  lanesDir2 = nextInteger(8);
  gapDistance = nextReal(9);
  speed = nextReal(10);
  gapCv = nextReal(11);
  trafficModel = nextInteger(12);
  carFraction = nextReal(13);
  speed = speed * kmhToMetresPerSecond;
  computeDerived();
}

std::string RunConfig::nextValueLine() {
  std::string text;
  do {
    reader.readLine(text);
  } while (text.compare(0, commentMarker.size(), commentMarker) == 0);
  return text;
}

double RunConfig::nextReal(int valueLine) {
  std::string text = nextValueLine();
  double value = 0.0;
  if (!CsvReader::parseDouble(text, &value)) {
    noteUnreadable(valueLine, text, "a number");
  }
  return value;
}

int RunConfig::nextInteger(int valueLine) {
  std::string text = nextValueLine();
  int value = 0;
  if (!CsvReader::parseInt(text, &value)) {
    noteUnreadable(valueLine, text, "a whole number from -2147483648 to 2147483647");
  }
  return value;
}

void RunConfig::noteUnreadable(int valueLine, const std::string& text, const char* accepted) {
  if (readError.empty()) {
    readError = refusal(valueLine, "\"" + text.substr(0, 40) + "\"", accepted);
  }
}

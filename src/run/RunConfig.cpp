#include "run/RunConfig.h"

#include <cmath>
#include <sstream>
#include <utility>

RunConfig runConfig;

RunConfig::RunConfig() : commentMarker("//") {
  setDefaults();
}

bool RunConfig::readFile(const std::string& fileName) {
  if (!reader.open(fileName, ",")) {
    return false;
  }
  readParameters();
  return true;
}

void RunConfig::setDefaults() {
  outputFile = "TrafOut.txt";
  catchUpLength = 50.0;
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

namespace {

std::string number(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

std::string refusal(const char* parameter, const std::string& found, const char* accepted) {
  return std::string("error: the run parameter ") + parameter + " is " + found +
         "; accepted: " + accepted;
}

}  // namespace

std::string RunConfig::findProblem() const {
  const std::pair<const char*, double> reals[] = {{"catchUpLength (value line 2)", catchUpLength},
                                                  {"gapDistance (value line 9)", gapDistance},
                                                  {"speed (value line 10)", speed},
                                                  {"gapCv (value line 11)", gapCv},
                                                  {"carFraction (value line 13)", carFraction}};
  const bool congested = trafficModel == 5;
  if (outputFile.empty()) {
    return refusal("outputFile (value line 1)", "empty", "a file name");
  }
  for (auto [name, value] : reals) {
    if (!std::isfinite(value)) {
      return refusal(name, number(value), "a finite number");
    }
  }
  if (catchUpLength < 0) {
    return refusal("catchUpLength (value line 2)", number(catchUpLength), "0 m or more");
  }
  if (days > maxDays) {
    return refusal("days (value line 3)", std::to_string(days),
                   "at most 24855 (0 or less: no records)");
  }
  if (bufferSize < 1) {
    return refusal("bufferSize (value line 6)", std::to_string(bufferSize), "1 or more");
  }
  if (lanesDir1 < 0 || lanesDir2 < 0) {
    bool first = lanesDir1 < 0;
    return refusal(first ? "lanesDir1 (value line 7)" : "lanesDir2 (value line 8)",
                   std::to_string(first ? lanesDir1 : lanesDir2), "0 or more");
  }
  long long lanes = static_cast<long long>(lanesDir1) + lanesDir2;
  if (lanes < 1 || lanes > maxLanes) {
    return refusal("lanesDir1 + lanesDir2 (value lines 7 and 8)", std::to_string(lanes),
                   "1 to 100 lanes in all");
  }
  if (carFraction < 0 || carFraction > 1 || (carFraction == 1 && !congested)) {
    return refusal("carFraction (value line 13)", number(carFraction),
                   congested ? "0 to 1" : "0 or more and below 1 (1 only under traffic model 5)");
  }
  if (congested && speed <= 0) {
    return refusal("speed (value line 10)", number(speed / kmhToMetresPerSecond) + " km/h",
                   "above 0 under traffic model 5");
  }
  if (congested && gapDistance < 0) {
    return refusal("gapDistance (value line 9)", number(gapDistance),
                   "0 m or more under traffic model 5");
  }
  if (congested && gapCv < 0) {
    return refusal("gapCv (value line 11)", number(gapCv), "0 or more under traffic model 5");
  }
  return "";
}

void RunConfig::readParameters() {
  outputFile = nextValueLine();
  catchUpLength = nextReal();
  days = nextInteger();
  vehicleSite = nextInteger();
  flowSite = nextInteger();
  bufferSize = nextInteger();
  lanesDir1 = nextInteger();
  lanesDir2 = nextInteger();
  gapDistance = nextReal();
  speed = nextReal();
  gapCv = nextReal();
  trafficModel = nextInteger();
  carFraction = nextReal();
  speed = speed * kmhToMetresPerSecond;
  reader.close();
  computeDerived();
}

std::string RunConfig::nextValueLine() {
  std::string text;
  do {
    reader.readLine(text);
  } while (text.compare(0, commentMarker.size(), commentMarker) == 0);
  return text;
}

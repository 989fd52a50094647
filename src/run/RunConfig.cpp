#include "run/RunConfig.h"

RunConfig runConfig;

RunConfig::RunConfig() : commentMarker("//") { setDefaults(); }

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
  totalLanes = lanesDir1 + lanesDir2;
  meanGapTime = gapDistance / speed;
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

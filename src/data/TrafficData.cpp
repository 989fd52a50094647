#include "data/TrafficData.h"

namespace {

std::size_t at(int index) {
  return static_cast<std::size_t>(index);
}

}  // namespace

const MixtureList& TrafficData::spacingList(int axles) const {
  switch (axles) {
    case 2:
      return spacings2;
    case 3:
      return spacings3;
    case 4:
      return spacings4;
    default:
      return spacings5;
  }
}

const NormalMixture& TrafficData::getSpacingMixture(int axles, int spacingIndex) const {
  return spacingList(axles)[at(spacingIndex)];
}

const NormalMixture& TrafficData::getAxleWeightMixture(int axles, int axleIndex) const {
  return (axles == 2 ? axleWeights2 : axleWeights3)[at(axleIndex)];
}

AxleWeightRow TrafficData::getAxleWeightRow(int axles, int row) const {
  const BandRow& band = (axles == 4 ? axleWeightRows4 : axleWeightRows5)[at(tableBandRow(row))];
  return {band[0].mean, band[1].mean, band[2].mean, band[0].stdDev, band[1].stdDev, band[2].stdDev};
}

const NormalMixture& TrafficData::getGrossWeightMixture(int direction, int axles) const {
  return (direction == 1 ? grossWeightsDir1 : grossWeightsDir2)[at(axles - 2)];
}

const NormalMixture& TrafficData::getSpeedMixture(int direction) const {
  return speeds[direction == 1 ? 0 : 1];
}

void TrafficData::setGrossWeights(const MixtureList& list, int direction) {
  (direction == 1 ? grossWeightsDir1 : grossWeightsDir2) = list;
}

void TrafficData::setAxleWeightRow(const AxleWeightRow& values, int axles, int row) {
  BandRow& band = (axles == 4 ? axleWeightRows4 : axleWeightRows5)[at(row)];
  for (std::size_t group = 0; group < band.size(); ++group) {
    band[group] = {values[group], values[group + 3]};
  }
}

void TrafficData::setClassShare(int row, int axles, double value) {
  if (row >= classShareRowCount) {
    classShareRows.push_back({0.0, 0.0, 0.0, 0.0});
    ++classShareRowCount;
  }
  classShareRows[at(row)][at(axles - 2)] = value;
}

void TrafficData::setFolderPaths(const std::string& vehicleFolder, const std::string& flowFolder) {
  vehicleFolderPath = vehicleFolder;
  flowFolderPath = flowFolder;
}

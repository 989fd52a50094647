#include "data/TrafficData.h"

#include <algorithm>

namespace {

std::size_t at(int index) {
  return static_cast<std::size_t>(index);
}

}  // namespace

const MixtureList& TrafficData::spacingList(int axles) const {
  if (axles >= firstHeavyAxles) {
    return heavyClass(axles).spacings;
  }
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
  if (axles >= firstHeavyAxles) {
    return heavyClass(axles).grossWeights[direction == 1 ? 0 : 1];
  }
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

TrafficData::AxleStats TrafficData::getHeavyAxleWeight(int axles, int row, int axleIndex) const {
  int lastRow = heavyBandRowCount - 1;
  return heavyClass(axles).bandRows[at(row > lastRow ? lastRow : row)][at(axleIndex)];
}

void TrafficData::addClassShareRowsTo(int row) {
  if (classShareRows.size() <= at(row)) {
    classShareRows.resize(at(row) + 1, ClassShares{});
  }
}

void TrafficData::setClassShare(int row, int axles, double value) {
  addClassShareRowsTo(row);
  classShareRows[at(row)][at(axles - minTruckAxles)] = value;
  classShareRowCount = std::max(classShareRowCount, row + 1);
}

void TrafficData::setHeavyShare(int row, int axles, double value) {
  addClassShareRowsTo(row);
  classShareRows[at(row)][at(axles - minTruckAxles)] = value;
  heavyShareLaneCount = std::max(heavyShareLaneCount, row + 1);
  heavyTrucksGiven = true;
}

void TrafficData::setHeavyGrossWeights(int axles, const MixtureList& list) {
  heavyClass(axles).grossWeights = list;
  heavyTrucksGiven = true;
}

void TrafficData::setHeavySpacings(int axles, const MixtureList& list) {
  heavyClass(axles).spacings = list;
  heavyTrucksGiven = true;
}

void TrafficData::setHeavyBandRow(int axles, int row, const HeavyBandRow& values) {
  heavyClass(axles).bandRows[at(row)] = values;
  heavyTrucksGiven = true;
}

void TrafficData::setFolderPaths(const std::string& vehicleFolder, const std::string& flowFolder) {
  vehicleFolderPath = vehicleFolder;
  flowFolderPath = flowFolder;
}

#include "traffic/DrawnQuantity.h"

#include "base/text/NumberText.h"
#include "data/TrafficData.h"

namespace {

constexpr double bandOrigin = 25.0;
constexpr double bandWidth = 50.0;
constexpr double heavyBandWidth = 100.0;
constexpr int lastHeavyRow = TrafficData::heavyBandRowCount - 1;

}  // namespace

std::string rangeText(const AcceptedRange& range) {
  return "[" + numberText(range.low) + ", " + numberText(range.high) + "]";
}

std::string trucksText(int axles) {
  return std::to_string(axles) + "-axle trucks";
}

std::string grossWeightText(int axles, int direction) {
  return "the gross weight of " + trucksText(axles) + " in direction " + std::to_string(direction);
}

std::string axleSpacingText(int axles, int spacingIndex) {
  return "spacing " + std::to_string(spacingIndex + 1) + " of " + trucksText(axles);
}

std::string axleWeightText(int axles, int axleIndex) {
  return "the weight of axle " + std::to_string(axleIndex + 1) + " of " + trucksText(axles);
}

std::string axleGroupText(int axles, int groupIndex, int bandRow) {
  return "the weight of axle group " + std::to_string(groupIndex + 1) + " of " + trucksText(axles) +
         " in band row " + std::to_string(TrafficData::tableBandRow(bandRow));
}

std::string heavyAxleText(int axles, int axleIndex, int bandRow) {
  return axleWeightText(axles, axleIndex) + " in band row " +
         std::to_string(bandRow > lastHeavyRow ? lastHeavyRow : bandRow);
}

int bandRowOf(double grossWeight) {
  return 1 - static_cast<int>((grossWeight - bandOrigin) * -0.02);
}

AcceptedRange grossWeightsOfBandRow(int row) {
  int lastRow = TrafficData::bandRowCount - 1;
  double low = row == 1 ? grossWeightRange.low : bandWidth * row - bandOrigin;
  double high = row == lastRow ? grossWeightRange.high : bandWidth * row + bandOrigin;
  return {low, high};
}

int heavyBandRowOf(double grossWeight) {
  int row = static_cast<int>((grossWeight + heavyBandWidth / 2) / heavyBandWidth);
  return row > lastHeavyRow ? lastHeavyRow : row;
}

AcceptedRange grossWeightsOfHeavyBandRow(int row) {
  double low = row == 0 ? heavyGrossWeightRange.low : heavyBandWidth * row - heavyBandWidth / 2;
  double high =
      row == lastHeavyRow ? heavyGrossWeightRange.high : heavyBandWidth * row + heavyBandWidth / 2;
  return {low, high};
}

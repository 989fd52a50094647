// The traffic model a run selects, by the number the parameter file gives it: 0 draws
// headways from the site's headway table, 5 is congested traffic at constant speed with
// cars, 6 free flow with cars, and any other number free flow with trucks only.
#pragma once

class TrafficModel {
 public:
  static constexpr int headwayTableCode = 0;
  static constexpr int congestedCode = 5;
  static constexpr int freeFlowWithCarsCode = 6;

  constexpr explicit TrafficModel(int fileCode) : code(fileCode) {}

  constexpr int fileCode() const { return code; }
  // Headways from "NHM.csv", which only this model reads.
  constexpr bool usesHeadwayTable() const { return code == headwayTableCode; }
  // Constant speed and gap times instead of the site's speeds and hourly flows.
  constexpr bool isCongested() const { return code == congestedCode; }
  constexpr bool hasCars() const { return code == congestedCode || code == freeFlowWithCarsCode; }

 private:
  int code;
};

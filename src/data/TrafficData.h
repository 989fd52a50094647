// The tables of one site plus the run's car fraction: a plain value type, copied whole into
// every lane's vehicle generator. Mixtures are handed out as read-only references to the
// data's own; class-share rows and band rows are fixed-size copies, so the per-vehicle
// accessors never touch the heap.
// Trucks have 2 to 5 axles, and 6 to 9 when the site gives the optional heavy-truck table.
// Accessors do not check their arguments: callers keep axles in 2..9 and indexes in range.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "random/NormalMixture.h"

using MixtureList = std::vector<NormalMixture>;
constexpr int minTruckAxles = 2;
constexpr int maxTruckAxles = 9;
constexpr int firstHeavyAxles = 6;  // trucks from 6 axles come from the heavy-truck table
constexpr int truckClassCount = maxTruckAxles - minTruckAxles + 1;
constexpr int heavyClassCount = maxTruckAxles - firstHeavyAxles + 1;
using ClassShares = std::array<double, truckClassCount>;  // % of 2- to 9-axle trucks
using AxleWeightRow = std::array<double, 6>;  // means of groups 1..3, then their deviations
using Table = std::vector<std::vector<double>>;

class TrafficData {
 public:
  static constexpr int bandRowCount = 12;       // rows 0 .. 11 of "AW4&5.csv"; row 0 is never used
  static constexpr int hoursPerDay = 24;        // hourly flows of a lane
  static constexpr int heavyBandRowCount = 16;  // band rows of the heavy-truck table

  // The mean and standard deviation of one axle's weight in a heavy truck's band row.
  struct AxleStats {
    double mean = 0.0;
    double stdDev = 0.0;
  };
  using HeavyBandRow = std::array<AxleStats, maxTruckAxles>;  // by axle index

  // The table row that band row `row` reads: rows above the last read the last.
  static constexpr int tableBandRow(int row) {
    return row > bandRowCount - 1 ? bandRowCount - 1 : row;
  }

  TrafficData() = default;
  TrafficData(const TrafficData&) = default;
  TrafficData(TrafficData&&) = default;
  TrafficData& operator=(const TrafficData&) = default;
  TrafficData& operator=(TrafficData&&) = default;
  virtual ~TrafficData() = default;

  double getCarFraction() const { return carFraction; }
  // Spacing spacingIndex (0: behind axle 1) of trucks with `axles` axles (2..9).
  const NormalMixture& getSpacingMixture(int axles, int spacingIndex) const;
  // Axle axleIndex of 2-axle trucks when axles is 2, else of 3-axle trucks.
  const NormalMixture& getAxleWeightMixture(int axles, int axleIndex) const;
  // Band row of 4-axle trucks when axles is 4, else of 5-axle trucks; rows above 11 read 11
  // (tableBandRow).
  AxleWeightRow getAxleWeightRow(int axles, int row) const;
  // Direction 1 when direction is 1, else direction 2; axles 2..9.
  const NormalMixture& getGrossWeightMixture(int direction, int axles) const;
  // Speed in dm/s of direction 1 when direction is 1, else of direction 2.
  const NormalMixture& getSpeedMixture(int direction) const;
  ClassShares getClassShares(int laneIndex) const {
    return classShareRows[static_cast<std::size_t>(laneIndex)];
  }
  // Axle axleIndex of trucks with `axles` axles (6..9) in heavy band row `row`; rows above
  // the last read the last.
  AxleStats getHeavyAxleWeight(int axles, int row, int axleIndex) const;
  // Whether the site gave the heavy-truck table, and how many lanes its shares cover.
  bool hasHeavyTrucks() const { return heavyTrucksGiven; }
  int getHeavyShareLaneCount() const { return heavyShareLaneCount; }
  Table getHeadwayRows() const { return headwayRows; }
  // The 24 hourly flows (vehicles per hour) of laneIndex, hour 0 first.
  std::vector<double> laneFlows(int laneIndex) const {
    return laneFlowTable[static_cast<std::size_t>(laneIndex)];
  }
  int getClassShareRowCount() const { return classShareRowCount; }
  int getLaneFlowCount() const { return static_cast<int>(laneFlowTable.size()); }
  // The data root's paths of the folders the tables came from (empty when built in memory).
  std::string getVehicleFolderPath() const { return vehicleFolderPath; }
  std::string getFlowFolderPath() const { return flowFolderPath; }

  void setCarFraction(double value) { carFraction = value; }
  void setSpacings2(const MixtureList& list) { spacings2 = list; }
  void setSpacings3(const MixtureList& list) { spacings3 = list; }
  void setSpacings4(const MixtureList& list) { spacings4 = list; }
  void setSpacings5(const MixtureList& list) { spacings5 = list; }
  void setAxleWeights2(const MixtureList& list) { axleWeights2 = list; }
  void setAxleWeights3(const MixtureList& list) { axleWeights3 = list; }
  void setGrossWeights(const MixtureList& list, int direction);
  void setSpeeds(const MixtureList& list) { speeds = list; }
  // values in file order (means of groups 1..3, then deviations); row 0..11.
  void setAxleWeightRow(const AxleWeightRow& values, int axles, int row);
  // Lane row's share of axles (2..5, from "Class%.csv"); rows are added as needed, with
  // zeros.
  void setClassShare(int row, int axles, double value);
  // The heavy-truck table's share of axles (6..9) on lane row; rows are added as for
  // setClassShare, without counting as class-share rows. Marks the table as given.
  void setHeavyShare(int row, int axles, double value);
  // Gross weights (direction 1, direction 2), spacings and band rows of axles (6..9).
  void setHeavyGrossWeights(int axles, const MixtureList& list);
  void setHeavySpacings(int axles, const MixtureList& list);
  void setHeavyBandRow(int axles, int row, const HeavyBandRow& values);
  void setHeadwayRows(const Table& table) { headwayRows = table; }
  void setLaneFlowTable(const Table& table) { laneFlowTable = table; }
  void setFolderPaths(const std::string& vehicleFolder, const std::string& flowFolder);

 private:
  struct GroupStats {
    double mean = 0.0;
    double stdDev = 0.0;
  };
  using BandRow = std::array<GroupStats, 3>;  // first axle, second axle, rear group
  using BandTable = std::array<BandRow, bandRowCount>;

  // The heavy-truck table's part for one class.
  struct HeavyClass {
    MixtureList grossWeights;  // direction 1, direction 2
    MixtureList spacings;
    std::array<HeavyBandRow, heavyBandRowCount> bandRows = {};
  };

  const MixtureList& spacingList(int axles) const;
  const HeavyClass& heavyClass(int axles) const {
    return heavyClasses[static_cast<std::size_t>(axles - firstHeavyAxles)];
  }
  HeavyClass& heavyClass(int axles) {
    return heavyClasses[static_cast<std::size_t>(axles - firstHeavyAxles)];
  }
  void addClassShareRowsTo(int row);

  double carFraction = 0.0;
  MixtureList spacings2;
  MixtureList spacings3;
  MixtureList spacings4;
  MixtureList spacings5;
  MixtureList axleWeights2;
  MixtureList axleWeights3;
  MixtureList grossWeightsDir1;  // 2-, 3-, 4-, 5-axle trucks
  MixtureList grossWeightsDir2;
  MixtureList speeds;  // direction 1, direction 2
  BandTable axleWeightRows4 = {};
  BandTable axleWeightRows5 = {};
  std::vector<ClassShares> classShareRows;  // one per lane index
  int classShareRowCount = 0;               // lanes of "Class%.csv"
  std::array<HeavyClass, heavyClassCount> heavyClasses;
  bool heavyTrucksGiven = false;
  int heavyShareLaneCount = 0;
  Table headwayRows;
  Table laneFlowTable;  // one list of 24 hourly flows per lane index
  std::string vehicleFolderPath;
  std::string flowFolderPath;
};

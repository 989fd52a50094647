// Reads the seven site files of a run into a TrafficData. Two site codes pick the folders
// under the data root "C:\Traffic\": one for the vehicle tables, one for the flow tables.
// Each file is read by its fixed line layout; separator lines are read and ignored.
#pragma once

#include <string>

#include "data/CsvReader.h"
#include "data/TrafficData.h"

class TrafficDataLoader {
 public:
  // Builds the two folder paths; touches no file. Codes outside 1..13 leave the working
  // sub-folder as it was (empty for the vehicle code, the vehicle's for the flow code).
  TrafficDataLoader(int vehicleSite, int flowSite);
  TrafficDataLoader(const TrafficDataLoader&) = delete;
  TrafficDataLoader& operator=(const TrafficDataLoader&) = delete;
  virtual ~TrafficDataLoader() = default;

  // Reads the six vehicle and flow files, and "NHM.csv" only under traffic model 0.
  void readFiles(int trafficModel);
  // out becomes a complete copy of the tables read (the car fraction is left to the caller).
  void fillTrafficData(TrafficData& out) const { out = data; }

  std::string getVehicleFolderPath() const { return vehicleFolderPath; }
  std::string getFlowFolderPath() const { return flowFolderPath; }

 private:
  void readAxleWeights23();
  void readAxleWeights45();
  void readAxleSpacings();
  void readClassShares();
  void readGrossWeights();
  void readFlows();
  void readHeadwayModel();

  void openSiteFile(const std::string& folderPath, const std::string& fileName);
  void skipLine();
  MixtureList readMixtureBlock(int mixtureCount);

  CsvReader reader;
  TrafficData data;
  std::string rootFolder;
  std::string vehicleFolderPath;
  std::string flowFolderPath;
  std::string vehicleFolder;
  std::string flowFolder;
};

// Reads the seven site files of a run into a TrafficData. Two site codes pick the folders
// under the data root "C:\Traffic\": one for the vehicle tables, one for the flow tables.
// Each file is read by its fixed line layout; separator lines are read and ignored.
// Mixture blocks (in "AW2&3.csv", "ASall.csv" and "GVWpdf.csv") are three lines, one per
// component, that give each mixture's weight, mean and deviation side by side; block b
// (from 0) starts on line 1 + 4b.
#pragma once

#include <string>
#include <vector>

#include "base/text/CsvReader.h"
#include "data/TrafficData.h"
#include "data/TrafficModel.h"

// The line (from 1) on which mixture block `block` (from 0) of a site file starts.
constexpr int mixtureBlockFirstLine(int block) {
  return 1 + 4 * block;
}

// The line layout of the optional heavy-truck table "HV6to9.csv". Lines 1 to 4 give the
// shares in % of 6-, 7-, 8- and 9-axle trucks, one field per lane and an unread last field,
// as "Class%.csv" does. A section per class follows, 6 axles first: a separator; a mixture
// block of the gross weights in direction 1 and direction 2; a separator; a mixture block of
// the n - 1 spacings; a separator; then one line per band row (0 to 15) with the mean weight
// of every axle, then every axle's standard deviation (2n fields).
namespace heavy_truck_file {

constexpr int shareLines = 4;
constexpr int sectionLines = 1 + 3 + 1 + 3 + 1 + TrafficData::heavyBandRowCount;
constexpr int lines = shareLines + heavyClassCount * sectionLines;

// The first line of the class's section (its separator), for axles 6..9.
constexpr int sectionFirstLine(int axles) {
  return shareLines + 1 + (axles - firstHeavyAxles) * sectionLines;
}
constexpr int grossWeightBlockLine(int axles) {
  return sectionFirstLine(axles) + 1;
}
constexpr int spacingBlockLine(int axles) {
  return sectionFirstLine(axles) + 5;
}
constexpr int bandRowLine(int axles, int row) {
  return sectionFirstLine(axles) + 9 + row;
}

}  // namespace heavy_truck_file

// What reading one site file found.
struct SiteFileReport {
  std::string fileName;  // "FlowR.csv"
  std::string path;      // as the platform opens it
  bool opened = false;
  std::string openError;        // the reason when not opened
  std::string readError;        // why reading stopped before the file's end, if it did
  std::string badNumber;        // the first field read as a number that holds none, if any
  std::string badRow;           // the first row of too few or too many fields, or with a
                                // negative deviation, and what it must hold, if any
  long long linesExpected = 0;  // by the file's layout
  long long linesFound = 0;     // lines the file really has, up to what its layout reads
};

class TrafficDataLoader {
 public:
  // Builds the two folder paths; touches no file. Codes outside 1..13 leave the working
  // sub-folder as it was (empty for the vehicle code, the vehicle's for the flow code).
  // The data root lies in runFolder, the working folder when it is empty.
  TrafficDataLoader(int vehicleSite, int flowSite, const std::string& runFolder = "");
  TrafficDataLoader(const TrafficDataLoader&) = delete;
  TrafficDataLoader& operator=(const TrafficDataLoader&) = delete;
  virtual ~TrafficDataLoader() = default;

  // Reads the six vehicle and flow files, the heavy-truck table when the vehicle folder has
  // one, and "NHM.csv" only under the headway-table model.
  void readFiles(TrafficModel model);
  // out becomes a complete copy of the tables read (the car fraction is left to the caller).
  void fillTrafficData(TrafficData& out) const { out = data; }

  // One report per file read, in reading order.
  const std::vector<SiteFileReport>& getFileReports() const { return reports; }
  std::string getVehicleFolderPath() const { return vehicleFolderPath; }
  std::string getFlowFolderPath() const { return flowFolderPath; }

 private:
  void readAxleWeights23();
  void readAxleWeights45();
  void readAxleSpacings();
  void readClassShares();
  void readGrossWeights();
  void readHeavyTrucks();
  void readFlows();
  void readHeadwayModel();

  void openSiteFile(const std::string& folderPath, const std::string& fileName,
                    long long layoutLines);
  // Reads the next line; false once the file has no more lines.
  bool skipLine();
  MixtureList readMixtureBlock(int mixtureCount);
  // Field index of the line read last as a number; a field that holds text but no number
  // reads 0 and is noted in the file's report.
  double fieldValue(int index);
  // Notes the line read last in the report unless it holds exactly `fields` fields: what
  // tells what they are ("3 axle groups' means, then their deviations").
  void requireFields(int fields, const std::string& what);
  // fieldValue of a standard deviation: a negative one is noted in the report.
  double deviationValue(int index);
  void closeSiteFile();

  CsvReader reader;
  TrafficData data;
  std::string rootFolder;
  std::string vehicleFolderPath;
  std::string flowFolderPath;
  std::string vehicleFolder;
  std::string flowFolder;
  std::vector<SiteFileReport> reports;
  std::string runFolder;
};

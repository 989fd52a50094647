#include "data/TrafficDataLoader.h"

#include <array>
#include <filesystem>

#include "base/text/NativePath.h"
#include "data/RunFolderFiles.h"

namespace {

constexpr int hoursPerDay = TrafficData::hoursPerDay;
constexpr int bandRows = TrafficData::bandRowCount;

const std::array<const char*, 13> siteFolders = {
    "Angers\\",      "Auxerre\\",     "A196\\",        "B224\\",        "A296\\",
    "Corvane\\D1\\", "Corvane\\D2\\", "Corvane\\D3\\", "Corvane\\S1\\", "Corvane\\S2\\",
    "Corvane\\S3\\", "Corvane\\D\\",  "Corvane\\S\\"};

// The sub-folder of a site code 1..13; any other code keeps the current text.
std::string subFolderOf(int siteCode, const std::string& current) {
  if (siteCode < 1 || siteCode > static_cast<int>(siteFolders.size())) {
    return current;
  }
  return siteFolders[static_cast<std::size_t>(siteCode - 1)];
}

}  // namespace

TrafficDataLoader::TrafficDataLoader(int vehicleSite, int flowSite, const std::string& folder)
    : runFolder(folder) {
  std::string subFolder;
  subFolder = subFolderOf(vehicleSite, subFolder);
  vehicleFolder = subFolder;
  subFolder = subFolderOf(flowSite, subFolder);
  flowFolder = subFolder;
  rootFolder = "C:\\Traffic\\";
  vehicleFolderPath = rootFolder + vehicleFolder;
  flowFolderPath = rootFolder + flowFolder;
  data.setFolderPaths(vehicleFolderPath, flowFolderPath);
}

void TrafficDataLoader::readFiles(TrafficModel model) {
  readAxleWeights23();
  readAxleWeights45();
  readAxleSpacings();
  readClassShares();
  readGrossWeights();
  readHeavyTrucks();
  readFlows();
  if (model.usesHeadwayTable()) {
    readHeadwayModel();
  }
}

void TrafficDataLoader::openSiteFile(const std::string& folderPath, const std::string& fileName,
                                     long long layoutLines) {
  SiteFileReport report;
  report.fileName = fileName;
  report.path = pathInFolder(runFolder, nativePath(folderPath + fileName));
  report.linesExpected = layoutLines;
  report.opened = reader.open(report.path, ",");
  if (!report.opened) {
    report.openError = reader.problem();
  }
  reports.push_back(report);
}

void TrafficDataLoader::closeSiteFile() {
  SiteFileReport& report = reports.back();
  if (report.opened) {
    report.readError = reader.problem();
  }
  reader.close();
}

double TrafficDataLoader::fieldValue(int index) {
  std::string text = reader.field(index);
  double value = 0.0;
  SiteFileReport& report = reports.back();
  if (!CsvReader::parseDouble(text, &value) && report.badNumber.empty()) {
    report.badNumber = "\"" + text.substr(0, 40) + "\" in field " + std::to_string(index + 1) +
                       " of line " + std::to_string(reader.lineNumber());
  }
  return value;
}

void TrafficDataLoader::requireFields(int fields, const std::string& what) {
  SiteFileReport& report = reports.back();
  if (reader.fieldCount == fields || !report.badRow.empty() || !report.opened) {
    return;
  }
  report.badRow = "line " + std::to_string(reader.lineNumber()) + " with " +
                  std::to_string(reader.fieldCount) +
                  (reader.fieldCount == 1 ? " field" : " fields") + "; accepted: exactly " +
                  std::to_string(fields) + ", " + what;
}

double TrafficDataLoader::deviationValue(int index) {
  double value = fieldValue(index);
  SiteFileReport& report = reports.back();
  if (value < 0.0 && report.badRow.empty()) {
    report.badRow = "the deviation " + reader.field(index).substr(0, 40) + " in field " +
                    std::to_string(index + 1) + " of line " + std::to_string(reader.lineNumber()) +
                    "; accepted: a deviation of 0 or more";
  }
  return value;
}

bool TrafficDataLoader::skipLine() {
  std::string text;
  bool beforeEnd = reader.readLine(text);
  bool lineFound = beforeEnd || !text.empty();  // a last line may lack its line end
  SiteFileReport& report = reports.back();
  if (report.opened && lineFound) {
    ++report.linesFound;
  }
  return report.opened && beforeEnd && reader.problem().empty();
}

MixtureList TrafficDataLoader::readMixtureBlock(int mixtureCount) {
  MixtureList mixtures(static_cast<std::size_t>(mixtureCount));
  for (int component = 0; component < NormalMixture::componentCount; ++component) {
    skipLine();
    for (int m = 0; m < mixtureCount; ++m) {
      NormalComponent& part =
          mixtures[static_cast<std::size_t>(m)].components[static_cast<std::size_t>(component)];
      part.weight = fieldValue(3 * m);
      part.mean = fieldValue(3 * m + 1);
      part.stdDev = fieldValue(3 * m + 2);
    }
  }
  return mixtures;
}

void TrafficDataLoader::readAxleWeights23() {
  openSiteFile(vehicleFolderPath, run_folder_files::axleWeights23, 7);
  data.setAxleWeights2(readMixtureBlock(2));
  skipLine();
  data.setAxleWeights3(readMixtureBlock(3));
  closeSiteFile();
}

void TrafficDataLoader::readAxleWeights45() {
  openSiteFile(vehicleFolderPath, run_folder_files::axleWeights45, 25);
  for (int axles = 4; axles <= 5; ++axles) {
    if (axles == 5) {
      skipLine();
    }
    for (int row = 0; row < bandRows; ++row) {
      skipLine();
      AxleWeightRow values;
      constexpr int groups = static_cast<int>(std::tuple_size<AxleWeightRow>::value) / 2;
      requireFields(2 * groups, "the " + std::to_string(groups) +
                                    " axle groups' mean weights, then their deviations");
      for (int i = 0; i < 2 * groups; ++i) {
        values[static_cast<std::size_t>(i)] = i < groups ? fieldValue(i) : deviationValue(i);
      }
      data.setAxleWeightRow(values, axles, row);
    }
  }
  closeSiteFile();
}

void TrafficDataLoader::readAxleSpacings() {
  openSiteFile(vehicleFolderPath, run_folder_files::axleSpacings, 15);
  data.setSpacings2(readMixtureBlock(1));
  skipLine();
  data.setSpacings3(readMixtureBlock(2));
  skipLine();
  data.setSpacings4(readMixtureBlock(3));
  skipLine();
  data.setSpacings5(readMixtureBlock(4));
  closeSiteFile();
}

void TrafficDataLoader::readClassShares() {
  openSiteFile(vehicleFolderPath, run_folder_files::classShares, 4);
  for (int k = 1; k <= 4; ++k) {
    skipLine();
    for (int i = 0; i + 1 < reader.fieldCount; ++i) {
      data.setClassShare(i, k + 1, fieldValue(i));
    }
  }
  closeSiteFile();
}

void TrafficDataLoader::readGrossWeights() {
  openSiteFile(vehicleFolderPath, run_folder_files::grossWeights, 7);
  MixtureList speeds;
  for (int direction = 1; direction <= 2; ++direction) {
    if (direction == 2) {
      skipLine();
    }
    MixtureList block = readMixtureBlock(5);
    speeds.push_back(block[0]);
    data.setGrossWeights(MixtureList(block.begin() + 1, block.end()), direction);
  }
  data.setSpeeds(speeds);
  closeSiteFile();
}

// A site without the file has no trucks of more than 5 axles, and no report of it.
void TrafficDataLoader::readHeavyTrucks() {
  std::string path =
      pathInFolder(runFolder, nativePath(vehicleFolderPath + run_folder_files::heavyTrucks));
  std::error_code failure;
  if (!std::filesystem::exists(path, failure) && !failure) {
    return;
  }
  openSiteFile(vehicleFolderPath, run_folder_files::heavyTrucks, heavy_truck_file::lines);
  for (int axles = firstHeavyAxles; axles <= maxTruckAxles; ++axles) {
    skipLine();
    for (int i = 0; i + 1 < reader.fieldCount; ++i) {
      data.setHeavyShare(i, axles, fieldValue(i));
    }
  }
  for (int axles = firstHeavyAxles; axles <= maxTruckAxles; ++axles) {
    skipLine();
    data.setHeavyGrossWeights(axles, readMixtureBlock(2));
    skipLine();
    data.setHeavySpacings(axles, readMixtureBlock(axles - 1));
    skipLine();
    for (int row = 0; row < TrafficData::heavyBandRowCount; ++row) {
      skipLine();
      TrafficData::HeavyBandRow values;
      requireFields(2 * axles,
                    "the " + std::to_string(axles) + " axles' mean weights, then their deviations");
      for (int axle = 0; axle < axles; ++axle) {
        values[static_cast<std::size_t>(axle)] = {fieldValue(axle), deviationValue(axles + axle)};
      }
      data.setHeavyBandRow(axles, row, values);
    }
  }
  closeSiteFile();
}

void TrafficDataLoader::readFlows() {
  openSiteFile(flowFolderPath, run_folder_files::flows, hoursPerDay);
  skipLine();
  int lanes = reader.fieldCount - 1;
  Table flows(static_cast<std::size_t>(lanes > 0 ? lanes : 0));
  for (int hour = 0; hour < hoursPerDay; ++hour) {
    for (int i = 0; i < lanes; ++i) {
      flows[static_cast<std::size_t>(i)].push_back(fieldValue(i));
    }
    if (hour < hoursPerDay - 1) {
      skipLine();
    }
  }
  data.setLaneFlowTable(flows);
  closeSiteFile();
}

// Rows hold at most the four values a line gives, and reading stops where the file ends, so
// that a band count far beyond the file's length costs no memory (such a file is short).
void TrafficDataLoader::readHeadwayModel() {
  openSiteFile(flowFolderPath, run_folder_files::headways, 0);
  bool more = skipLine();
  int bands = 0;
  if (!CsvReader::parseInt(reader.field(0), &bands) && reports.back().badNumber.empty()) {
    reports.back().badNumber = "\"" + reader.field(0).substr(0, 40) +
                               "\" in field 1 of line 1 (a whole number of flow bands)";
  }
  long long rows = static_cast<long long>(bands) + 3;
  reports.back().linesExpected = rows;
  auto width = static_cast<std::size_t>(rows < 4 ? (rows > 0 ? rows : 0) : 4);
  Table table;
  if (rows > 0) {
    table.emplace_back(width, 0.0);
    table[0][0] = bands;
  }
  for (long long row = 1; row < rows && more; ++row) {
    more = skipLine();
    std::vector<double>& values = table.emplace_back(width, 0.0);
    for (std::size_t i = 0; i < width; ++i) {
      values[i] = fieldValue(static_cast<int>(i));
    }
  }
  data.setHeadwayRows(table);
  closeSiteFile();
}

#include "data/TrafficDataLoader.h"

#include <array>

#include "data/NativePath.h"

namespace {

constexpr int hoursPerDay = 24;
constexpr int bandRows = TrafficData::bandRowCount;

const std::array<const char*, 13> siteFolders = {
    "Angers\\",      "Auxerre\\",     "A196\\",        "B224\\",       "A296\\",
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

TrafficDataLoader::TrafficDataLoader(int vehicleSite, int flowSite) {
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

void TrafficDataLoader::readFiles(int trafficModel) {
  readAxleWeights23();
  readAxleWeights45();
  readAxleSpacings();
  readClassShares();
  readGrossWeights();
  readFlows();
  if (trafficModel == 0) {
    readHeadwayModel();
  }
}

void TrafficDataLoader::openSiteFile(const std::string& folderPath, const std::string& fileName) {
  reader.open(nativePath(folderPath + fileName), ",");
}

void TrafficDataLoader::skipLine() {
  std::string ignored;
  reader.readLine(ignored);
}

MixtureList TrafficDataLoader::readMixtureBlock(int mixtureCount) {
  MixtureList mixtures(static_cast<std::size_t>(mixtureCount));
  for (int component = 0; component < NormalMixture::componentCount; ++component) {
    skipLine();
    for (int m = 0; m < mixtureCount; ++m) {
      NormalComponent& part = mixtures[static_cast<std::size_t>(m)].components[static_cast<std::size_t>(component)];
      part.weight = CsvReader::toDouble(reader.field(3 * m));
      part.mean = CsvReader::toDouble(reader.field(3 * m + 1));
      part.stdDev = CsvReader::toDouble(reader.field(3 * m + 2));
    }
  }
  return mixtures;
}

void TrafficDataLoader::readAxleWeights23() {
  openSiteFile(vehicleFolderPath, "AW2&3.csv");
  data.setAxleWeights2(readMixtureBlock(2));
  skipLine();
  data.setAxleWeights3(readMixtureBlock(3));
  reader.close();
}

void TrafficDataLoader::readAxleWeights45() {
  openSiteFile(vehicleFolderPath, "AW4&5.csv");
  for (int axles = 4; axles <= 5; ++axles) {
    if (axles == 5) {
      skipLine();
    }
    for (int row = 0; row < bandRows; ++row) {
      skipLine();
      AxleWeightRow values;
      for (std::size_t i = 0; i < values.size(); ++i) {
        values[i] = CsvReader::toDouble(reader.field(static_cast<int>(i)));
      }
      data.setAxleWeightRow(values, axles, row);
    }
  }
  reader.close();
}

void TrafficDataLoader::readAxleSpacings() {
  openSiteFile(vehicleFolderPath, "ASall.csv");
  data.setSpacings2(readMixtureBlock(1));
  skipLine();
  data.setSpacings3(readMixtureBlock(2));
  skipLine();
  data.setSpacings4(readMixtureBlock(3));
  skipLine();
  data.setSpacings5(readMixtureBlock(4));
  reader.close();
}

void TrafficDataLoader::readClassShares() {
  openSiteFile(vehicleFolderPath, "Class%.csv");
  for (int k = 1; k <= 4; ++k) {
    skipLine();
    for (int i = 0; i + 1 < reader.fieldCount; ++i) {
      data.setClassShare(i, k + 1, CsvReader::toDouble(reader.field(i)));
    }
  }
  reader.close();
}

void TrafficDataLoader::readGrossWeights() {
  openSiteFile(vehicleFolderPath, "GVWpdf.csv");
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
  reader.close();
}

void TrafficDataLoader::readFlows() {
  openSiteFile(flowFolderPath, "FlowR.csv");
  skipLine();
  int lanes = reader.fieldCount - 1;
  Table flows(static_cast<std::size_t>(lanes > 0 ? lanes : 0));
  for (int hour = 0; hour < hoursPerDay; ++hour) {
    for (int i = 0; i < lanes; ++i) {
      flows[static_cast<std::size_t>(i)].push_back(CsvReader::toDouble(reader.field(i)));
    }
    if (hour < hoursPerDay - 1) {
      skipLine();
    }
  }
  data.setLaneFlowTable(flows);
  reader.close();
}

void TrafficDataLoader::readHeadwayModel() {
  openSiteFile(flowFolderPath, "NHM.csv");
  skipLine();
  int bands = CsvReader::toInt(reader.field(0));
  auto size = static_cast<std::size_t>(bands + 3 > 0 ? bands + 3 : 0);
  Table table(size, std::vector<double>(size, 0.0));
  if (size > 0) {
    table[0][0] = bands;
  }
  for (std::size_t row = 1; row < size; ++row) {
    skipLine();
    for (std::size_t i = 0; i < 4 && i < size; ++i) {
      table[row][i] = CsvReader::toDouble(reader.field(static_cast<int>(i)));
    }
  }
  data.setHeadwayRows(table);
  reader.close();
}

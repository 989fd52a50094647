#include <gtest/gtest.h>

#include "base/text/NativePath.h"
#include "data/TrafficDataLoader.h"
#include "support/TestFolder.h"

namespace {

TEST(TrafficDataLoaderTest, SiteCodesPickFolders) {
  struct Case {
    int vehicleSite;
    int flowSite;
    std::string vehiclePath;
    std::string flowPath;
  };
  const Case cases[] = {
      {2, 2, "C:\\Traffic\\Auxerre\\", "C:\\Traffic\\Auxerre\\"},
      {6, 1, "C:\\Traffic\\Corvane\\D1\\", "C:\\Traffic\\Angers\\"},
      {0, 3, "C:\\Traffic\\", "C:\\Traffic\\A196\\"},
      {4, 99, "C:\\Traffic\\B224\\", "C:\\Traffic\\B224\\"},
      {99, 99, "C:\\Traffic\\", "C:\\Traffic\\"},
      {13, 12, "C:\\Traffic\\Corvane\\S\\", "C:\\Traffic\\Corvane\\D\\"},
  };
  for (const Case& c : cases) {
    TrafficDataLoader loader(c.vehicleSite, c.flowSite);
    EXPECT_EQ(loader.getVehicleFolderPath(), c.vehiclePath);
    EXPECT_EQ(loader.getFlowFolderPath(), c.flowPath);
  }
}

TEST(NativePathTest, MapsDataRootToWorkingFolder) {
  EXPECT_EQ(nativePath("C:\\Traffic\\Corvane\\D1\\AW2&3.csv"), "Traffic/Corvane/D1/AW2&3.csv");
  EXPECT_EQ(nativePath("C:\\Traffic\\FlowR.csv"), "Traffic/FlowR.csv");
  EXPECT_EQ(nativePath("VLMin.txt"), "VLMin.txt");
  EXPECT_EQ(pathInFolder("run", "Traffic/A/x.csv"), "run/Traffic/A/x.csv");
  EXPECT_EQ(pathInFolder("run/", "VLMin.txt"), "run/VLMin.txt");
  EXPECT_EQ(pathInFolder("", "VLMin.txt"), "VLMin.txt");
  EXPECT_EQ(pathInFolder("run", "/dev/null"), "/dev/null");
}

class SiteFilesTest : public ::testing::Test {
 protected:
  TrafficData load(int trafficModel) {
    TrafficDataLoader loader(3, 3);
    loader.readFiles(TrafficModel(trafficModel));
    TrafficData data;
    loader.fillTrafficData(data);
    return data;
  }
  void writeSite() {
    folder.write("Traffic/A196/AW2&3.csv",
                 "0.5,35,8,0.5,40,12,99\n0.4,50,10,0.4,75,15\n0.1,60,8,0.1,100,15\n"
                 "// a label\n1,2,3,4,5,6,7,8,9\n10,11,12,13,14,15,16,17,18\n"
                 "19,20,21,22,23,24,25,26,27");
    std::string rows;
    for (int r = 0; r < 12; ++r) {
      rows += std::to_string(r) + ",1,2,3,4,5\n";
    }
    folder.write("Traffic/A196/AW4&5.csv", rows + "\n" + rows);
    folder.write("Traffic/A196/ASall.csv",
                 "1,38,4\n0,0,0\n0,0,0\n\n1,40,4,1,13,1\n0,0,0\n0,0,0\nx\n"
                 "1,36,3,1,55,8,1,13,1\n\n\n\n1,37,2,1,62,6,1,13,1,1,14,1\r\n\r\n\r\n");
    folder.write("Traffic/A196/Class%.csv", "20,30,x\n10,10,x\n30,20,x\n40,40,x\n");
    folder.write("Traffic/A196/GVWpdf.csv",
                 "1,230,12,1,70,15,1,140,30,1,170,30,1,160,25\n\n\nsep\n"
                 "1,231,12,1,71,15,1,141,30,1,171,30,1,161,25\n\n");
    std::string flows;
    for (int h = 0; h < 24; ++h) {
      flows += std::to_string(100 + h) + (h == 5 ? "\n" : ",7,total\n");
    }
    folder.write("Traffic/A196/FlowR.csv", flows);
    folder.write("Traffic/A196/NHM.csv",
                 "2,ignored\n0,0.02,0.01,0\n0,0.1,-0.1,0.03\n100,1,2,3\n1000,4,5,6\n9,9,9,9\n");
  }

  TestFolder folder;
};

TEST_F(SiteFilesTest, ReadsEveryLayout) {
  writeSite();
  TrafficData data = load(0);
  NormalMixture front = data.getAxleWeightMixture(2, 0);
  EXPECT_EQ(front.components[0].weight, 0.5);
  EXPECT_EQ(front.components[2].stdDev, 8);
  EXPECT_EQ(data.getAxleWeightMixture(3, 2).components[1].mean, 17);
  EXPECT_EQ(data.getAxleWeightRow(4, 3), (AxleWeightRow{3, 1, 2, 3, 4, 5}));
  EXPECT_EQ(data.getAxleWeightRow(5, 11), (AxleWeightRow{11, 1, 2, 3, 4, 5}));
  EXPECT_EQ(data.getSpacingMixture(5, 3).components[0].mean, 14);
  EXPECT_EQ(data.getSpacingMixture(3, 1).components[0].mean, 13);
  EXPECT_EQ(data.getClassShareRowCount(), 2);
  EXPECT_EQ(data.getClassShares(1), (ClassShares{30, 10, 20, 40}));
  EXPECT_EQ(data.getSpeedMixture(2).components[0].mean, 231);
  EXPECT_EQ(data.getGrossWeightMixture(2, 5).components[0].mean, 161);
  EXPECT_EQ(data.getGrossWeightMixture(1, 2).components[0].mean, 70);
  ASSERT_EQ(data.getLaneFlowCount(), 2);
  EXPECT_EQ(data.laneFlows(0)[23], 123);
  EXPECT_EQ(data.laneFlows(1)[4], 7);
  EXPECT_EQ(data.laneFlows(1)[5], 0);  // a short line reads 0 for the missing lane
  Table headways = data.getHeadwayRows();
  ASSERT_EQ(headways.size(), 5u);
  EXPECT_EQ(headways[0], (std::vector<double>{2, 0, 0, 0}));
  EXPECT_EQ(headways[4], (std::vector<double>{1000, 4, 5, 6}));
}

// The heavy-truck table: shares 1..4 by class and lane, then per class gross weights whose
// means are 100 times the axles plus the direction, spacings of 10 times the axles plus the
// spacing's number, and band rows whose axle means are the row and deviations the axles.
std::string heavyTruckFile() {
  std::string text = "4,5,x\n3,4,x\n2,3,x\n1,2,x\n";
  for (int axles = 6; axles <= 9; ++axles) {
    text += "label\n";
    for (int component = 0; component < 3; ++component) {
      text += "0.5," + std::to_string(100 * axles + 1) + ",10,0.5," +
              std::to_string(100 * axles + 2) + ",10\n";
    }
    text += "\n";
    for (int component = 0; component < 3; ++component) {
      for (int spacing = 1; spacing < axles; ++spacing) {
        text += (spacing > 1 ? ",0.3," : "0.3,") + std::to_string(10 * axles + spacing) + ",1";
      }
      text += "\n";
    }
    text += "\n";
    for (int row = 0; row < TrafficData::heavyBandRowCount; ++row) {
      for (int axle = 0; axle < 2 * axles; ++axle) {
        text += (axle > 0 ? "," : "") + std::to_string(axle < axles ? row : axles);
      }
      text += "\n";
    }
  }
  return text;
}

TEST_F(SiteFilesTest, ReadsTheHeavyTruckTableWhenTheSiteHasOne) {
  writeSite();
  TrafficDataLoader without(3, 3);
  without.readFiles(TrafficModel(6));
  EXPECT_EQ(without.getFileReports().size(), 6u);  // no report of a file the site lacks
  EXPECT_FALSE(load(6).hasHeavyTrucks());

  folder.write("Traffic/A196/HV6to9.csv", heavyTruckFile());
  TrafficDataLoader loader(3, 3);
  loader.readFiles(TrafficModel(6));
  TrafficData data;
  loader.fillTrafficData(data);
  EXPECT_TRUE(data.hasHeavyTrucks());
  EXPECT_EQ(loader.getFileReports().size(), 7u);
  EXPECT_EQ(loader.getFileReports()[5].linesFound, heavy_truck_file::lines);
  EXPECT_EQ(data.getHeavyShareLaneCount(), 2);
  EXPECT_EQ(data.getClassShareRowCount(), 2);
  EXPECT_EQ(data.getClassShares(1), (ClassShares{30, 10, 20, 40, 5, 4, 3, 2}));
  EXPECT_EQ(data.getGrossWeightMixture(1, 7).components[2].mean, 701);
  EXPECT_EQ(data.getGrossWeightMixture(2, 9).components[0].mean, 902);
  EXPECT_EQ(data.getSpacingMixture(8, 6).components[1].mean, 87);
  EXPECT_EQ(data.getSpacingMixture(6, 0).components[0].weight, 0.3);
  EXPECT_EQ(data.getHeavyAxleWeight(9, 7, 8).mean, 7);
  EXPECT_EQ(data.getHeavyAxleWeight(6, 15, 5).stdDev, 6);
  EXPECT_EQ(data.getHeavyAxleWeight(7, 40, 0).mean, 15);  // rows past the last read the last
}

TEST_F(SiteFilesTest, ReadsHeadwayTableOnlyUnderModelZero) {
  writeSite();
  EXPECT_TRUE(load(6).getHeadwayRows().empty());
}

TEST_F(SiteFilesTest, MissingFilesReadAsZerosAndEmptyTables) {
  TrafficData data = load(0);
  EXPECT_EQ(data.getClassShareRowCount(), 0);
  EXPECT_EQ(data.getLaneFlowCount(), 0);
  EXPECT_EQ(data.getSpeedMixture(1).components[0].mean, 0);
  EXPECT_EQ(data.getHeadwayRows(), (Table{{0, 0, 0}}));  // n = 0, and no line to read
}

}  // namespace

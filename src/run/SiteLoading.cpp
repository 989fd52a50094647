#include "run/SiteLoading.h"

#include "data/TrafficDataLoader.h"
#include "traffic/SiteDataCheck.h"

bool loadCheckedSiteData(const RunConfig& config, const std::string& runFolder, CheckedSite* site,
                         std::string* error) {
  TrafficDataLoader loader(config.vehicleSite, config.flowSite, runFolder);
  loader.readFiles(config.model());
  loader.fillTrafficData(site->data);
  site->data.setCarFraction(config.carFraction);
  site->inputPaths.clear();
  for (const SiteFileReport& report : loader.getFileReports()) {
    site->inputPaths.push_back(report.path);
  }
  RoadLayout road{config.lanesDir1, config.lanesDir2, config.model()};
  return checkSiteData(site->data, loader.getFileReports(), road, error);
}

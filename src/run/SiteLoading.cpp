#include "run/SiteLoading.h"

#include "base/text/NativePath.h"
#include "data/RunFolderFiles.h"
#include "data/TrafficDataLoader.h"
#include "traffic/SiteDataCheck.h"

bool loadRunFolder(const std::string& runFolder, std::optional<int> days, RunConfig& config,
                   CheckedSite* site, bool* parametersFound, std::string* error) {
  bool read = config.readFile(pathInFolder(runFolder, run_folder_files::parameters), error);
  *parametersFound = read || !error->empty();  // it exists, readable or not
  if (!read && *parametersFound) {
    return false;
  }
  if (days) {
    config.days = *days;
  }
  return config.isUsable(error) && loadCheckedSiteData(config, runFolder, site, error);
}

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

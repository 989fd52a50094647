#include "traffic/DrawLimit.h"

#include <cstdlib>
#include <iostream>

#include "data/NativePath.h"

void stopUndrawable(const std::string& what, const std::string& siteFile) {
  std::cout.flush();
  std::cerr << "error: could not draw " << what << " after " << maxRejections
            << " tries; check the table in " << siteFile << std::endl;
  std::exit(1);
}

std::string siteFileForMessage(const std::string& folderPath, const std::string& fileName) {
  return nativePath(folderPath + fileName);
}

#include "traffic/DrawLimit.h"

#include <cstdlib>
#include <iostream>

#include "data/NativePath.h"

namespace {

long limitInForce = maxRejections;

void reportAndExit(const std::string& what, const std::string& siteFile) {
  std::cout.flush();
  std::cerr << "error: could not draw " << what << " after " << limitInForce
            << " tries; check the table in " << siteFile << std::endl;
  std::exit(1);
}

UndrawableHandler handlerInForce = reportAndExit;

}  // namespace

void setDrawLimit(long rejections, UndrawableHandler handler) {
  limitInForce = rejections;
  handlerInForce = handler != nullptr ? handler : reportAndExit;
}

long rejectionLimit() {
  return limitInForce;
}

void stopUndrawable(const std::string& what, const std::string& siteFile) {
  handlerInForce(what, siteFile);
  std::abort();
}

std::string siteFileForMessage(const std::string& folderPath, const std::string& fileName) {
  return nativePath(folderPath + fileName);
}

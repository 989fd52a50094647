#include "traffic/DrawLimit.h"

#include "data/NativePath.h"

namespace {

long limitInForce = maxRejections;

}  // namespace

void setDrawLimit(long rejections) {
  limitInForce = rejections;
}

long rejectionLimit() {
  return limitInForce;
}

void stopUndrawable(const std::string& what, const std::string& siteFile) {
  throw UndrawableValueError("error: could not draw " + what + " after " +
                             std::to_string(limitInForce) + " tries; check the table in " +
                             siteFile);
}

std::string siteFileForMessage(const std::string& folderPath, const std::string& fileName) {
  return nativePath(folderPath + fileName);
}

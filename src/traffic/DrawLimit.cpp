#include "traffic/DrawLimit.h"

#include "base/text/NativePath.h"

void DrawLimit::noteFailure(const UndrawableValue& value) {
  if (message.empty()) {
    message = "could not draw " + value.what + " after " + std::to_string(limit) +
              " tries; check the table in " + value.siteFile;
  }
}

std::string siteFileForMessage(const std::string& folderPath, const std::string& fileName) {
  return nativePath(folderPath + fileName);
}

#include "base/text/NativePath.h"

#include <algorithm>

#include "data/RunFolderFiles.h"

std::string nativePath(const std::string& path) {
#ifdef _WIN32
  return path;
#else
  static const std::string driveRoot = "C:\\Traffic\\";
  std::string native = path;
  if (native.compare(0, driveRoot.size(), driveRoot) == 0) {
    native.replace(0, driveRoot.size(), std::string(run_folder_files::siteRoot) + "\\");
  }
  std::replace(native.begin(), native.end(), '\\', '/');
  return native;
#endif
}

std::string pathInFolder(const std::string& folder, const std::string& path) {
  if (folder.empty() || (!path.empty() && path[0] == '/')) {
    return path;
  }
  return folder.back() == '/' ? folder + path : folder + "/" + path;
}

#include "cli/InputFile.h"

#include <sys/stat.h>

#include <cerrno>
#include <cstring>

std::string openInput(const std::string& path, std::ifstream& in) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) {
    return std::strerror(errno);
  }
  if (S_ISDIR(info.st_mode)) {
    return "a folder; accepted: a file";
  }
  errno = 0;
  in.open(path, std::ios::binary);
  return in.is_open() ? "" : std::strerror(errno != 0 ? errno : EIO);
}

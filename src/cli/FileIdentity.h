// Whether two paths name one file, compared by the file itself (device and inode), so that
// symbolic links and other names of the same file are caught.
#pragma once

#include <string>

// True when both paths exist and name the same file.
bool isSameFile(const std::string& a, const std::string& b);

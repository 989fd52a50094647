// Site paths are kept in the data root's own form ("C:\Traffic\" and backslashes). This is
// the one place that turns such a path into one the platform opens.
#pragma once

#include <string>

// On POSIX the data root "C:\Traffic\" is the folder "Traffic/" of the working directory and
// every backslash becomes "/". On Windows the path is returned unchanged.
std::string nativePath(const std::string& path);

// path inside folder: folder + "/" + path, or path itself when folder is empty or path is
// absolute.
std::string pathInFolder(const std::string& folder, const std::string& path);

// The bound on every rejection loop of the generators. Sane site data never comes near it;
// data that cannot give an acceptable value stops the program with a message instead of
// hanging it.
#pragma once

#include <string>

// Consecutive rejections after which a draw gives up.
constexpr long maxRejections = 10000000;

// Writes "error: could not draw <what> after 10000000 tries" and where to look to standard
// error, then ends the program with exit status 1.
[[noreturn]] void stopUndrawable(const std::string& what, const std::string& siteFile);

// What a failed draw names: the quantity with its accepted range, and the site file.
struct UndrawableValue {
  std::string what;
  std::string siteFile;
};

// Repeats draw() until accept(value) holds and returns that value. After maxRejections
// rejections in a row, stops the program naming describe(), an UndrawableValue; it is only
// called then, so the loop itself never allocates.
template <typename Draw, typename Accept, typename Describe>
double drawUntil(Draw draw, Accept accept, Describe describe) {
  for (long rejections = 0; rejections < maxRejections; ++rejections) {
    double value = draw();
    if (accept(value)) {
      return value;
    }
  }
  UndrawableValue failure = describe();
  stopUndrawable(failure.what, failure.siteFile);
}

// The path of a site file for messages: folderPath (in the data root's form) and fileName,
// as the platform opens it.
std::string siteFileForMessage(const std::string& folderPath, const std::string& fileName);

// The bound on every rejection loop of the generators. Sane site data never comes near it;
// data that cannot give an acceptable value stops the program with a message instead of
// hanging it.
#pragma once

#include <string>

// Consecutive rejections after which a draw gives up.
constexpr long maxRejections = 10000000;

// What happens when a draw gives up. It must not return: it may end the process or throw.
using UndrawableHandler = void (*)(const std::string& what, const std::string& siteFile);

// By default a draw gives up after maxRejections and then writes "error: could not draw
// <what> after <n> tries; check the table in <siteFile>" to standard error and ends the
// program with exit status 1. The fuzzing harness sets a smaller limit and a throwing handler;
// a null handler restores the default.
void setDrawLimit(long rejections, UndrawableHandler handler);
long rejectionLimit();

// Hands what and siteFile to the handler; aborts should the handler return.
[[noreturn]] void stopUndrawable(const std::string& what, const std::string& siteFile);

// What a failed draw names: the quantity with its accepted range, and the site file.
struct UndrawableValue {
  std::string what;
  std::string siteFile;
};

// Repeats draw() until accept(value) holds and returns that value. After rejectionLimit()
// rejections in a row, stops naming describe(), an UndrawableValue; it is only called then,
// so the loop itself never allocates.
template <typename Draw, typename Accept, typename Describe>
double drawUntil(Draw draw, Accept accept, Describe describe) {
  const long limit = rejectionLimit();
  for (long rejections = 0; rejections < limit; ++rejections) {
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

// The bound on every rejection loop of the generators. Sane site data never comes near it;
// data that cannot give an acceptable value ends the run with a message instead of
// hanging it.
#pragma once

#include <stdexcept>
#include <string>

// Consecutive rejections after which a draw gives up.
constexpr long maxRejections = 10000000;

// A draw that gave up. what() is the whole "error: could not draw <what> after <n> tries;
// check the table in <siteFile>" line; the run that catches it ends as a failed run.
class UndrawableValueError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// Sets the number of rejections after which a draw gives up (tests and the fuzzing
// harness use small ones); maxRejections by default.
void setDrawLimit(long rejections);
long rejectionLimit();

// Throws the UndrawableValueError that names what and siteFile.
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

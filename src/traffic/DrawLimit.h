// The bound on every rejection loop of a generator, and the failure of a draw that gave up.
// Sane site data never comes near the bound; data that cannot give an acceptable value
// leaves the generator failed, which the lane and the run check, instead of hanging it.
#pragma once

#include <cassert>
#include <string>

// Consecutive rejections after which a draw gives up, unless a run says otherwise.
constexpr long maxRejections = 10000000;

// What a failed draw names: the quantity with its accepted range, and the site file.
struct UndrawableValue {
  std::string what;
  std::string siteFile;
};

class DrawLimit {
 public:
  // REQUIRES: rejections >= 1.
  explicit DrawLimit(long rejections = maxRejections) : limit(rejections) {
    assert(rejections >= 1);
  }
  virtual ~DrawLimit() = default;
  DrawLimit(const DrawLimit&) = default;
  DrawLimit& operator=(const DrawLimit&) = default;

  // Repeats draw() until accept(value) holds and returns that value. After `rejections`
  // rejections in a row the draw gives up: the limit becomes failed (the first failure is
  // kept, named by describe(), an UndrawableValue, which is only called then, so the loop
  // never allocates) and fallback, a value that accept takes, is returned so that the
  // vehicle being made stays sound until the caller sees the failure.
  template <typename Draw, typename Accept, typename Describe>
  double drawUntil(Draw draw, Accept accept, double fallback, Describe describe) {
    for (long rejections = 0; rejections < limit; ++rejections) {
      double value = draw();
      if (accept(value)) {
        return value;
      }
    }
    noteFailure(describe());
    return fallback;
  }
  bool failed() const { return !message.empty(); }
  // "could not draw <what> after <n> tries; check the table in <siteFile>", or ""
  // while no draw has given up.
  const std::string& failure() const { return message; }

 private:
  void noteFailure(const UndrawableValue& value);

  long limit;
  std::string message;
};

// The path of a site file for messages: folderPath (in the data root's form) and fileName,
// as the platform opens it.
std::string siteFileForMessage(const std::string& folderPath, const std::string& fileName);

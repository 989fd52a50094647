// Two departures from a day of steady free flow that a run may ask for: jams, in which a
// direction's lanes all move at the congested model's speed and gaps for a while, and truck
// platoons, in which trucks of a lane ride a fixed distance apart at one speed. The options
// "--jams PER_DAY:MEAN_MINUTES" and "--platoons SHARE:SIZE:GAP_M" are read here, for velmora
// and the campaigns that pass them on.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/OptionParser.h"
#include "data/TrafficModel.h"

struct JamSettings {
  double perDay = 0.0;       // mean episodes a day in each direction
  double meanMinutes = 0.0;  // mean duration of an episode
};

struct PlatoonSettings {
  double share = 0.0;      // of the trucks that ride in platoons, 0 to 1
  int size = 0;            // trucks in a platoon
  double gapMetres = 0.0;  // from the rear axle of one truck to the front axle of the next
};

struct TrafficPatterns {
  std::optional<JamSettings> jams;
  std::optional<PlatoonSettings> platoons;
};

namespace traffic_patterns {

constexpr const char* jamsOption = "--jams";
constexpr const char* platoonsOption = "--platoons";
constexpr double maxJamsPerDay = 100.0;
constexpr double maxJamMinutes = 1440.0;
constexpr int minPlatoonSize = 2;
constexpr int maxPlatoonSize = 7;
// The clearance every vehicle keeps behind the one ahead, up to a distance beyond any
// platoon; velmora-stats looks for platoons up to this gap.
constexpr double minPlatoonGap = 1.0;   // m
constexpr double maxPlatoonGap = 25.0;  // m

// The options "--jams" and "--platoons", for a program's option parser.
std::vector<KnownOption> knownOptions();
// True for "--jams" and "--platoons".
bool isPatternOption(const std::string& name);
// Reads the value of the option `name` into *patterns. False, with *error one line naming
// the option, the value found and what is accepted.
bool takeOption(const std::string& name, const std::string& value, TrafficPatterns* patterns,
                std::string* error);
// The options that give patterns, one argument each ("--jams", "1:60", ...), in the form
// takeOption reads back.
std::vector<std::string> arguments(const TrafficPatterns& patterns);
// Jams change free flow into congestion for a while, so they need a free-flow traffic model.
// False, with *error naming the model, otherwise.
bool suitsModel(const TrafficPatterns& patterns, TrafficModel model, std::string* error);
// The usage lines of both options, their help from `column` on.
std::string usageLines(std::size_t column);

}  // namespace traffic_patterns

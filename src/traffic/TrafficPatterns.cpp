#include "traffic/TrafficPatterns.h"

#include <sstream>

#include "base/text/NumberText.h"
#include "cli/OptionCatalogue.h"

namespace traffic_patterns {

namespace {

// The fields of text between colons.
std::vector<std::string> fieldsOf(const std::string& text) {
  std::vector<std::string> fields;
  std::string field;
  std::istringstream in(text);
  while (std::getline(in, field, ':')) {
    fields.push_back(field);
  }
  if (!text.empty() && text.back() == ':') {
    fields.emplace_back();
  }
  return fields;
}

bool refuse(const std::string& name, const std::string& value, const char* accepted,
            std::string* error) {
  *error = name + " is \"" + value + "\"; accepted: " + accepted;
  return false;
}

bool within(const std::string& text, double low, double high, double* value) {
  return readNumberText(text, value) && *value >= low && *value <= high;
}

bool readJams(const std::string& value, JamSettings* jams) {
  std::vector<std::string> fields = fieldsOf(value);
  return fields.size() == 2 && within(fields[0], 0.0, maxJamsPerDay, &jams->perDay) &&
         jams->perDay > 0 && within(fields[1], 0.0, maxJamMinutes, &jams->meanMinutes) &&
         jams->meanMinutes > 0;
}

bool readPlatoons(const std::string& value, PlatoonSettings* platoons) {
  std::vector<std::string> fields = fieldsOf(value);
  long long size = 0;
  if (fields.size() != 3 || !within(fields[0], 0.0, 1.0, &platoons->share) ||
      !readWholeText(fields[1], minPlatoonSize, maxPlatoonSize, &size) ||
      !within(fields[2], minPlatoonGap, maxPlatoonGap, &platoons->gapMetres)) {
    return false;
  }
  platoons->size = static_cast<int>(size);
  return true;
}

}  // namespace

namespace {

std::string jamsAccepted() {
  return "PER_DAY:MEAN_MINUTES, jams a day in each direction above 0 and at most " +
         shortestText(maxJamsPerDay) + ", and their mean length above 0 and at most " +
         shortestText(maxJamMinutes) + " minutes";
}

std::string platoonsAccepted() {
  return "SHARE:SIZE:GAP_M, the share of trucks in platoons from 0 to 1, " +
         std::to_string(minPlatoonSize) + " to " + std::to_string(maxPlatoonSize) +
         " trucks a platoon and " + shortestText(minPlatoonGap) + " to " +
         shortestText(maxPlatoonGap) + " m from one truck's rear axle to the next one's front axle";
}

bool takeJams(const std::string& value, TrafficPatterns* patterns, std::string* error) {
  JamSettings jams;
  if (!readJams(value, &jams)) {
    return refuse(jamsOption, value, jamsAccepted().c_str(), error);
  }
  patterns->jams = jams;
  return true;
}

bool takePlatoons(const std::string& value, TrafficPatterns* patterns, std::string* error) {
  PlatoonSettings platoons;
  if (!readPlatoons(value, &platoons)) {
    return refuse(platoonsOption, value, platoonsAccepted().c_str(), error);
  }
  patterns->platoons = platoons;
  return true;
}

const OptionTable<TrafficPatterns>& table() {
  static const OptionTable<TrafficPatterns> entries = {
      {jamsOption, "PER_DAY:MEAN_MINUTES", "PER_DAY:MEAN_MINUTES",
       "jams in each direction, PER_DAY a day on average, starting most\n"
       "often in the busiest hours and lasting MEAN_MINUTES on average;\n"
       "while one lasts the direction's lanes follow the congested model",
       takeJams},
      {platoonsOption, "SHARE:SIZE:GAP_M", "SHARE:SIZE:GAP_M",
       "a share SHARE (0 to 1) of the trucks ride in platoons of SIZE trucks\n(" +
           std::to_string(minPlatoonSize) + " to " + std::to_string(maxPlatoonSize) +
           "), GAP_M m (" + shortestText(minPlatoonGap) + " to " + shortestText(maxPlatoonGap) +
           ") from rear axle to front axle, at the\nfirst truck's speed",
       takePlatoons},
  };
  return entries;
}

}  // namespace

std::vector<KnownOption> knownOptions() {
  return option_catalogue::knownOptions(table());
}

bool isPatternOption(const std::string& name) {
  return option_catalogue::entryOf(table(), name) != nullptr;
}

bool takeOption(const std::string& name, const std::string& value, TrafficPatterns* patterns,
                std::string* error) {
  return option_catalogue::take(table(), name, value, patterns, error);
}

std::vector<std::string> arguments(const TrafficPatterns& patterns) {
  std::vector<std::string> result;
  if (patterns.jams) {
    result.push_back(jamsOption);
    result.push_back(shortestText(patterns.jams->perDay) + ":" +
                     shortestText(patterns.jams->meanMinutes));
  }
  if (patterns.platoons) {
    result.push_back(platoonsOption);
    result.push_back(shortestText(patterns.platoons->share) + ":" +
                     std::to_string(patterns.platoons->size) + ":" +
                     shortestText(patterns.platoons->gapMetres));
  }
  return result;
}

bool suitsModel(const TrafficPatterns& patterns, TrafficModel model, std::string* error) {
  if (!patterns.jams || !(model.usesHeadwayTable() || model.isCongested())) {
    return true;
  }
  *error = std::string(jamsOption) + " needs free-flowing traffic; the run parameters give " +
           "traffic model " + std::to_string(model.fileCode()) +
           " (value line 12); accepted: 6 or any other model but 0 and 5";
  return false;
}

std::string usageLines(std::size_t column) {
  return option_catalogue::usage(table(), column);
}

}  // namespace traffic_patterns

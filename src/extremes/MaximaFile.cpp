#include "extremes/MaximaFile.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "data/CsvReader.h"

namespace {

const char* const header = "effect,day,max,time_s,vehicles_on_bridge,trucks_on_bridge";

bool readNumber(const std::string& text, double* value) {
  errno = 0;
  char* end = nullptr;
  *value = std::strtod(text.c_str(), &end);
  return !text.empty() && end == text.c_str() + text.size() && errno == 0 && std::isfinite(*value);
}

EffectMaxima& effectNamed(std::vector<EffectMaxima>& effects, const std::string& name) {
  auto found = std::find_if(effects.begin(), effects.end(),
                            [&name](const EffectMaxima& e) { return e.effect == name; });
  if (found != effects.end()) {
    return *found;
  }
  effects.push_back({name, {}});
  return effects.back();
}

bool readFile(const std::string& path, std::size_t run, std::vector<EffectMaxima>& effects,
              std::string* error) {
  CsvReader reader;
  if (!reader.open(path, ",")) {
    *error = "error: cannot read the maxima file " + path + ": " + reader.problem();
    return false;
  }
  std::string line;
  if (!reader.readLine(line) || line != header) {
    *error = "error: " + path + " is not a maxima file: its first line is \"" + line +
             "\"; accepted: the header " + header;
    return false;
  }
  while (reader.readLine(line)) {
    std::string where = "error: " + path + " line " + std::to_string(reader.lineNumber());
    double day = 0.0;
    double value = 0.0;
    if (reader.fieldCount != 6 || !readNumber(reader.field(1), &day) ||
        !readNumber(reader.field(2), &value)) {
      *error = where + " is \"" + line + "\"; accepted: effect,day,max,... with numbers";
      return false;
    }
    EffectMaxima& effect = effectNamed(effects, reader.field(0));
    effect.runs.resize(run + 1);
    std::vector<double>& days = effect.runs[run];
    if (day != static_cast<double>(days.size() + 1)) {
      *error = where + ": day " + reader.field(1) + " of " + reader.field(0) +
               " does not follow day " + std::to_string(days.size());
      return false;
    }
    days.push_back(value);
  }
  if (!reader.problem().empty()) {
    *error = "error: cannot read the maxima file " + path + ": " + reader.problem();
    return false;
  }
  return true;
}

}  // namespace

bool readMaximaFiles(const std::vector<std::string>& paths, std::vector<EffectMaxima>* effects,
                     std::string* error) {
  for (std::size_t run = 0; run < paths.size(); ++run) {
    if (!readFile(paths[run], run, *effects, error)) {
      return false;
    }
  }
  return true;
}

std::vector<double> blockMaxima(const EffectMaxima& effect, int blockDays) {
  std::vector<double> maxima;
  auto block = static_cast<std::size_t>(blockDays);
  for (const std::vector<double>& days : effect.runs) {
    for (std::size_t start = 0; start + block <= days.size(); start += block) {
      maxima.push_back(*std::max_element(days.begin() + static_cast<std::ptrdiff_t>(start),
                                         days.begin() + static_cast<std::ptrdiff_t>(start + block)));
    }
  }
  return maxima;
}

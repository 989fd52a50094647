#include "extremes/EventMaximaFile.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/Refusal.h"
#include "base/text/CsvReader.h"
#include "base/text/NumberText.h"
#include "extremes/MaximaFile.h"
#include "load/LoadEffectEngine.h"
#include "options/LoadOptions.h"

namespace {

const std::string header = LoadEffectEngine::eventHeader();
constexpr int columns = 6;  // effect,day,trucks,max,time_s,unit

// Where an effect's reading stands in the current file.
struct Progress {
  long long day = 0;      // of the file's run
  long long trucks = -1;  // the class of the last row
};

EffectEvents& effectNamed(std::vector<EffectEvents>& effects, const std::string& name,
                          bool* added) {
  auto found = std::find_if(effects.begin(), effects.end(),
                            [&name](const EffectEvents& e) { return e.effect == name; });
  *added = found == effects.end();
  if (!*added) {
    return *found;
  }
  effects.push_back({name, "", -1, {}, {}});
  return effects.back();
}

// The row's day and class must follow the effect's last row: classes 0 to K of a day, then
// the next day. The first file's first day sets K.
bool followsOrder(EffectEvents& effect, Progress& progress, long long day, long long trucks,
                  const std::string& where, std::string* error) {
  bool newDay = trucks == 0;
  if (newDay && effect.topClass < 0 && progress.day > 0) {
    effect.topClass = static_cast<int>(progress.trucks);  // the first day's classes set K
  }
  long long expectedDay = newDay ? progress.day + 1 : progress.day;
  bool dayComplete = progress.day == 0 || progress.trucks == effect.topClass;
  bool ordered = day == expectedDay && (newDay ? dayComplete : trucks == progress.trucks + 1) &&
                 (effect.topClass < 0 || trucks <= effect.topClass);
  if (!ordered) {
    return refuse(where + ": day " + std::to_string(day) + ", " + std::to_string(trucks) +
                      " trucks of " + effect.effect + " does not follow day " +
                      std::to_string(progress.day) + ", " + std::to_string(progress.trucks) +
                      " trucks; accepted: each day's classes from 0 trucks up, day after day",
                  error);
  }
  if (effect.topClass < 0 && static_cast<std::size_t>(trucks) == effect.byClass.size()) {
    effect.byClass.emplace_back();
  }
  progress.day = day;
  progress.trucks = trucks;
  return true;
}

bool readRow(const CsvReader& reader, const std::string& where, const std::string& line,
             std::vector<EffectEvents>& effects, std::vector<Progress>& progress,
             std::string* error) {
  long long day = 0;
  long long trucks = 0;
  double value = std::numeric_limits<double>::quiet_NaN();
  bool empty = reader.field(3).empty() && reader.field(4).empty();
  if (reader.fieldCount != columns || !readWholeText(reader.field(1), 1, maxMaximaDay, &day) ||
      !readWholeText(reader.field(2), 0, load_options::maxEventClasses, &trucks) ||
      (!empty && !readNumberText(reader.field(3), &value))) {
    return refuse(where + " is \"" + line +
                      "\"; accepted: effect,day,trucks,max,time_s,unit "
                      "with whole numbers of days from 1 and of trucks from 0 to " +
                      std::to_string(load_options::maxEventClasses) +
                      ", max and time_s numbers or empty together",
                  error);
  }
  bool added = false;
  EffectEvents& effect = effectNamed(effects, reader.field(0), &added);
  if (added) {
    effect.unit = reader.field(5);
  } else if (reader.field(5) != effect.unit) {
    return refuse(where + " gives " + effect.effect + " in " + reader.field(5) +
                      " and the rows before in " + effect.unit +
                      "; accepted: maxima of one unit, made with the same settings",
                  error);
  }
  progress.resize(effects.size());
  Progress& at = progress[static_cast<std::size_t>(&effect - effects.data())];
  if (!followsOrder(effect, at, day, trucks, where, error)) {
    return false;
  }
  effect.byClass[static_cast<std::size_t>(trucks)].push_back(value);
  return true;
}

// Each day of the effect's last run has a value in some class: the bridge's state at every
// moment is one of them.
bool everyDayHasAValue(const EffectEvents& effect, std::string* error) {
  std::size_t days = effect.byClass.front().size();
  for (std::size_t day = days - effect.runDays.back(); day < days; ++day) {
    bool any =
        std::any_of(effect.byClass.begin(), effect.byClass.end(),
                    [day](const std::vector<double>& values) { return !std::isnan(values[day]); });
    if (!any) {
      return refuse("day " + std::to_string(day - (days - effect.runDays.back()) + 1) + " of " +
                        effect.effect +
                        " has no value in any class; accepted: a value in at "
                        "least one class each day",
                    error);
    }
  }
  return true;
}

// Every effect of the file ends on a whole day, holds as many days as the others and, after
// the first file, the same effects and classes as the first.
bool checkRun(const std::string& path, std::vector<EffectEvents>& effects,
              const std::vector<Progress>& progress, std::size_t firstFileEffects,
              std::string* error) {
  if (progress.empty()) {
    return refuse(path + " holds a header and no rows; accepted: an event maxima file with days",
                  error);
  }
  for (std::size_t i = 0; i < effects.size(); ++i) {
    EffectEvents& effect = effects[i];
    if (effect.topClass < 0) {
      effect.topClass = static_cast<int>(effect.byClass.size()) - 1;  // one day only
    }
    if (i >= progress.size() || progress[i].trucks != effect.topClass ||
        progress[i].day != progress.front().day ||
        (firstFileEffects > 0 && effects.size() != firstFileEffects)) {
      return refuse(path +
                        " does not give every effect of the first file, each for the same "
                        "days, each day ending with the class of " +
                        std::to_string(effect.topClass) +
                        " or more trucks; accepted: runs of the same effects and classes",
                    error);
    }
    effect.runDays.push_back(static_cast<std::size_t>(progress[i].day));
    if (!everyDayHasAValue(effect, error)) {
      *error = path + ": " + *error;
      return false;
    }
  }
  return true;
}

// Reads the event maxima of one run from reader, opened on the file or stream named path.
bool readRun(CsvReader& reader, const std::string& path, std::vector<EffectEvents>& effects,
             std::string* error) {
  std::string line;
  if (!reader.readLine(line) || line != header) {
    return refuse(path + " is not an event maxima file: its first line is \"" + line +
                      "\"; accepted: the header " + header,
                  error);
  }
  std::size_t firstFileEffects = effects.size();
  std::vector<Progress> progress;
  while (reader.readLine(line)) {
    std::string where = path + " line " + std::to_string(reader.lineNumber());
    if (!readRow(reader, where, line, effects, progress, error)) {
      return false;
    }
  }
  if (!reader.problem().empty()) {
    return refuse("cannot read the event maxima file " + path + ": " + reader.problem(), error);
  }
  if (!line.empty()) {
    return refuse(path + " line " + std::to_string(reader.lineNumber()) + " is \"" + line +
                      "\", cut short without its line end; accepted: whole rows",
                  error);
  }
  return checkRun(path, effects, progress, firstFileEffects, error);
}

}  // namespace

bool isEventMaximaFile(const std::string& path) {
  CsvReader reader;
  std::string line;
  return reader.open(path, ",") && reader.readLine(line) && line == header;
}

bool readEventMaximaFiles(const std::vector<std::string>& paths, std::vector<EffectEvents>* effects,
                          std::string* error) {
  for (const std::string& path : paths) {
    CsvReader reader;
    if (!reader.open(path, ",")) {
      return refuse("cannot read the event maxima file " + path + ": " + reader.problem(), error);
    }
    if (!readRun(reader, path, *effects, error)) {
      return false;
    }
  }
  return true;
}

bool readEventMaximaStreams(const std::vector<NamedStream>& inputs,
                            std::vector<EffectEvents>* effects, std::string* error) {
  for (const NamedStream& input : inputs) {
    CsvReader reader;
    if (!reader.open(*input.in, ",")) {
      return refuse("cannot read " + input.name + ": " + reader.problem(), error);
    }
    if (!readRun(reader, input.name, *effects, error)) {
      return false;
    }
  }
  return true;
}

EffectMaxima dailyMaximaOf(const EffectEvents& events) {
  EffectMaxima maxima{events.effect, events.unit, {}};
  std::size_t day = 0;
  for (std::size_t days : events.runDays) {
    maxima.runs.emplace_back();
    for (std::size_t end = day + days; day < end; ++day) {
      double greatest = -std::numeric_limits<double>::infinity();
      for (const std::vector<double>& values : events.byClass) {
        if (!std::isnan(values[day])) {
          greatest = std::max(greatest, values[day]);
        }
      }
      maxima.runs.back().push_back(greatest);
    }
  }
  return maxima;
}

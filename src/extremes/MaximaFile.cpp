#include "extremes/MaximaFile.h"

#include <algorithm>
#include <cmath>

#include "base/text/CsvReader.h"
#include "base/text/NumberText.h"
#include "cli/ProgramFrame.h"
#include "load/LoadEffectEngine.h"

namespace {

const std::string header = LoadEffectEngine::header();

// A form of maxima file: its header, its number of columns and where its unit stands.
struct MaximaForm {
  std::string header;
  int columns = 0;
  int unitColumn = -1;  // -1: the rows give no unit
};

// velmora's form; the same without its last column (files written before the unit
// column); and the least that any series of daily maxima needs, with or without a unit.
const MaximaForm forms[] = {{header, 7, 6},
                            {header.substr(0, header.rfind(',')), 6, -1},
                            {"effect,day,max", 3, -1},
                            {"effect,day,max,unit", 4, 3}};

const MaximaForm* formOf(const std::string& firstLine) {
  for (const MaximaForm& form : forms) {
    if (firstLine == form.header) {
      return &form;
    }
  }
  return nullptr;
}

EffectMaxima& effectNamed(std::vector<EffectMaxima>& effects, const std::string& name) {
  auto found = std::find_if(effects.begin(), effects.end(),
                            [&name](const EffectMaxima& e) { return e.effect == name; });
  if (found != effects.end()) {
    return *found;
  }
  effects.push_back({name, "", {}});
  return effects.back();
}

// The effects of `effects` that have days of the run, in their order.
std::vector<std::string> effectsOfRun(const std::vector<EffectMaxima>& effects, std::size_t run) {
  std::vector<std::string> names;
  for (const EffectMaxima& effect : effects) {
    if (effect.runs.size() > run && !effect.runs[run].empty()) {
      names.push_back(effect.effect);
    }
  }
  return names;
}

std::string joined(const std::vector<std::string>& names) {
  std::string text;
  for (const std::string& name : names) {
    text += (text.empty() ? "" : ", ") + name;
  }
  return text.empty() ? "none" : text;
}

// A file's rows must give every effect of the first file, each for the same days: the
// files are runs of one study, and rows from other settings must not join them.
bool checkRunShape(const std::string& path, std::size_t run, std::vector<EffectMaxima>& effects,
                   std::string* error) {
  std::vector<std::string> names = effectsOfRun(effects, run);
  if (names.empty()) {
    *error = path + " holds a header and no rows; accepted: a maxima file with days";
    return false;
  }
  if (run > 0 && names != effectsOfRun(effects, 0)) {
    *error = path + " holds the effects " + joined(names) + "; the first file holds " +
             joined(effectsOfRun(effects, 0)) + "; accepted: runs of the same effects";
    return false;
  }
  for (const EffectMaxima& effect : effects) {
    if (effect.runs[run].size() != effects.front().runs[run].size()) {
      *error = path + " holds " +
               program_frame::countOf(static_cast<long long>(effect.runs[run].size()), "day") +
               " of " + effect.effect + " and " + std::to_string(effects.front().runs[run].size()) +
               " of " + effects.front().effect + "; accepted: every effect for every day";
      return false;
    }
  }
  return true;
}

// The unit a row gives its effect must be the one the effect has had so far: files made
// with other settings are not joined.
bool unitAgrees(EffectMaxima& effect, const std::string& unit, const std::string& where,
                std::string* error) {
  bool first = effect.runs.empty() || (effect.runs.size() == 1 && effect.runs[0].empty());
  if (first) {
    effect.unit = unit;
    return true;
  }
  if (unit == effect.unit) {
    return true;
  }
  auto named = [](const std::string& text) { return text.empty() ? std::string("no unit") : text; };
  *error = where + " gives " + effect.effect + " in " + named(unit) + " and the rows before in " +
           named(effect.unit) + "; accepted: maxima of one unit, made with the same settings";
  return false;
}

bool readRow(const CsvReader& reader, const std::string& path, const std::string& line,
             std::size_t run, const MaximaForm& form, std::vector<EffectMaxima>& effects,
             std::string* error) {
  std::string where = path + " line " + std::to_string(reader.lineNumber());
  long long day = 0;
  double value = 0.0;
  if (reader.fieldCount != form.columns || !readWholeText(reader.field(1), 1, maxMaximaDay, &day) ||
      !readNumberText(reader.field(2), &value)) {
    *error = where + " is \"" + line + "\"; accepted: " + form.header +
             " with a whole number of days from 1 and a number for max";
    return false;
  }
  std::string unit = form.unitColumn < 0 ? "" : reader.field(form.unitColumn);
  EffectMaxima& effect = effectNamed(effects, reader.field(0));
  if (!unitAgrees(effect, unit, where, error)) {
    return false;
  }
  effect.runs.resize(run + 1);
  std::vector<double>& days = effect.runs[run];
  if (day != static_cast<long long>(days.size() + 1)) {
    *error = where + ": day " + reader.field(1) + " of " + reader.field(0) +
             " does not follow day " + std::to_string(days.size());
    return false;
  }
  days.push_back(value);
  return true;
}

// Reads the maxima of one run from reader, opened on the file or stream named path.
bool readRun(CsvReader& reader, const std::string& path, std::size_t run,
             std::vector<EffectMaxima>& effects, std::string* error) {
  std::string line;
  const MaximaForm* form = reader.readLine(line) ? formOf(line) : nullptr;
  if (form == nullptr) {
    *error = path + " is not a maxima file: its first line is \"" + line +
             "\"; accepted: the header " + header + ", or effect,day,max with an optional unit";
    return false;
  }
  while (reader.readLine(line)) {
    if (!readRow(reader, path, line, run, *form, effects, error)) {
      return false;
    }
  }
  if (!reader.problem().empty()) {
    *error = "cannot read the maxima file " + path + ": " + reader.problem();
    return false;
  }
  if (!line.empty()) {  // the last line has no line end: the file was cut short
    *error = path + " line " + std::to_string(reader.lineNumber()) + " is \"" + line +
             "\", cut short without its line end; accepted: whole rows";
    return false;
  }
  for (EffectMaxima& effect : effects) {
    effect.runs.resize(run + 1);
  }
  return checkRunShape(path, run, effects, error);
}

}  // namespace

bool readMaximaFiles(const std::vector<std::string>& paths, std::vector<EffectMaxima>* effects,
                     std::string* error) {
  for (std::size_t run = 0; run < paths.size(); ++run) {
    CsvReader reader;
    if (!reader.open(paths[run], ",")) {
      *error = "cannot read the maxima file " + paths[run] + ": " + reader.problem();
      return false;
    }
    if (!readRun(reader, paths[run], run, *effects, error)) {
      return false;
    }
  }
  return true;
}

bool readMaximaStreams(const std::vector<NamedStream>& inputs, std::vector<EffectMaxima>* effects,
                       std::string* error) {
  for (std::size_t run = 0; run < inputs.size(); ++run) {
    CsvReader reader;
    if (!reader.open(*inputs[run].in, ",")) {
      *error = "cannot read " + inputs[run].name + ": " + reader.problem();
      return false;
    }
    if (!readRun(reader, inputs[run].name, run, *effects, error)) {
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
      maxima.push_back(
          *std::max_element(days.begin() + static_cast<std::ptrdiff_t>(start),
                            days.begin() + static_cast<std::ptrdiff_t>(start + block)));
    }
  }
  return maxima;
}

#include "options/LoadOptions.h"

#include "base/Refusal.h"
#include "base/text/CsvReader.h"
#include "base/text/NumberText.h"
#include "cli/FileIdentity.h"
#include "cli/OptionCatalogue.h"
#include "load/EffectKinds.h"
#include "options/FatigueOptions.h"

namespace load_options {
namespace {

bool readNumber(const std::string& text, double* value) {
  return readNumberText(text, value);
}

std::vector<std::string> splitAt(const std::string& text, char separator) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (true) {
    std::size_t at = text.find(separator, start);
    parts.push_back(text.substr(start, at == std::string::npos ? at : at - start));
    if (at == std::string::npos) {
      return parts;
    }
    start = at + 1;
  }
}

std::string acceptedEffects() {
  return "accepted: " + effect_kinds::syntaxList() + " (L and a in m, 0 < a < L, L up to " +
         numberText(maxSpan) + "), " + effect_kinds::beamSyntax + " or il:FILE";
}

bool readSpan(const std::string& definition, const std::string& text, double* span,
              std::string* error) {
  if (!readNumber(text, span) || !(*span > 0.0) || *span > maxSpan) {
    return refuse("--effect \"" + definition + "\": the span \"" + text +
                      "\" is not a length in m above 0 and up to " + numberText(maxSpan) + "; " +
                      acceptedEffects(),
                  error);
  }
  return true;
}

// A point line: two numbers, x in m and the ordinate. Blank lines are no points.
bool readPoint(const CsvReader& reader, InfluencePoint* point) {
  return reader.fieldCount == 2 && readNumber(reader.field(0), &point->x) &&
         readNumber(reader.field(1), &point->ordinate);
}

bool readInfluenceFile(const std::string& definition, const std::string& path, LoadEffect* effect,
                       std::string* error) {
  std::string prefix = "--effect \"" + definition + "\": the influence line " + path;
  CsvReader reader;
  if (!reader.open(path, ",")) {
    return refuse(prefix + " cannot be read: " + reader.problem(), error);
  }
  std::vector<InfluencePoint> points;
  for (std::string line; reader.readLine(line);) {
    if (line.find_first_not_of(" \t") == std::string::npos) {
      continue;
    }
    InfluencePoint point;
    if (!readPoint(reader, &point)) {
      if (reader.lineNumber() == 1) {
        continue;  // a header line
      }
      return refuse(prefix + " line " + std::to_string(reader.lineNumber()) + " is \"" + line +
                        "\"; accepted: x_m,ordinate as two numbers",
                    error);
    }
    if (points.size() >= maxInfluencePoints) {
      return refuse(prefix + " has more than " + std::to_string(maxInfluencePoints) + " points",
                    error);
    }
    points.push_back(point);
  }
  if (!reader.problem().empty()) {
    return refuse(prefix + " cannot be read: " + reader.problem(), error);
  }
  effect->ownLine = true;
  return lineFromPoints(prefix, points, &effect->line, error);
}

bool readFactors(const std::string& option, const std::string& text, std::vector<double>* factors,
                 std::string* error) {
  std::vector<double> values;
  for (const std::string& part : splitAt(text, ',')) {
    double value = 0.0;
    if (!readNumber(part, &value) || value < 0.0 || value > maxFactor) {
      return refuse(option + " is \"" + text + "\"; accepted: numbers from 0 to " +
                        numberText(maxFactor) + " separated by commas",
                    error);
    }
    values.push_back(value);
  }
  *factors = values;
  return true;
}

bool readBeamEffect(const std::string& definition, LoadEffect* effect, std::string* error) {
  effect_kinds::BeamEffect beam;
  std::string why;
  if (!effect_kinds::readBeam(definition, maxSpan, &beam, &why)) {
    return refuse("--effect \"" + definition + "\": " + why + "; " + acceptedEffects(), error);
  }
  effect->line = effect_kinds::beamLine(beam);
  effect->force = beam.quantity != continuous_beam::Quantity::moment;
  effect->identity = effect_kinds::beamIdentity(beam);
  return true;
}

}  // namespace

bool parseEffect(const std::string& definition, LoadEffect* effect, std::string* error) {
  effect->name = definition;
  std::size_t colon = definition.find(':');
  std::string kind = definition.substr(0, colon);
  if (kind == "il" && colon != std::string::npos && colon + 1 < definition.size()) {
    effect->file = definition.substr(colon + 1);
    effect->identity = "il:" + effect->file;
    return readInfluenceFile(definition, effect->file, effect, error);
  }
  if (kind == "beam") {
    return readBeamEffect(definition, effect, error);
  }
  std::vector<std::string> parts = splitAt(definition, ':');
  const effect_kinds::EffectForm* form = effect_kinds::formOf(kind, parts.size() - 1);
  if (form == nullptr) {
    return refuse(std::string("--effect is \"") + definition + "\"; " + acceptedEffects(), error);
  }
  std::vector<double> lengths(form->lengths, 0.0);
  if (!readSpan(definition, parts[1], &lengths[0], error)) {
    return false;
  }
  for (std::size_t i = 1; i < lengths.size(); ++i) {
    double& length = lengths[i];
    if (!readNumber(parts[i + 1], &length) || !(length > 0.0) || !(length < lengths[0])) {
      return refuse("--effect \"" + definition + "\": the position \"" + parts[i + 1] +
                        "\" is not a distance in m above 0 and below the span " + parts[1],
                    error);
    }
  }
  effect->line = form->line(lengths);
  effect->force = form->quantity == effect_kinds::Quantity::force;
  effect->identity = kind;
  for (double length : form->whole(lengths)) {
    effect->identity += ":" + shortestText(length);  // moment:30 is moment:30:15
  }
  return true;
}

bool eventOptionsAgree(const LoadSettings& settings, bool eventFile, const std::string& fileOption,
                       std::string* error) {
  if (eventFile && settings.effects.empty()) {
    return refuse(fileOption + " needs at least one --effect", error);
  }
  if (settings.eventClassesGiven && !eventFile) {
    return refuse("--event-classes needs " + fileOption + ", where the event maxima go", error);
  }
  return true;
}

bool lineFromPoints(const std::string& what, const std::vector<InfluencePoint>& points,
                    InfluenceLine* line, std::string* error) {
  if (points.size() > maxInfluencePoints) {
    return refuse(what + " has more than " + std::to_string(maxInfluencePoints) + " points", error);
  }
  std::string why;
  if (!InfluenceLine::fromPoints(points, line, &why)) {
    return refuse(what + " is not a line of x rising from 0: " + why, error);
  }
  if (line->length() > maxSpan) {
    return refuse(what + " is " + numberText(line->length()) + " m long; accepted: up to " +
                      numberText(maxSpan) + " m",
                  error);
  }
  return true;
}

namespace {

// Whether two effects are one: by name, by what they are, or by their file's identity.
bool sameEffect(const LoadEffect& a, const LoadEffect& b) {
  return a.name == b.name || (!a.identity.empty() && a.identity == b.identity) ||
         (!a.file.empty() && !b.file.empty() && isSameFile(a.file, b.file));
}

}  // namespace

bool addEffect(LoadEffect effect, LoadSettings* settings, std::string* error) {
  for (const LoadEffect& given : settings->effects) {
    if (given.name == effect.name) {
      return refuse("--effect \"" + effect.name + "\" is given twice; accepted: each effect once",
                    error);
    }
    if (sameEffect(given, effect)) {
      return refuse("--effect \"" + effect.name + "\" is the effect \"" + given.name +
                        "\" given before; accepted: each effect once",
                    error);
    }
  }
  settings->effects.push_back(std::move(effect));
  return true;
}

std::vector<std::string> influenceFiles(const LoadSettings& settings) {
  std::vector<std::string> files;
  for (const LoadEffect& effect : settings.effects) {
    if (effect.ownLine && effect.name.compare(0, 3, "il:") == 0) {
      files.push_back(effect.name.substr(3));
    }
  }
  return files;
}

namespace {

bool takeEffect(const std::string& value, LoadSettings* settings, std::string* error) {
  LoadEffect effect;
  return parseEffect(value, &effect, error) && addEffect(std::move(effect), settings, error);
}

bool takeLaneFactors(const std::string& value, LoadSettings* settings, std::string* error) {
  return readFactors("--lane-factors", value, &settings->laneFactors, error);
}

bool takeUnitScale(const std::string& value, LoadSettings* settings, std::string* error) {
  settings->inKilonewtons = true;
  if (!readNumber(value, &settings->unitScale) || !(settings->unitScale > 0.0) ||
      settings->unitScale > maxFactor) {
    return refuse("--kn-per-unit is \"" + value + "\"; accepted: a number above 0 and up to " +
                      numberText(maxFactor),
                  error);
  }
  return true;
}

std::string eventClassesRange() {
  return "a whole number from 1 to " + std::to_string(maxEventClasses);
}

bool takeEventClasses(const std::string& value, LoadSettings* settings, std::string* error) {
  long long classes = 0;
  if (!readWholeText(value, 1, maxEventClasses, &classes)) {
    return refuse("--event-classes is \"" + value + "\"; accepted: " + eventClassesRange(), error);
  }
  settings->eventClasses = static_cast<int>(classes);
  settings->eventClassesGiven = true;
  return true;
}

const OptionTable<LoadSettings>& table() {
  static const OptionTable<LoadSettings> entries = {
      {"--effect", "EFFECT", "",
       "a load effect whose daily maxima to compute (repeatable):\n"
       "moment:L (mid-span of a simple span of L m), moment:L:a\n"
       "(a m from the left support), shear:L (left reaction),\n"
       "hogging:L (over the central support of two spans of L m),\n"
       "beam:L1,L2,...:QUANTITY@X (a continuous beam: moment, shear\n"
       "just right of X or reaction at X m from its left end; -QUANTITY\n"
       "for the most negative),\n"
       "il:FILE (an influence line: lines x_m,ordinate)",
       takeEffect},
      {"--lane-factors", "F,...", "", "a factor for each lane's loads, lane 1 first (default 1)",
       takeLaneFactors},
      {"--kn-per-unit", "F", "",
       "effect units per site weight unit (default " + shortestText(LoadSettings().unitScale) + ")",
       takeUnitScale},
      {"--event-classes", "K", eventClassesRange(),
       "with event maxima: the classes 0, 1, ..., K trucks on the\n"
       "bridge, the last meaning K or more (default " +
           std::to_string(LoadSettings().eventClasses) + ")",
       takeEventClasses},
  };
  return entries;
}

constexpr std::size_t helpColumn = 23;

}  // namespace

std::vector<KnownOption> knownOptions() {
  std::vector<KnownOption> known = option_catalogue::knownOptions(table());
  std::vector<KnownOption> fatigue = fatigue_options::knownOptions();
  known.insert(known.end(), fatigue.begin(), fatigue.end());
  return known;
}

bool isLoadOption(const std::string& name) {
  return option_catalogue::entryOf(table(), name) != nullptr ||
         fatigue_options::isFatigueOption(name);
}

bool takeOption(const std::string& name, const std::string& value, LoadSettings* settings,
                std::string* error) {
  if (fatigue_options::isFatigueOption(name)) {
    return fatigue_options::takeOption(name, value, &settings->fatigue, error);
  }
  return option_catalogue::take(table(), name, value, settings, error);
}

std::string usageLines() {
  return option_catalogue::usage(table(), helpColumn) + fatigue_options::usageLines();
}

}  // namespace load_options

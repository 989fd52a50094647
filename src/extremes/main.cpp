// velmora-extremes: extreme-value fits and return levels of the daily maxima of load effects.
#include <algorithm>
#include <cmath>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "cli/ExitStatus.h"
#include "cli/OutputFile.h"
#include "cli/ProgramFrame.h"
#include "data/NumberText.h"
#include "extremes/AnalysisLimits.h"
#include "extremes/EffectAnalysis.h"
#include "extremes/EventMaximaFile.h"
#include "extremes/ExtremesOptions.h"
#include "extremes/MaximaFile.h"
#include "extremes/ReturnLevelChart.h"
#include "output/Calendar.h"

namespace {

const char* const program = "velmora-extremes";
constexpr double maxDaysPerYear = calendar::maxRunDays;  // the longest year a run can hold

struct Arguments {
  std::vector<std::string> files;        // maxima or event maxima files, told by their header
  std::vector<std::string> eventFiles;   // --composite
  AnalysisSettings settings;
  std::string svgFile;
  std::string csvFile;
};

std::string usageText() {
  return "usage: velmora-extremes [--block-days N] [--return-period YEARS]... [--days-per-year D]\n"
         "                        [--threshold [EFFECT=]U]... [--threshold-quantile Q]\n"
         "                        [--composite EVENTS.csv]... [--resamples N] [--seed S]\n"
         "                        [--svg FILE] [--csv FILE] MAXIMA.csv...\n"
         "\n"
         "Fits, for every effect of the maxima files (written by velmora --maxima or\n"
         "velmora-load; several files are several runs, taken one after the other), side by\n"
         "side and by maximum likelihood: a generalized extreme value and a Gumbel distribution\n"
         "of the block maxima, a generalized Pareto distribution of the daily maxima over a\n"
         "threshold and, given event maxima files (--event-maxima; as operands they are told\n"
         "by their header, and alone they also give the daily maxima), the composite of a GEV\n"
         "for each number of trucks on the bridge. Gives the return levels with 95 % intervals\n"
         "(profile likelihood; the composite's by bootstrap), goodness-of-fit p-values, the\n"
         "long-run levels read from the annual maxima, and a warning for every doubtful fit.\n"
         "The shapes xi are positive for a heavy upper tail (scipy's genextreme c is -xi).\n"
         "\n"
         "options:\n"
         "  --block-days N         days in a block (default 1)\n"
         "  --composite FILE       an event maxima file for the composite model (repeatable:\n"
         "                         one for each run)\n" +
         extremes_options::tailUsageLines() +
         "  --seed S               the bootstraps' seed (default 1)\n"
         "  --return-period YEARS  a return period above 1 year and up to " +
         std::to_string(static_cast<long>(analysis_limits::maxReturnYears)) +
         " (repeatable;\n"
         "                         default 75, 100 and 1000)\n"
         "  --days-per-year D      days in a year (default 250, the simulated calendar's)\n"
         "  --svg FILE             a return-level chart on Gumbel axes for every effect\n"
         "  --csv FILE             everything as a table\n"
         "  --help, --version\n";
}

// A number that is the whole of text, above 0 and up to `most`.
bool readPositive(const std::string& text, double most, double* value) {
  return readNumberText(text, value) && *value > 0.0 && *value <= most;
}

bool refuse(const std::string& message, std::string* error) {
  *error = message;
  return false;
}

bool takeOption(const GivenOption& option, Arguments* parsed, bool* defaultPeriods,
                std::string* error) {
  const std::string& text = option.value;
  double value = 0.0;
  if (extremes_options::isTailOption(option.name)) {
    return extremes_options::takeTailOption(option.name, text, &parsed->settings, error);
  }
  if (option.name == "--composite") {
    parsed->eventFiles.push_back(text);
    return true;
  }
  if (option.name == "--seed") {
    long long seed = 0;
    if (!readWholeText(text, 0, 4294967295LL, &seed)) {
      return refuse("--seed is \"" + text + "\"; accepted: a whole number from 0 to 4294967295",
                    error);
    }
    parsed->settings.seed = static_cast<std::uint64_t>(seed);
    return true;
  }
  if (option.name == "--svg" || option.name == "--csv") {
    (option.name == "--svg" ? parsed->svgFile : parsed->csvFile) = text;
  } else if (option.name == "--block-days") {
    if (!readPositive(text, analysis_limits::maxBlockDays, &value) ||
        value != static_cast<int>(value)) {
      return refuse("--block-days is \"" + text + "\"; accepted: a whole number from 1 to " +
                        std::to_string(analysis_limits::maxBlockDays),
                    error);
    }
    parsed->settings.blockDays = static_cast<int>(value);
  } else if (option.name == "--return-period") {
    if (!readPositive(text, analysis_limits::maxReturnYears, &value) || !(value > 1.0)) {
      return refuse("--return-period is \"" + text +
                        "\"; accepted: a number of years above 1 and up to " +
                        std::to_string(static_cast<long>(analysis_limits::maxReturnYears)),
                    error);
    }
    if (*defaultPeriods) {
      parsed->settings.returnYears.clear();
      *defaultPeriods = false;
    }
    parsed->settings.returnYears.push_back(value);
  } else if (!readPositive(text, maxDaysPerYear, &value)) {
    return refuse("--days-per-year is \"" + text + "\"; accepted: a number of days above 0 and up to " +
                      std::to_string(static_cast<int>(maxDaysPerYear)),
                  error);
  } else {
    parsed->settings.daysPerYear = value;
  }
  return true;
}

bool readArguments(const CommandArguments& given, Arguments* parsed, std::string* error) {
  bool defaultPeriods = true;
  for (const GivenOption& option : given.options) {
    if (!takeOption(option, parsed, &defaultPeriods, error)) {
      return false;
    }
  }
  for (const std::string& file : given.operands) {
    (isEventMaximaFile(file) ? parsed->eventFiles : parsed->files).push_back(file);
  }
  parsed->settings.forChart = !parsed->svgFile.empty();
  if (parsed->files.empty() && parsed->eventFiles.empty()) {
    return refuse("velmora-extremes needs at least one maxima file", error);
  }
  return true;
}

// Writes with write into the output at path.
template <typename Write>
bool writeOutput(const std::string& what, const std::string& path, Write write, std::string* error) {
  OutputFile output(what, path);
  if (!output.open(error)) {
    return false;
  }
  write(output.stream());
  return output.commit(error);
}

// The event maxima must be of the maxima's days: each day's greatest event row its maximum.
bool eventsMatchMaxima(const EffectEvents& events, const EffectMaxima& maxima, std::string* error) {
  if (dailyMaximaOf(events).runs != maxima.runs) {
    *error = "the event maxima of " + events.effect + " are not of the maxima files' days: each "
             "day's greatest event value must be its maximum; accepted: both files of the same runs";
    return false;
  }
  if (events.unit != maxima.unit && !maxima.unit.empty()) {
    *error = "the event maxima give " + events.effect + " in " + events.unit +
             " and the maxima files in " + maxima.unit + "; accepted: files of one unit";
    return false;
  }
  return true;
}

// Reads the maxima, and the event maxima, which alone also give the daily maxima.
bool readInputs(const Arguments& arguments, std::vector<EffectMaxima>* effects,
                std::vector<EffectEvents>* events, std::string* error) {
  if (!readEventMaximaFiles(arguments.eventFiles, events, error)) {
    return false;
  }
  if (arguments.files.empty()) {
    for (const EffectEvents& effect : *events) {
      effects->push_back(dailyMaximaOf(effect));
    }
    return true;
  }
  if (!readMaximaFiles(arguments.files, effects, error)) {
    return false;
  }
  for (const EffectEvents& effect : *events) {
    auto maxima = std::find_if(effects->begin(), effects->end(),
                               [&effect](const EffectMaxima& m) { return m.effect == effect.effect; });
    if (maxima == effects->end()) {
      *error = "the event maxima hold " + effect.effect + ", which the maxima files do not; "
               "accepted: event maxima of the maxima files' effects";
      return false;
    }
    if (!eventsMatchMaxima(effect, *maxima, error)) {
      return false;
    }
  }
  return true;
}

EffectData dataOf(const EffectMaxima& effect, const std::vector<EffectEvents>& events,
                  const AnalysisSettings& settings) {
  EffectData data{effect.effect, effect.unit, {}, blockMaxima(effect, settings.blockDays), {},
                  nullptr};
  for (const std::vector<double>& run : effect.runs) {
    data.dailyMaxima.insert(data.dailyMaxima.end(), run.begin(), run.end());
  }
  if (settings.daysPerYear == std::floor(settings.daysPerYear)) {
    data.annualMaxima = blockMaxima(effect, static_cast<int>(settings.daysPerYear));
  }
  for (const EffectEvents& each : events) {
    if (each.effect == effect.effect) {
      data.events = &each;
    }
  }
  return data;
}

int analyseFiles(const Arguments& arguments) {
  std::vector<EffectMaxima> effects;
  std::vector<EffectEvents> events;
  std::vector<OutputRequest> outputs;
  std::string error;
  if (!arguments.csvFile.empty()) {
    outputs.push_back({"--csv", arguments.csvFile});
  }
  if (!arguments.svgFile.empty()) {
    outputs.push_back({"--svg", arguments.svgFile});
  }
  std::vector<std::string> inputs = arguments.files;
  inputs.insert(inputs.end(), arguments.eventFiles.begin(), arguments.eventFiles.end());
  if (!checkOutputs(outputs, inputs, &error) || !readInputs(arguments, &effects, &events, &error)) {
    return program_frame::report(error, exit_status::refused);
  }
  for (const auto& given : arguments.settings.threshold.byEffect) {
    if (std::none_of(effects.begin(), effects.end(),
                     [&given](const EffectMaxima& e) { return e.effect == given.first; })) {
      return program_frame::report("--threshold names " + given.first + ", which the files do "
                                   "not hold; accepted: one of their effects",
                                   exit_status::refused);
    }
  }
  std::vector<EffectAnalysis> analyses;
  for (const EffectMaxima& effect : effects) {
    analyses.emplace_back();
    if (!analyse(dataOf(effect, events, arguments.settings), arguments.settings, &analyses.back(),
                 &error)) {
      return program_frame::report(effect.effect + " cannot be fitted: " + error,
                                   exit_status::refused);
    }
    writeReport(std::cout, analyses.back(), arguments.settings);
  }
  if (!arguments.csvFile.empty() &&
      !writeOutput("--csv", arguments.csvFile, [&](std::ostream& out) {
        out << csvHeader() << '\n';
        for (const EffectAnalysis& analysis : analyses) {
          writeCsvRows(out, analysis);
        }
      }, &error)) {
    return program_frame::report(error, exit_status::failure);
  }
  if (!arguments.svgFile.empty() &&
      !writeOutput("--svg", arguments.svgFile, [&](std::ostream& out) {
        writeChart(out, analyses, arguments.settings);
      }, &error)) {
    return program_frame::report(error, exit_status::failure);
  }
  int status = program_frame::finishConsole();
  // After the report has reached standard output, so that the two streams keep apart.
  for (const EffectAnalysis& analysis : analyses) {
    for (const std::string& warning : warningsOf(analysis)) {
      std::cerr << "warning: " << warning << "\n";
    }
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<KnownOption> known = {{"--block-days", true},
                                         {"--return-period", true},
                                         {"--days-per-year", true},
                                         {"--composite", true, "an event maxima file"},
                                         {"--seed", true, "a whole number"},
                                         {"--svg", true, "a file name"},
                                         {"--csv", true, "a file name"}};
  std::vector<KnownOption> tail = extremes_options::tailOptions();
  known.insert(known.end(), tail.begin(), tail.end());
  return program_frame::runTool<Arguments>(std::vector<std::string>(argv + 1, argv + argc), program,
                                        usageText(), known, readArguments, analyseFiles);
}

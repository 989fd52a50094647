// velmora-extremes: extreme-value fits and return levels of the daily maxima of load effects.
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "base/Calendar.h"
#include "cli/ExitStatus.h"
#include "cli/OutputFile.h"
#include "cli/ProgramFrame.h"
#include "extremes/AnalysisLimits.h"
#include "extremes/EffectAnalysis.h"
#include "extremes/EventMaximaFile.h"
#include "extremes/ExtremesOptions.h"
#include "extremes/MaximaAnalysis.h"
#include "extremes/MaximaFile.h"
#include "extremes/ReturnLevelChart.h"

namespace {

const char* const program = "velmora-extremes";

struct Arguments {
  std::vector<std::string> files;       // maxima or event maxima files, told by their header
  std::vector<std::string> eventFiles;  // --composite
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
         "options:\n" +
         extremes_options::analysisUsageLines() +
         "  --composite FILE       an event maxima file for the composite model (repeatable:\n"
         "                         one for each run)\n"
         "  --svg FILE             a return-level chart on Gumbel axes for every effect\n"
         "  --csv FILE             everything as a table\n"
         "  --help, --version\n";
}

bool takeOption(const GivenOption& option, Arguments* parsed, std::string* error) {
  if (option.name == "--composite") {
    parsed->eventFiles.push_back(option.value);
  } else if (option.name == "--svg" || option.name == "--csv") {
    (option.name == "--svg" ? parsed->svgFile : parsed->csvFile) = option.value;
  } else {
    return extremes_options::takeAnalysisOption(option.name, option.value, &parsed->settings,
                                                error);
  }
  return true;
}

bool readArguments(const CommandArguments& given, Arguments* parsed, std::string* error) {
  for (const GivenOption& option : given.options) {
    if (!takeOption(option, parsed, error)) {
      return false;
    }
  }
  for (const std::string& file : given.operands) {
    (isEventMaximaFile(file) ? parsed->eventFiles : parsed->files).push_back(file);
  }
  parsed->settings.forChart = !parsed->svgFile.empty();
  if (parsed->files.empty() && parsed->eventFiles.empty()) {
    *error = "velmora-extremes needs at least one maxima file";
    return false;
  }
  return true;
}

// Writes with write into the output at path.
template <typename Write>
bool writeOutput(const std::string& what, const std::string& path, Write write,
                 std::string* error) {
  OutputFile output(what, path);
  if (!output.open(error)) {
    return false;
  }
  write(output.stream());
  return output.commit(error);
}

// Reads the maxima, and the event maxima, which alone also give the daily maxima.
bool readInputs(const Arguments& arguments, std::vector<EffectMaxima>* effects,
                std::vector<EffectEvents>* events, std::string* error) {
  return readEventMaximaFiles(arguments.eventFiles, events, error) &&
         readMaximaFiles(arguments.files, effects, error) &&
         joinEventMaxima(!arguments.files.empty(), effects, *events, error);
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
  std::vector<EffectAnalysis> analyses;
  if (!analyseEffects(effects, events, arguments.settings, &analyses, &error)) {
    return program_frame::report(error, exit_status::refused);
  }
  for (const EffectAnalysis& analysis : analyses) {
    writeReport(std::cout, analysis, arguments.settings);
  }
  if (!arguments.csvFile.empty() &&
      !writeOutput(
          "--csv", arguments.csvFile, [&](std::ostream& out) { writeCsvTable(out, analyses); },
          &error)) {
    return program_frame::report(error, exit_status::failure);
  }
  if (!arguments.svgFile.empty() &&
      !writeOutput(
          "--svg", arguments.svgFile,
          [&](std::ostream& out) { writeChart(out, analyses, arguments.settings); }, &error)) {
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
  std::vector<KnownOption> known = extremes_options::analysisOptions();
  known.insert(known.end(), {{"--composite", true, "an event maxima file"},
                             {"--svg", true, "a file name"},
                             {"--csv", true, "a file name"}});
  return program_frame::runTool<Arguments>(std::vector<std::string>(argv + 1, argv + argc), program,
                                           usageText(), known, readArguments, analyseFiles);
}

// velmora-extremes: extreme-value fits and return levels of the daily maxima of load effects.
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
#include "extremes/MaximaFile.h"
#include "output/Calendar.h"

namespace {

const char* const program = "velmora-extremes";
constexpr double maxDaysPerYear = calendar::maxRunDays;  // the longest year a run can hold

struct Arguments {
  std::vector<std::string> files;
  AnalysisSettings settings;
  std::string svgFile;
  std::string csvFile;
};

std::string usageText() {
  return "usage: velmora-extremes [--block-days N] [--return-period YEARS]... [--days-per-year D]\n"
         "                        [--svg FILE] [--csv FILE] MAXIMA.csv...\n"
         "\n"
         "Fits, for every effect of the maxima files (written by velmora --maxima or\n"
         "velmora-load; several files are several runs, taken one after the other), a\n"
         "generalized extreme value and a Gumbel distribution to its block maxima by maximum\n"
         "likelihood, and gives the return levels with 95 % profile-likelihood intervals.\n"
         "The GEV shape xi is positive for a heavy upper tail (scipy's genextreme c is -xi).\n"
         "\n"
         "options:\n"
         "  --block-days N         days in a block (default 1)\n"
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
  parsed->files = given.operands;
  if (parsed->files.empty()) {
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

int analyseFiles(const Arguments& arguments) {
  std::vector<EffectMaxima> effects;
  std::vector<OutputRequest> outputs;
  std::string error;
  if (!arguments.csvFile.empty()) {
    outputs.push_back({"--csv", arguments.csvFile});
  }
  if (!arguments.svgFile.empty()) {
    outputs.push_back({"--svg", arguments.svgFile});
  }
  if (!checkOutputs(outputs, arguments.files, &error) ||
      !readMaximaFiles(arguments.files, &effects, &error)) {
    return program_frame::report(error, exit_status::refused);
  }
  std::vector<EffectAnalysis> analyses;
  for (const EffectMaxima& effect : effects) {
    analyses.emplace_back();
    std::vector<double> maxima = blockMaxima(effect, arguments.settings.blockDays);
    if (!analyse(effect.effect, effect.unit, maxima, arguments.settings, &analyses.back(),
                 &error)) {
      return program_frame::report(effect.effect + " cannot be fitted: " + error,
                                   exit_status::refused);
    }
    double daysPerYear = arguments.settings.daysPerYear;
    if (daysPerYear == std::floor(daysPerYear)) {
      readLongRun(blockMaxima(effect, static_cast<int>(daysPerYear)), arguments.settings,
                  &analyses.back());
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
  const std::vector<KnownOption> known = {{"--block-days", true},
                                         {"--return-period", true},
                                         {"--days-per-year", true},
                                         {"--svg", true, "a file name"},
                                         {"--csv", true, "a file name"}};
  return program_frame::runTool<Arguments>(std::vector<std::string>(argv + 1, argv + argc), program,
                                        usageText(), known, readArguments, analyseFiles);
}

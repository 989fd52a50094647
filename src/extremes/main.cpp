// velmora-extremes: extreme-value fits and return levels of the daily maxima of load effects.
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "extremes/EffectAnalysis.h"
#include "extremes/MaximaFile.h"

namespace {

constexpr int exitRefused = 2;
constexpr int exitFailure = 1;

struct Arguments {
  std::vector<std::string> files;
  AnalysisSettings settings;
  std::string svgFile;
  std::string csvFile;
  bool help = false;
  bool version = false;
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
         "  --return-period YEARS  a return period (repeatable; default 75, 100 and 1000)\n"
         "  --days-per-year D      days in a year (default 250, the simulated calendar's)\n"
         "  --svg FILE             a return-level chart on Gumbel axes for every effect\n"
         "  --csv FILE             everything as a table\n"
         "  --help, --version\n";
}

bool readPositive(const std::string& text, double* value) {
  try {
    std::size_t used = 0;
    *value = std::stod(text, &used);
    return used == text.size() && *value > 0.0 && *value < 1e9;
  } catch (const std::exception&) {
    return false;
  }
}

bool parseArguments(const std::vector<std::string>& arguments, Arguments* parsed,
                    std::string* error) {
  bool defaultPeriods = true;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "--version") {
      (argument == "--help" ? parsed->help : parsed->version) = true;
      return true;
    }
    bool takesValue = argument == "--block-days" || argument == "--return-period" ||
                      argument == "--days-per-year" || argument == "--svg" || argument == "--csv";
    if (takesValue && i + 1 >= arguments.size()) {
      *error = "error: " + argument + " needs a value";
      return false;
    }
    double value = 0.0;
    if (argument == "--svg" || argument == "--csv") {
      (argument == "--svg" ? parsed->svgFile : parsed->csvFile) = arguments[++i];
    } else if (argument == "--block-days") {
      const std::string& text = arguments[++i];
      if (!readPositive(text, &value) || value != static_cast<int>(value) || value > 100000) {
        *error = "error: --block-days is \"" + text + "\"; accepted: a whole number from 1 to 100000";
        return false;
      }
      parsed->settings.blockDays = static_cast<int>(value);
    } else if (argument == "--return-period") {
      const std::string& text = arguments[++i];
      if (!readPositive(text, &value) || !(value > 1.0)) {
        *error = "error: --return-period is \"" + text + "\"; accepted: a number of years above 1";
        return false;
      }
      if (defaultPeriods) {
        parsed->settings.returnYears.clear();
        defaultPeriods = false;
      }
      parsed->settings.returnYears.push_back(value);
    } else if (argument == "--days-per-year") {
      const std::string& text = arguments[++i];
      if (!readPositive(text, &value)) {
        *error = "error: --days-per-year is \"" + text + "\"; accepted: a number of days above 0";
        return false;
      }
      parsed->settings.daysPerYear = value;
    } else if (argument.size() > 1 && argument[0] == '-') {
      *error = "error: unknown option \"" + argument + "\"";
      return false;
    } else {
      parsed->files.push_back(argument);
    }
  }
  if (parsed->files.empty()) {
    *error = "error: velmora-extremes needs at least one maxima file";
    return false;
  }
  return true;
}

// Writes with write into the file at path. False, with a message, when it cannot.
template <typename Write>
bool writeFile(const std::string& path, Write write) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  if (!out.is_open()) {
    std::cerr << "error: cannot create \"" << path << "\"" << std::endl;
    return false;
  }
  write(out);
  out.close();
  if (out.fail()) {
    std::cerr << "error: cannot write \"" << path << "\"" << std::endl;
    return false;
  }
  return true;
}

int analyseFiles(const Arguments& arguments) {
  std::vector<EffectMaxima> effects;
  std::string error;
  if (!readMaximaFiles(arguments.files, &effects, &error)) {
    std::cerr << error << std::endl;
    return exitRefused;
  }
  std::vector<EffectAnalysis> analyses;
  for (const EffectMaxima& effect : effects) {
    analyses.emplace_back();
    std::vector<double> maxima = blockMaxima(effect, arguments.settings.blockDays);
    if (!analyse(effect.effect, maxima, arguments.settings, &analyses.back(), &error)) {
      std::cerr << "error: " << effect.effect << " cannot be fitted: " << error << std::endl;
      return exitRefused;
    }
    writeReport(std::cout, analyses.back(), arguments.settings);
  }
  bool written = true;
  if (!arguments.csvFile.empty()) {
    written = writeFile(arguments.csvFile, [&](std::ostream& out) {
      out << csvHeader() << '\n';
      for (const EffectAnalysis& analysis : analyses) {
        writeCsvRows(out, analysis);
      }
    });
  }
  if (!arguments.svgFile.empty()) {
    written = writeFile(arguments.svgFile, [&](std::ostream& out) {
                writeChart(out, analyses, arguments.settings);
              }) && written;
  }
  std::cout.flush();
  return written && std::cout.good() ? 0 : exitFailure;
}

}  // namespace

int main(int argc, char** argv) {
  Arguments arguments;
  std::string error;
  if (!parseArguments(std::vector<std::string>(argv + 1, argv + argc), &arguments, &error)) {
    std::cerr << error << "\n\n" << usageText();
    return exitRefused;
  }
  if (arguments.help) {
    std::cout << usageText();
    return 0;
  }
  if (arguments.version) {
    std::cout << "velmora-extremes " << VELMORA_VERSION << "\n";
    return 0;
  }
  return analyseFiles(arguments);
}

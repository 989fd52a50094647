// velmora-load: the daily maxima of load effects from a written stream of either form.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "data/FileIdentity.h"
#include "loadtool/LoadOptions.h"
#include "loadtool/StreamLoading.h"

namespace {

constexpr int exitRefused = 2;
constexpr int exitFailure = 1;
constexpr int maxDays = 49710;  // the days a time stamp holds

struct Arguments {
  LoadSettings settings;
  std::string output;
  std::string stream;
  int days = 0;  // 0: every day before the last record's
  bool help = false;
  bool version = false;
};

std::string usageText() {
  return "usage: velmora-load --effect EFFECT... [--lane-factors F,...] [--kn-per-unit F]\n"
         "                    [--days N] -o FILE STREAM\n"
         "\n"
         "Computes the greatest value of each load effect in every simulated day of STREAM, a\n"
         "record file written by velmora in either form, and writes them to FILE as CSV rows\n"
         "effect,day,max,time_s,vehicles_on_bridge,trucks_on_bridge.\n"
         "\n"
         "options:\n" +
         load_options::usageLines() +
         "  --days N             the days to report (default: every day before the day of\n"
         "                       the last record, the days of the run that wrote it)\n"
         "  -o FILE              where to write the maxima\n"
         "  --help               show this text\n"
         "  --version            show the version\n";
}

bool readDays(const std::string& text, int* days) {
  if (text.empty() || text.size() > 5 || text.find_first_not_of("0123456789") != std::string::npos) {
    return false;
  }
  *days = std::stoi(text);
  return *days >= 1 && *days <= maxDays;
}

bool parseArguments(const std::vector<std::string>& arguments, Arguments* parsed,
                    std::string* error) {
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    bool taken = false;
    if (!load_options::takeOption(arguments, &i, &parsed->settings, &taken, error)) {
      return false;
    }
    if (taken) {
      continue;
    }
    if (argument == "--help" || argument == "-h" || argument == "--version") {
      (argument == "--version" ? parsed->version : parsed->help) = true;
      return true;
    }
    if ((argument == "-o" || argument == "--days") && i + 1 >= arguments.size()) {
      *error = "error: " + argument + " needs a value";
      return false;
    }
    if (argument == "-o") {
      parsed->output = arguments[++i];
    } else if (argument == "--days") {
      if (!readDays(arguments[++i], &parsed->days)) {
        *error = "error: --days is \"" + arguments[i] + "\"; accepted: a whole number from 1 to " +
                 std::to_string(maxDays);
        return false;
      }
    } else if (argument.size() > 1 && argument[0] == '-') {
      *error = "error: unknown option \"" + argument + "\"";
      return false;
    } else if (!parsed->stream.empty()) {
      *error = "error: more than one stream: \"" + parsed->stream + "\" and \"" + argument + "\"";
      return false;
    } else {
      parsed->stream = argument;
    }
  }
  if (parsed->settings.effects.empty() || parsed->output.empty() || parsed->stream.empty()) {
    *error = "error: velmora-load needs at least one --effect, -o FILE and a STREAM";
    return false;
  }
  return true;
}

int refuse(const std::string& error) {
  std::cerr << error << std::endl;
  return exitRefused;
}

// Computes the maxima into a file beside the output, which replaces the output only when
// the whole stream was read: a refused stream leaves an earlier output as it was.
int computeMaxima(const Arguments& arguments) {
  if (isSameFile(arguments.output, arguments.stream)) {
    return refuse("error: -o names the stream " + arguments.stream +
                  "; accepted: a file that is not the stream");
  }
  std::error_code ignored;
  if (std::filesystem::is_directory(arguments.stream, ignored)) {
    return refuse("error: the stream \"" + arguments.stream + "\" is a folder; accepted: a record file");
  }
  std::ifstream in(arguments.stream, std::ios::binary);
  if (!in.is_open()) {
    return refuse("error: cannot open the stream \"" + arguments.stream + "\"");
  }
  std::string partial = arguments.output + ".partial";
  std::ofstream out(partial, std::ios::binary | std::ios::trunc);
  if (!out.is_open()) {
    return refuse("error: cannot create \"" + partial + "\" beside the output");
  }
  LoadEffectEngine engine(arguments.settings, out);
  std::string error;
  bool loaded = loadStream(in, arguments.stream, arguments.days, engine, &error);
  out.close();
  if (!loaded) {
    std::remove(partial.c_str());
    return refuse(error);
  }
  if (out.fail() || std::rename(partial.c_str(), arguments.output.c_str()) != 0) {
    std::remove(partial.c_str());
    std::cerr << "error: cannot write the output \"" << arguments.output << "\"" << std::endl;
    return exitFailure;
  }
  return 0;
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
    std::cout << "velmora-load " << VELMORA_VERSION << "\n";
    return 0;
  }
  return computeMaxima(arguments);
}

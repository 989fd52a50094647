#include "run/CommandLine.h"

#include "loadtool/LoadOptions.h"

namespace {

constexpr const char* version = VELMORA_VERSION;

// A whole number from 0 to 4294967295 written in decimal digits only.
bool parseSeed(const std::string& text, std::uint32_t& seed) {
  if (text.empty() || text.size() > 10) {
    return false;
  }
  std::uint64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') {
      return false;
    }
    value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (value > 4294967295u) {
    return false;
  }
  seed = static_cast<std::uint32_t>(value);
  return true;
}

bool refuse(const std::string& message, std::string* error) {
  *error = message;
  return false;
}

// Load effects need a maxima file and the reverse; a run without records needs maxima.
bool loadOptionsAgree(const RunOptions& options, std::string* error) {
  bool effects = !options.load.effects.empty();
  bool maxima = !options.maximaFile.empty();
  if (effects && !maxima) {
    return refuse("error: --effect needs --maxima FILE, where the daily maxima go", error);
  }
  if (maxima && !effects) {
    return refuse("error: --maxima needs at least one --effect", error);
  }
  if (!options.writeRecords && !maxima) {
    return refuse("error: --no-records needs --effect and --maxima: the run would write nothing",
                  error);
  }
  bool loadOptions = !options.load.laneFactors.empty() || options.load.unitScale != 1.0;
  if (loadOptions && !effects) {
    return refuse("error: --lane-factors and --kn-per-unit need --effect", error);
  }
  return true;
}

}  // namespace

bool parseCommandLine(const std::vector<std::string>& arguments, CommandLine* line,
                      std::string* error) {
  *line = CommandLine();
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      line->action = CommandLine::Action::help;
      return true;
    }
    if (argument == "--version") {
      line->action = CommandLine::Action::version;
      return true;
    }
    if (argument == "--seed") {
      if (i + 1 >= arguments.size()) {
        return refuse("error: --seed needs a value; accepted: a whole number from 0 to 4294967295",
                      error);
      }
      const std::string& value = arguments[++i];
      if (!parseSeed(value, line->seed)) {
        return refuse("error: --seed is \"" + value +
                          "\"; accepted: a whole number from 0 to 4294967295",
                      error);
      }
      line->seeded = true;
      continue;
    }
    if (argument == "--format") {
      const char* const accepted = "; accepted: fixed or csv";
      if (i + 1 >= arguments.size()) {
        return refuse(std::string("error: --format needs a value") + accepted, error);
      }
      const std::string& value = arguments[++i];
      if (value != "fixed" && value != "csv") {
        return refuse("error: --format is \"" + value + "\"" + accepted, error);
      }
      line->options.format = value == "csv" ? RecordFormat::csv : RecordFormat::fixedColumns;
      continue;
    }
    if (argument == "--maxima") {
      if (i + 1 >= arguments.size()) {
        return refuse("error: --maxima needs a file name", error);
      }
      line->options.maximaFile = arguments[++i];
      continue;
    }
    if (argument == "--no-records") {
      line->options.writeRecords = false;
      continue;
    }
    bool taken = false;
    if (!load_options::takeOption(arguments, &i, &line->options.load, &taken, error)) {
      return false;
    }
    if (!taken) {
      return refuse("error: unknown option \"" + argument + "\"", error);
    }
  }
  return loadOptionsAgree(line->options, error);
}

std::string usageText() {
  return std::string(
      "usage: velmora [--seed N] [--format fixed|csv]\n"
      "               [--effect EFFECT... --maxima FILE [--no-records]]\n"
      "\n"
      "Generates a synthetic road-traffic stream, vehicle by vehicle, in the current folder.\n"
      "Reads the run parameters from VLMin.txt (the built-in defaults when it is missing) and\n"
      "the site data from Traffic/<site>/, and writes one fixed-column record per vehicle, in\n"
      "time order, to the output file the parameters name (TrafOut.txt by default).\n"
      "\n"
      "options:\n"
      "  --seed N    start the random stream from N (0 to 4294967295): the same seed,\n"
      "              parameters and site data give the same output, byte for byte.\n"
      "              Without it every run is seeded from the system.\n"
      "  --format F  fixed (the default): one fixed-column record per vehicle;\n"
      "              csv: the same numbers as comma-separated values under a header\n"
      "              line of column names with their units\n"
      "  --help      show this text\n"
      "  --version   show the version\n"
      "\n"
      "load effects on a bridge carrying every lane (README: \"Load effects on a bridge\"):\n" +
      load_options::usageLines() +
      "  --maxima FILE        where the daily maxima go, as CSV\n"
      "  --no-records         write no record file, only the maxima\n"
      "\n" +
      std::string(
      "The README's sections \"A run folder\", \"The output record\", \"Reading the output\"\n"
      "and \"When input is refused\" give the details.\n"));
}

std::string versionText() {
  return std::string("velmora ") + version + "\n";
}

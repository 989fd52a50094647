#include "run/CommandLine.h"

#include "base/Refusal.h"
#include "base/text/NumberText.h"
#include "options/FatigueOptions.h"
#include "options/LoadOptions.h"

namespace {

constexpr const char* version = VELMORA_VERSION;

// Load effects need a maxima file and the reverse; a run without records needs maxima.
bool loadOptionsAgree(const RunOptions& options, std::string* error) {
  bool effects = !options.load.effects.empty();
  bool maxima = !options.maximaFile.empty();
  if (effects && !maxima) {
    return refuse("--effect needs --maxima FILE, where the daily maxima go", error);
  }
  if (maxima && !effects) {
    return refuse("--maxima needs at least one --effect", error);
  }
  if (!options.writeRecords && !maxima) {
    return refuse("--no-records needs --effect and --maxima: the run would write nothing", error);
  }
  bool loadOptions = !options.load.laneFactors.empty() || options.load.inKilonewtons;
  if (loadOptions && !effects) {
    return refuse("--lane-factors and --kn-per-unit need --effect", error);
  }
  return load_options::eventOptionsAgree(options.load, !options.eventMaximaFile.empty(),
                                         "--event-maxima", error) &&
         fatigue_options::optionsAgree(options.load, !options.spectrumFile.empty(),
                                       !options.damageFile.empty(), "--fatigue", "--damage", error);
}

}  // namespace

bool takeCommandLineOption(const GivenOption& option, CommandLine* line, std::string* error) {
  const std::string& value = option.value;
  if (option.name == "--seed") {
    if (!readSeed(option.name, value, &line->seed, error)) {
      return false;
    }
    line->seeded = true;
  } else if (option.name == "--format") {
    if (value != "fixed" && value != "csv") {
      return refuse("--format is \"" + value + "\"; accepted: fixed or csv", error);
    }
    line->options.format = value == "csv" ? RecordFormat::csv : RecordFormat::fixedColumns;
  } else if (option.name == "--maxima") {
    line->options.maximaFile = value;
  } else if (option.name == "--event-maxima") {
    line->options.eventMaximaFile = value;
  } else if (option.name == "--fatigue") {
    line->options.spectrumFile = value;
  } else if (option.name == "--damage") {
    line->options.damageFile = value;
  } else if (option.name == "--no-records") {
    line->options.writeRecords = false;
  } else if (traffic_patterns::isPatternOption(option.name)) {
    return traffic_patterns::takeOption(option.name, value, &line->options.patterns, error);
  } else {
    return load_options::takeOption(option.name, value, &line->options.load, error);
  }
  return true;
}

bool parseCommandLine(const std::vector<std::string>& arguments, CommandLine* line,
                      std::string* error) {
  *line = CommandLine();
  std::vector<KnownOption> known = {{"--seed", true, seedRange()},
                                    {"--format", true, "fixed or csv"},
                                    {"--maxima", true},
                                    {"--event-maxima", true},
                                    {"--fatigue", true},
                                    {"--damage", true},
                                    {"--no-records", false}};
  for (const std::vector<KnownOption>& group :
       {traffic_patterns::knownOptions(), load_options::knownOptions()}) {
    known.insert(known.end(), group.begin(), group.end());
  }
  CommandArguments parsed;
  if (!parseArguments(arguments, known, &parsed, error)) {
    return false;
  }
  if (parsed.help || parsed.version) {
    line->action = parsed.help ? CommandLine::Action::help : CommandLine::Action::version;
    return true;
  }
  if (!parsed.operands.empty()) {
    return refuse("velmora takes no file names; found \"" + parsed.operands[0] +
                      "\" (it reads VLMin.txt in the current folder)",
                  error);
  }
  for (const GivenOption& option : parsed.options) {
    if (!takeCommandLineOption(option, line, error)) {
      return false;
    }
  }
  return loadOptionsAgree(line->options, error);
}

std::string usageText() {
  return std::string(
      "usage: velmora [--seed N] [--format fixed|csv]\n"
      "               [--jams PER_DAY:MEAN_MINUTES] [--platoons SHARE:SIZE:GAP_M]\n"
      "               [--effect EFFECT... --maxima FILE [--event-maxima FILE]\n"
      "               [--fatigue FILE] [--damage FILE] [--no-records]]\n"
      "\n"
      "Generates a synthetic road-traffic stream, vehicle by vehicle, in the current folder.\n"
      "Reads the run parameters from VLMin.txt (the built-in defaults when it is missing) and\n"
      "the site data from Traffic/<site>/, and writes one fixed-column record per vehicle, in\n"
      "time order, to the output file the parameters name (TrafOut.txt by default).\n"
      "\n"
      "options:\n"
      "  --seed N    start the random stream from N (0 to " +
      std::to_string(maxSeed) +
      "): the same seed,\n"
      "              parameters and site data give the same output, byte for byte.\n"
      "              Without it every run is seeded from the system.\n"
      "  --format F  fixed (the default): one fixed-column record per vehicle;\n"
      "              csv: the same numbers as comma-separated values under a header\n"
      "              line of column names with their units\n" +
      traffic_patterns::usageLines(14) +
      "  --help      show this text\n"
      "  --version   show the version\n"
      "\n"
      "load effects on a bridge carrying every lane (README: \"Load effects on a bridge\"):\n" +
      load_options::usageLines() +
      "  --maxima FILE        where the daily maxima go, as CSV\n"
      "  --event-maxima FILE  where each day's maxima by trucks on the bridge go, as CSV\n"
      "  --fatigue FILE       where each effect's rainflow range spectrum goes, as CSV\n"
      "  --damage FILE        where the Miner damage by detail category goes, as CSV\n"
      "  --no-records         write no record file, only the maxima\n"
      "\n" +
      std::string(
          "The README's sections \"A run folder\", \"The output record\", \"Reading the output\"\n"
          "and \"When input is refused\" give the details.\n"));
}

std::string versionText() {
  return std::string("velmora ") + version + "\n";
}

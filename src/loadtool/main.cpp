// velmora-load: the daily maxima of load effects from a written stream of either form.
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "base/Calendar.h"
#include "base/text/NumberText.h"
#include "cli/ExitStatus.h"
#include "cli/InputFile.h"
#include "cli/OutputFile.h"
#include "cli/ProgramFrame.h"
#include "load/StreamLoading.h"
#include "options/FatigueOptions.h"
#include "options/LoadOptions.h"

namespace {

const char* const program = "velmora-load";
constexpr int maxDays = calendar::maxStampDays;

struct Arguments {
  LoadSettings settings;
  std::string output;
  std::string eventOutput;     // empty: no event maxima
  std::string spectrumOutput;  // empty: no fatigue spectra
  std::string damageOutput;    // empty: no fatigue damage
  std::string stream;
  int days = 0;  // 0: every day before the last record's
  bool skipBadLines = false;
};

std::string usageText() {
  return "usage: velmora-load --effect EFFECT... [--lane-factors F,...] [--kn-per-unit F]\n"
         "                    [--days N] [--skip-bad-lines] [--event-maxima FILE\n"
         "                    [--event-classes K]] [--fatigue FILE] [--damage FILE]\n"
         "                    [FATIGUE OPTION]... -o FILE STREAM\n"
         "\n"
         "Computes the greatest value of each load effect in every simulated day of STREAM, a\n"
         "record file written by velmora in either form, and writes them to FILE as CSV rows\n"
         "effect,day,max,time_s,vehicles_on_bridge,trucks_on_bridge,unit.\n"
         "\n"
         "options:\n" +
         load_options::usageLines() +
         "  --days N             the days to report (default: every day before the day of\n"
         "                       the last record, the days of the run that wrote it)\n"
         "  --skip-bad-lines     skip lines that are no records and records the effects\n"
         "                       cannot take, counting them (default: the first one stops)\n"
         "  -o FILE              where to write the maxima\n"
         "  --event-maxima FILE  where to write each day's maxima by the trucks on the\n"
         "                       bridge, as CSV rows effect,day,trucks,max,time_s,unit\n"
         "  --fatigue FILE       where to write each effect's rainflow range spectrum of\n"
         "                       the whole stream, as CSV rows\n"
         "                       effect,range_from,range_to,cycles,unit\n"
         "  --damage FILE        where to write the Miner damage, as CSV rows\n"
         "                       effect,detail_category,cycles,damage,equivalent_range_mpa\n"
         "  --help               show this text\n"
         "  --version            show the version\n";
}

bool readDays(const std::string& text, int* days) {
  long long value = 0;
  if (!readWholeText(text, 1, maxDays, &value)) {
    return false;
  }
  *days = static_cast<int>(value);
  return true;
}

bool takeOption(const GivenOption& option, Arguments* parsed, std::string* error) {
  if (option.name == "-o") {
    parsed->output = option.value;
  } else if (option.name == "--event-maxima") {
    parsed->eventOutput = option.value;
  } else if (option.name == "--fatigue") {
    parsed->spectrumOutput = option.value;
  } else if (option.name == "--damage") {
    parsed->damageOutput = option.value;
  } else if (option.name == "--skip-bad-lines") {
    parsed->skipBadLines = true;
  } else if (option.name == "--days") {
    if (!readDays(option.value, &parsed->days)) {
      *error = "--days is \"" + option.value + "\"; accepted: a whole number from 1 to " +
               std::to_string(maxDays);
      return false;
    }
  } else {
    return load_options::takeOption(option.name, option.value, &parsed->settings, error);
  }
  return true;
}

bool readArguments(const CommandArguments& given, Arguments* parsed, std::string* error) {
  for (const GivenOption& option : given.options) {
    if (!takeOption(option, parsed, error)) {
      return false;
    }
  }
  if (given.operands.size() > 1) {
    *error =
        "more than one stream: \"" + given.operands[0] + "\" and \"" + given.operands[1] + "\"";
    return false;
  }
  if (parsed->settings.effects.empty() || parsed->output.empty() || given.operands.empty()) {
    *error = "velmora-load needs at least one --effect, -o FILE and a STREAM";
    return false;
  }
  parsed->stream = given.operands[0];
  return load_options::eventOptionsAgree(parsed->settings, !parsed->eventOutput.empty(),
                                         "--event-maxima", error) &&
         fatigue_options::optionsAgree(parsed->settings, !parsed->spectrumOutput.empty(),
                                       !parsed->damageOutput.empty(), "--fatigue", "--damage",
                                       error);
}

// Computes the maxima into the output, which replaces an earlier one only when the whole
// stream was read: a refused stream leaves it as it was.
int computeMaxima(const Arguments& arguments) {
  std::string error;
  std::vector<std::string> inputs = load_options::influenceFiles(arguments.settings);
  inputs.push_back(arguments.stream);
  std::vector<OutputRequest> outputs = {{"-o", arguments.output}};
  bool events = !arguments.eventOutput.empty();
  bool spectra = !arguments.spectrumOutput.empty();
  bool damage = !arguments.damageOutput.empty();
  for (const OutputRequest& optional : {OutputRequest{"--event-maxima", arguments.eventOutput},
                                        OutputRequest{"--fatigue", arguments.spectrumOutput},
                                        OutputRequest{"--damage", arguments.damageOutput}}) {
    if (!optional.path.empty()) {
      outputs.push_back(optional);
    }
  }
  if (!checkOutputs(outputs, inputs, &error)) {
    return program_frame::report(error, exit_status::refused);
  }
  std::ifstream in;
  std::string problem = openInput(arguments.stream, in);
  if (!problem.empty()) {
    return program_frame::report("cannot read the stream \"" + arguments.stream + "\": " + problem,
                                 exit_status::refused);
  }
  OutputFile output("-o", arguments.output);
  OutputFile eventOutput("--event-maxima", arguments.eventOutput);
  OutputFile spectrumOutput("--fatigue", arguments.spectrumOutput);
  OutputFile damageOutput("--damage", arguments.damageOutput);
  if (!output.open(&error) || (events && !eventOutput.open(&error)) ||
      (spectra && !spectrumOutput.open(&error)) || (damage && !damageOutput.open(&error))) {
    return program_frame::report(error, exit_status::failure);
  }
  FatigueStreams fatigue{spectra ? &spectrumOutput.stream() : nullptr,
                         damage ? &damageOutput.stream() : nullptr};
  LoadEffectEngine engine(arguments.settings, output.stream(),
                          events ? &eventOutput.stream() : nullptr, fatigue);
  StreamReading reading;
  reading.skipBadLines = arguments.skipBadLines;
  if (!loadStream(in, arguments.stream, arguments.days, engine, &reading, &error) ||
      !laneFactorsFitRecords(arguments.settings, reading, "the stream \"" + arguments.stream + "\"",
                             &error)) {
    return program_frame::report(error, exit_status::refused);
  }
  if (!output.commit(&error) || (events && !eventOutput.commit(&error)) ||
      (spectra && !spectrumOutput.commit(&error)) || (damage && !damageOutput.commit(&error))) {
    return program_frame::report(error, exit_status::failure);
  }
  std::cout << reading.skipped.report("Skipped");
  return program_frame::finishConsole();
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<KnownOption> known = load_options::knownOptions();
  known.insert(known.end(), {{"-o", true, "a file name"},
                             {"--event-maxima", true, "a file name"},
                             {"--fatigue", true, "a file name"},
                             {"--damage", true, "a file name"},
                             {"--days", true, "a whole number of days"},
                             {"--skip-bad-lines", false}});
  return program_frame::runTool<Arguments>(std::vector<std::string>(argv + 1, argv + argc), program,
                                           usageText(), known, readArguments, computeMaxima);
}

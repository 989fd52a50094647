// velmora-stats: reads an output file of velmora as a stream and prints what it holds;
// optionally sets it beside a run folder's site tables and draws a chart.
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "cli/ExitStatus.h"
#include "cli/InputFile.h"
#include "cli/OptionParser.h"
#include "cli/OutputFile.h"
#include "cli/ProgramFrame.h"
#include "stats/SiteExpectation.h"
#include "stats/StreamSummary.h"
#include "stats/SummaryReport.h"
#include "stats/SvgChart.h"

namespace {

const char* const program = "velmora-stats";
const char* const usage =
    "usage: velmora-stats [--site DIR] [--svg FILE] INPUT\n"
    "\n"
    "Summarises a traffic stream written by velmora (the record file INPUT): vehicles\n"
    "per lane and class, the hourly profile per lane, gross-weight and speed percentiles\n"
    "per class, the jams and truck platoons found, the heaviest vehicles, and the lines\n"
    "that are not records.\n"
    "\n"
    "options:\n"
    "  --site DIR  set the stream beside what the run folder DIR (its VLMin.txt and\n"
    "              Traffic/) expects: hourly flows, class shares, car fraction and gross-\n"
    "              weight distributions, marking differences larger than sampling noise\n"
    "  --svg FILE  also write a one-page chart of the stream to FILE\n"
    "  --help      show this text\n"
    "  --version   show the version\n";

struct Options {
  std::string input;
  std::string site;
  std::string svg;
};

bool readOptions(const CommandArguments& given, Options* options, std::string* error) {
  for (const GivenOption& option : given.options) {
    (option.name == "--site" ? options->site : options->svg) = option.value;
  }
  if (given.operands.size() > 1) {
    *error = "more than one input given: \"" + given.operands[1] + "\"";
    return false;
  }
  if (given.operands.empty()) {
    *error = "no input given";
    return false;
  }
  options->input = given.operands[0];
  return true;
}

bool writeChart(const Options& options, const StreamSummary& summary,
                const SiteExpectation* expectation, std::string* error) {
  OutputFile chart("--svg", options.svg);
  if (!chart.open(error)) {
    return false;
  }
  chart.stream() << chartSvg(options.input, summary, expectation);
  return chart.commit(error);
}

int summarise(const Options& options) {
  std::string error;
  std::vector<OutputRequest> outputs;
  if (!options.svg.empty()) {
    outputs.push_back({"--svg", options.svg});
  }
  if (!checkOutputs(outputs, {options.input}, &error)) {
    return program_frame::report(error, exit_status::refused);
  }
  std::ifstream in;
  std::string problem = openInput(options.input, in);
  if (!problem.empty()) {
    return program_frame::report("cannot read the input \"" + options.input + "\": " + problem,
                                 exit_status::refused);
  }
  SiteExpectation site;
  if (!options.site.empty() && !site.load(options.site, &error)) {
    return program_frame::report(error, exit_status::refused);
  }
  const SiteExpectation* expectation = options.site.empty() ? nullptr : &site;
  StreamSummary summary(expectation ? expectation->catchUpLength() : RunConfig().catchUpLength);
  if (!summary.addStream(in, options.input, &error)) {
    return program_frame::report(error, exit_status::refused);
  }
  std::cout << summaryText(options.input, summary, expectation);
  int status = program_frame::finishConsole();
  if (status == exit_status::success && !options.svg.empty() &&
      !writeChart(options, summary, expectation, &error)) {
    return program_frame::report(error, exit_status::failure);
  }
  return status;
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<KnownOption> known = {{"--site", true, "a run folder"},
                                          {"--svg", true, "a file name"}};
  return program_frame::runTool<Options>(std::vector<std::string>(argv + 1, argv + argc), program,
                                         usage, known, readOptions, summarise);
}

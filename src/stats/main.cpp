// velmora-stats: reads an output file of velmora as a stream and prints what it holds;
// optionally sets it beside a run folder's site tables and draws a chart.
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "stats/SiteExpectation.h"
#include "stats/StreamSummary.h"
#include "stats/SummaryReport.h"
#include "stats/SvgChart.h"

namespace {

const char* const usage =
    "usage: velmora-stats [--site DIR] [--svg FILE] OUTPUT_FILE\n"
    "\n"
    "Summarises a traffic stream written by velmora: vehicles per lane and class, the\n"
    "hourly profile per lane, gross-weight and speed percentiles per class, the heaviest\n"
    "vehicles, and the lines that are not records.\n"
    "\n"
    "options:\n"
    "  --site DIR  set the stream beside what the run folder DIR (its VLMin.txt and\n"
    "              Traffic/) expects: hourly flows, class shares, car fraction and gross-\n"
    "              weight distributions, marking differences larger than sampling noise\n"
    "  --svg FILE  also write a one-page chart of the stream to FILE\n"
    "  --help      show this text\n";

struct Options {
  std::string input;
  std::string site;
  std::string svg;
};

int refuse(const std::string& error) {
  std::cerr << error << "\n\n" << usage;
  return 2;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  Options options;
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (argument == "--help" || argument == "-h") {
      std::cout << usage;
      return 0;
    }
    if (argument == "--site" || argument == "--svg") {
      if (i + 1 >= arguments.size()) {
        return refuse("error: " + argument + " needs a value");
      }
      (argument == "--site" ? options.site : options.svg) = arguments[++i];
    } else if (!argument.empty() && argument[0] == '-') {
      return refuse("error: unknown option \"" + argument + "\"");
    } else if (options.input.empty()) {
      options.input = argument;
    } else {
      return refuse("error: more than one output file given: \"" + argument + "\"");
    }
  }
  if (options.input.empty()) {
    return refuse("error: no output file given");
  }
  std::ifstream in(options.input, std::ios::binary);
  if (!in) {
    std::cerr << "error: cannot open the output file \"" << options.input << "\"\n";
    return 2;
  }
  SiteExpectation site;
  if (!options.site.empty()) {
    std::string error;
    if (!site.load(options.site, error)) {
      std::cerr << error << "\n";
      return 2;
    }
  }
  const SiteExpectation* expectation = options.site.empty() ? nullptr : &site;
  StreamSummary summary;
  long long lineNumber = 0;
  for (std::string line; std::getline(in, line);) {
    summary.addLine(line, ++lineNumber);
  }
  std::cout << summaryText(options.input, summary, expectation);
  if (!options.svg.empty()) {
    std::ofstream chart(options.svg, std::ios::binary);
    chart << chartSvg(options.input, summary, expectation);
    if (!chart.flush()) {
      std::cerr << "error: cannot write the chart \"" << options.svg << "\"\n";
      return 1;
    }
  }
  return 0;
}

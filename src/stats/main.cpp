// velmora-stats: reads an output file of velmora as a stream and prints what it holds;
// optionally sets it beside a run folder's site tables and draws a chart.
#include <sys/stat.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

#include "data/FileIdentity.h"

#include "stats/SiteExpectation.h"
#include "stats/StreamSummary.h"
#include "stats/SummaryReport.h"
#include "stats/SvgChart.h"

namespace {

const char* const usage =
    "usage: velmora-stats [--site DIR] [--svg FILE] INPUT\n"
    "\n"
    "Summarises a traffic stream written by velmora (the record file INPUT): vehicles\n"
    "per lane and class, the hourly profile per lane, gross-weight and speed percentiles\n"
    "per class, the heaviest vehicles, and the lines that are not records.\n"
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

// Lines longer than this are not records: only their first characters are kept.
constexpr std::size_t maxKeptLine = 4096;

int refuse(const std::string& error) {
  std::cerr << error << "\n\n" << usage;
  return 2;
}

// Reads the next line of in into line (without its line end, LF or CRLF), keeping at most
// maxKeptLine characters of it, so that memory does not depend on the input. False at the
// end of the input.
bool readBoundedLine(std::istream& in, std::string& line) {
  line.clear();
  std::streambuf* buffer = in.rdbuf();
  bool any = false;
  for (int c = buffer->sbumpc(); c != std::char_traits<char>::eof(); c = buffer->sbumpc()) {
    any = true;
    if (c == '\n') {
      break;
    }
    if (line.size() <= maxKeptLine) {
      line.push_back(static_cast<char>(c));
    }
  }
  if (!line.empty() && line.back() == '\r') {
    line.pop_back();
  }
  return any;
}

// Why path cannot be read as a stream, or "" when it can.
std::string inputProblem(const std::string& path) {
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) {
    return std::strerror(errno);
  }
  if (S_ISDIR(info.st_mode)) {
    return "a directory; accepted: a file of records";
  }
  return "";
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
    if (argument == "--version") {
      std::cout << "velmora-stats " << VELMORA_VERSION << "\n";
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
      return refuse("error: more than one input given: \"" + argument + "\"");
    }
  }
  if (options.input.empty()) {
    return refuse("error: no input given");
  }
  std::string problem = inputProblem(options.input);
  std::ifstream in;
  if (problem.empty()) {
    errno = 0;
    in.open(options.input, std::ios::binary);
    problem = in ? "" : std::strerror(errno != 0 ? errno : EIO);
  }
  if (!problem.empty()) {
    std::cerr << "error: cannot read the input \"" << options.input << "\": " << problem << "\n";
    return 2;
  }
  if (!options.svg.empty() && isSameFile(options.svg, options.input)) {
    std::cerr << "error: --svg names the input \"" << options.input
              << "\"; accepted: a chart file that is not the input\n";
    return 2;
  }
  SiteExpectation site;
  if (!options.site.empty()) {
    std::string error;
    if (!site.load(options.site, &error)) {
      std::cerr << error << "\n";
      return 2;
    }
  }
  const SiteExpectation* expectation = options.site.empty() ? nullptr : &site;
  StreamSummary summary(expectation ? expectation->catchUpLength() : RunConfig().catchUpLength);
  long long lineNumber = 0;
  for (std::string line; readBoundedLine(in, line);) {
    summary.addLine(line, ++lineNumber);
  }
  if (in.bad()) {
    std::cerr << "error: cannot read the input \"" << options.input << "\": a read error\n";
    return 1;
  }
  std::cout << summaryText(options.input, summary, expectation) << std::flush;
  if (!std::cout) {
    std::cerr << "error: cannot write the summary to standard output\n";
    return 1;
  }
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

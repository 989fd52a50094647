// What every program does around its work: answers --help and --version, prints a refusal
// as one line (with a hint to the options when the command line was wrong), and makes sure
// that what it printed reached standard output. Messages travel without a prefix, as one
// line that names the file or option, the value found and what is accepted; "error: " is
// put before them here, where they are printed, and nowhere else.
#pragma once

#include <string>
#include <vector>

#include "cli/OptionParser.h"

namespace program_frame {

constexpr const char* errorPrefix = "error: ";

// When parsed asks for --help or --version, prints usage or "PROGRAM VERSION" on standard
// output, sets *status (success, or failure when standard output cannot take it) and
// returns true.
bool answersHelpOrVersion(const CommandArguments& parsed, const std::string& program,
                          const std::string& usage, int* status);
// Prints "error: ", error (one line) and "run PROGRAM --help for the options" on standard
// error. Returns exit_status::refused.
int refuseCommandLine(const std::string& program, const std::string& error);
// Prints "error: " and error (one line) on standard error after what standard output
// holds. Returns status.
int report(const std::string& error, int status);
// Flushes standard output. exit_status::success when everything printed reached it, else
// an "error: " line on standard error and exit_status::failure (a full disk, a closed
// pipe): a result that was not delivered is no success.
int finishConsole();

// A tool's whole run: reads the arguments against the known options, answers --help and --version,
// then has read(given, &options, &error) take the options (a refusal is a command-line
// refusal) and returns work(options), the exit status.
template <typename Options, typename Read, typename Work>
int runTool(const std::vector<std::string>& arguments, const std::string& program,
            const std::string& usage, const std::vector<KnownOption>& known, Read read, Work work) {
  CommandArguments given;
  std::string error;
  if (!parseArguments(arguments, known, &given, &error)) {
    return refuseCommandLine(program, error);
  }
  int status = 0;
  if (answersHelpOrVersion(given, program, usage, &status)) {
    return status;
  }
  Options options;
  if (!read(given, &options, &error)) {
    return refuseCommandLine(program, error);
  }
  return work(options);
}

// "1 run", "2 runs", "0 runs": count with the noun in the number it takes.
std::string countOf(long long count, const std::string& singular, const std::string& plural = "");

}  // namespace program_frame

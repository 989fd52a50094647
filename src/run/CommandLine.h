// The program's command line: no arguments runs as designed, seeded from the system;
// "--seed N" repeats a run exactly; "--format csv" writes comma-separated values; "--help"
// and "--version" say what the program is.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "cli/OptionParser.h"
#include "run/RunOptions.h"

struct CommandLine {
  enum class Action { run, help, version };

  Action action = Action::run;
  bool seeded = false;
  std::uint32_t seed = 0;  // with seeded: the random stream starts from seedWithWord(seed)
  RunOptions options;
};

// Reads the arguments after the program name into *line. False, with *error one line
// line, for an argument the program does not take.
bool parseCommandLine(const std::vector<std::string>& arguments, CommandLine* line,
                      std::string* error);

// Takes one option of the command line, named as the program names it, into *line. False,
// with *error one line, for a bad value. REQUIRES: option.name is one of the program's.
bool takeCommandLineOption(const GivenOption& option, CommandLine* line, std::string* error);

// What the program reads and writes, and its options.
std::string usageText();

// The version of this build.
std::string versionText();

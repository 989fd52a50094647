// The program's command line: no arguments runs as designed, seeded from the system;
// "--seed N" repeats a run exactly; "--help" and "--version" say what the program is.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct CommandLine {
  enum class Action { run, help, version, refuse };

  Action action = Action::run;
  bool seeded = false;
  std::uint32_t seed = 0;  // with seeded: the random stream starts from seedWithWord(seed)
  std::string error;       // with refuse: one "error: " line
};

// Reads the arguments after the program name.
CommandLine parseCommandLine(const std::vector<std::string>& arguments);

// What the program reads and writes, and its options.
std::string usageText();

// The version of this build.
std::string versionText();

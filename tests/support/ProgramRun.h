// Runs a command line through the shell in the working folder, as a user would, and keeps
// what it printed: for tests of the real programs.
#pragma once

#include <string>

struct ProgramRun {
  int status = -1;      // exit status; 128 + n when ended by signal n
  std::string console;  // standard output
  std::string errors;   // standard error
};

// Runs commandLine (which holds no single quote) with standard output and standard error
// kept, under a 60-second limit
// so that a program that hangs fails the test instead of the suite.
ProgramRun runCommand(const std::string& commandLine);

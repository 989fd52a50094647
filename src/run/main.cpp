#include <csignal>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "cli/ExitStatus.h"
#include "cli/ProgramFrame.h"
#include "random/RandomGenerator.h"
#include "run/CommandLine.h"
#include "run/Run.h"
#include "run/RunConfig.h"

int main(int argc, char** argv) {
  CommandLine line;
  std::string error;
  if (!parseCommandLine(std::vector<std::string>(argv + 1, argv + argc), &line, &error)) {
    return program_frame::refuseCommandLine("velmora", error);
  }
  switch (line.action) {
    case CommandLine::Action::help:
      std::cout << usageText();
      return program_frame::finishConsole();
    case CommandLine::Action::version:
      std::cout << versionText();
      return program_frame::finishConsole();
    case CommandLine::Action::run:
      break;
  }
  if (line.seeded) {
    RandomGenerator::seedWithWord(line.seed);
  }
#ifdef SIGXFSZ
  // Past the file-size limit a write then fails like any other instead of killing us.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  try {
    int status = runProgram(runConfig, line.options);
    int console = program_frame::finishConsole();
    return status != exit_status::success ? status : console;
  } catch (const std::bad_alloc&) {
    return program_frame::report("out of memory", exit_status::failure);
  }
}

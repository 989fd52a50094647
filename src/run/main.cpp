#include <csignal>
#include <iostream>
#include <new>
#include <string>
#include <vector>

#include "random/RandomGenerator.h"
#include "run/CommandLine.h"
#include "run/Run.h"
#include "run/RunConfig.h"

int main(int argc, char** argv) {
  CommandLine line;
  std::string error;
  if (!parseCommandLine(std::vector<std::string>(argv + 1, argv + argc), &line, &error)) {
    std::cerr << error << "\n\n" << usageText();
    return exitRefusedInput;
  }
  switch (line.action) {
    case CommandLine::Action::help:
      std::cout << usageText();
      return 0;
    case CommandLine::Action::version:
      std::cout << versionText();
      return 0;
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
    return runProgram(runConfig, line.options);
  } catch (const std::bad_alloc&) {
    std::cout.flush();
    std::cerr << "error: out of memory" << std::endl;
    return exitRunFailure;
  }
}

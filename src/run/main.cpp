#include <iostream>
#include <string>
#include <vector>

#include "random/RandomGenerator.h"
#include "run/CommandLine.h"
#include "run/Run.h"

int main(int argc, char** argv) {
  CommandLine line = parseCommandLine(std::vector<std::string>(argv + 1, argv + argc));
  switch (line.action) {
    case CommandLine::Action::help:
      std::cout << usageText();
      return 0;
    case CommandLine::Action::version:
      std::cout << versionText();
      return 0;
    case CommandLine::Action::refuse:
      std::cerr << line.error << "\n\n" << usageText();
      return exitRefusedInput;
    case CommandLine::Action::run:
      break;
  }
  if (line.seeded) {
    RandomGenerator::seedWithWord(line.seed);
  }
  return runProgram();
}

#include "cli/ProgramFrame.h"

#include <cerrno>
#include <cstring>
#include <iostream>

#include "cli/ExitStatus.h"

namespace program_frame {

bool answersHelpOrVersion(const CommandArguments& parsed, const std::string& program,
                          const std::string& usage, int* status) {
  if (!parsed.help && !parsed.version) {
    return false;
  }
  std::cout << (parsed.help ? usage : program + " " + VELMORA_VERSION + "\n");
  *status = finishConsole();
  return true;
}

int refuseCommandLine(const std::string& program, const std::string& error) {
  std::cout.flush();
  std::cerr << errorPrefix << error << "\nrun " << program << " --help for the options"
            << std::endl;
  return exit_status::refused;
}

int report(const std::string& error, int status) {
  std::cout.flush();
  std::cerr << errorPrefix << error << std::endl;
  return status;
}

int finishConsole() {
  errno = 0;
  if (std::cout.flush()) {
    return exit_status::success;
  }
  int cause = errno;
  std::cerr << errorPrefix << "cannot write to standard output"
            << (cause != 0 ? std::string(": ") + std::strerror(cause) : std::string()) << std::endl;
  return exit_status::failure;
}

std::string countOf(long long count, const std::string& singular, const std::string& plural) {
  const std::string& noun = count == 1 ? singular : plural.empty() ? singular + "s" : plural;
  return std::to_string(count) + " " + noun;
}

}  // namespace program_frame

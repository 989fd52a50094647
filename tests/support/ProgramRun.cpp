#include "support/ProgramRun.h"

#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::string readAndRemove(const char* path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  in.close();
  std::remove(path);
  return text.str();
}

}  // namespace

ProgramRun runCommand(const std::string& commandLine) {
  std::string command =
      "timeout -s KILL 60 sh -c '" + commandLine + "' > .program-console 2> .program-errors";
  int raw = std::system(command.c_str());
  ProgramRun run;
  run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
  run.console = readAndRemove(".program-console");
  run.errors = readAndRemove(".program-errors");
  return run;
}

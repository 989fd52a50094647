#include "campaign/ChildProcess.h"

#include <fcntl.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>
#include <fstream>

#include "cli/InputFile.h"
#include "cli/ProgramFrame.h"

namespace {

// In the child: what cannot be done, to the log, and the end.
[[noreturn]] void failInChild(const char* what, const std::string& name) {
  std::string line =
      std::string("cannot ") + what + " \"" + name + "\": " + std::strerror(errno) + "\n";
  ssize_t written = write(STDERR_FILENO, line.data(), line.size());
  (void)written;
  _exit(127);
}

}  // namespace

std::string siblingProgram(const std::string& name) {
  std::error_code failure;
  std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", failure);
  if (!failure) {
    std::filesystem::path sibling = self.parent_path() / name;
    if (access(sibling.c_str(), X_OK) == 0) {
      return sibling.string();
    }
  }
  return name;
}

pid_t startProcess(const std::vector<std::string>& command, const std::string& folder,
                   const std::string& logPath, std::string* error) {
  std::vector<char*> arguments;
  for (const std::string& argument : command) {
    arguments.push_back(const_cast<char*>(argument.c_str()));
  }
  arguments.push_back(nullptr);
  int log = open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
  if (log < 0) {
    *error = "cannot create \"" + logPath + "\": " + std::strerror(errno);
    return -1;
  }
  pid_t parent = getpid();
  pid_t child = fork();
  if (child == 0) {
    // The child ends with the driver, however the driver ends (kill -9 included), so that a
    // later driver never shares a run's files with a writer left behind.
    if (prctl(PR_SET_PDEATHSIG, SIGKILL) != 0 || getppid() != parent) {
      _exit(127);
    }
    if (dup2(log, STDOUT_FILENO) < 0 || dup2(log, STDERR_FILENO) < 0) {
      _exit(127);
    }
    if (chdir(folder.c_str()) != 0) {
      failInChild("enter the folder", folder);
    }
    execvp(arguments[0], arguments.data());
    failInChild("run", command[0]);
  }
  close(log);
  if (child < 0) {
    *error = std::string("cannot start \"") + command[0] + "\": " + std::strerror(errno);
  }
  return child;
}

pid_t waitForChild(int* status) {
  int state = 0;
  pid_t child;
  do {
    child = waitpid(-1, &state, 0);
  } while (child < 0 && errno == EINTR);
  if (child > 0) {
    *status = WIFEXITED(state) ? WEXITSTATUS(state) : 128 + WTERMSIG(state);
  }
  return child;
}

std::string lastErrorLine(const std::string& logPath) {
  std::ifstream in;
  openInput(logPath, in);  // an unreadable log holds no line
  std::string last;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind(program_frame::errorPrefix, 0) == 0) {
      last = line;
    }
  }
  return last;
}

// Programs started as child processes (POSIX): in a folder of their own, with their
// console output in a log file, waited for one at a time.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// The program called name in the folder of the running executable when there is one there,
// else name itself, to be found on PATH.
std::string siblingProgram(const std::string& name);

// Starts command[0] with the rest as its arguments, in folder, its standard output and
// standard error written to logPath (truncated first). Returns the child's process id, or -1
// with *error one line when it cannot be started. A program that cannot be run
// ends with status 127 and says why in the log. The child is killed when the process that
// started it ends, however it ends.
pid_t startProcess(const std::vector<std::string>& command, const std::string& folder,
                   const std::string& logPath, std::string* error);

// Waits for a child started by startProcess to end. Returns its process id, with *status its
// exit status (128 + n when ended by signal n), or -1 when there is none left.
pid_t waitForChild(int* status);

// The last line of logPath that starts with "error: ", or "" when there is none.
std::string lastErrorLine(const std::string& logPath);

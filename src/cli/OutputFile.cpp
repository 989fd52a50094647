#include "cli/OutputFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "base/Refusal.h"
#include "cli/FileIdentity.h"

namespace {

// The folder that holds path: "." for a bare name.
std::string folderOf(const std::string& path) {
  std::string::size_type slash = path.find_last_of('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

// Why path cannot be written as an output, or "" when it can.
std::string pathProblem(const std::string& path) {
  if (path.empty()) {
    return "an empty name; accepted: a file name";
  }
  if (hasControlCharacter(path)) {
    return "a name with a control character; accepted: a file name of printable characters";
  }
  struct stat info;
  if (::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode)) {
    return "a folder; accepted: a file";
  }
  std::string folder = folderOf(path);
  if (::stat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode)) {
    return "in the folder \"" + folder +
           "\", which does not exist; accepted: a file in a folder that exists";
  }
  if (::access(folder.c_str(), W_OK | X_OK) != 0) {
    return "in the folder \"" + folder + "\", which cannot be written: " + std::strerror(errno);
  }
  return "";
}

// True when a and b name one file: the same file on disk, or, for files not made yet, the
// same path once "." and ".." are resolved.
bool isOneFile(const std::string& a, const std::string& b) {
  return std::filesystem::path(a).lexically_normal() ==
             std::filesystem::path(b).lexically_normal() ||
         isSameFile(a, b);
}

bool isRegularOrMissing(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode);
}

// True when path names one of the process's open streams (/dev/stdout, /dev/fd/3, ...),
// which must be written where the stream stands, never replaced or emptied.
bool isOpenStream(const std::string& path) {
  for (const char* prefix : {"/dev/stdout", "/dev/stderr", "/dev/fd/", "/proc/self/fd/"}) {
    if (path.compare(0, std::strlen(prefix), prefix) == 0) {
      return true;
    }
  }
  return false;
}

// The regular file that path stands for, through any symbolic links; "" when it is none
// (a device, a FIFO) or path names an open stream.
std::string regularTarget(const std::string& path) {
  struct stat info;
  if (isOpenStream(path)) {
    return "";
  }
  if (::lstat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode)) {
    return path;  // a new file, or a plain one
  }
  std::error_code failure;
  std::filesystem::path target = std::filesystem::canonical(path, failure);
  return !failure && isRegularOrMissing(target.string()) ? target.string() : "";
}

}  // namespace

bool hasControlCharacter(const std::string& name) {
  for (char c : name) {
    auto code = static_cast<unsigned char>(c);
    if (code < 0x20 || code == 0x7f) {
      return true;
    }
  }
  return false;
}

bool checkOutputs(const std::vector<OutputRequest>& outputs, const std::vector<std::string>& inputs,
                  std::string* error) {
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    const OutputRequest& output = outputs[i];
    std::string named = output.what + " is \"" + output.path + "\"";
    std::string problem = pathProblem(output.path);
    if (!problem.empty()) {
      return refuse(named + ", " + problem, error);
    }
    for (const std::string& input : inputs) {
      if (isOneFile(output.path, input)) {
        return refuse(named + ", which is the run's input " + input +
                          "; accepted: a file that is not one of the run's inputs",
                      error);
      }
    }
    for (std::size_t j = 0; j < i; ++j) {
      const OutputRequest& other = outputs[j];
      bool devices = !isRegularOrMissing(output.path);  // /dev/null may take every output
      if (!devices && isOneFile(output.path, other.path)) {
        return refuse(named + ", the same file as " + other.what +
                          "; accepted: a file of its own for each output",
                      error);
      }
    }
  }
  return true;
}

OutputFile::OutputFile(std::string what, std::string path)
    : what(std::move(what)), path(std::move(path)) {}

OutputFile::~OutputFile() {
  if (pending) {
    out.close();
    std::remove(writtenPath.c_str());
  }
}

bool OutputFile::open(std::string* error) {
  target = regularTarget(path);
  writtenPath = target.empty() ? path : target + ".partial";
  std::ios::openmode mode = std::ios::binary | std::ios::trunc;
  if (isOpenStream(path)) {
    std::cout.flush();  // what the program printed comes first
    mode = std::ios::binary | std::ios::app;
  }
  errno = 0;
  out.open(writtenPath, mode);
  if (!out.is_open()) {
    return fail("create", errno, error);
  }
  pending = !target.empty();
  errno = 0;  // from here on, errno is what a failed write left (write() sets it)
  return true;
}

bool OutputFile::commit(std::string* error) {
  out.flush();
  int cause = errno;  // a write that failed before or in the flush set it last
  out.close();
  if (out.fail()) {
    return fail("write", cause, error);
  }
  if (pending && std::rename(writtenPath.c_str(), target.c_str()) != 0) {
    return fail("put in place", errno, error);
  }
  pending = false;
  return true;
}

bool OutputFile::fail(const std::string& doing, int cause, std::string* error) {
  *error = "cannot " + doing + " \"" + path + "\" (" + what +
           "): " + std::strerror(cause != 0 ? cause : EIO);
  return false;
}

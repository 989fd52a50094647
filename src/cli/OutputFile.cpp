#include "cli/OutputFile.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "data/FileIdentity.h"

namespace {

bool refuse(const std::string& message, std::string* error) {
  *error = message;
  return false;
}

// The folder that holds path: "." for a bare name.
std::string folderOf(const std::string& path) {
  std::string::size_type slash = path.find_last_of('/');
  if (slash == std::string::npos) {
    return ".";
  }
  return slash == 0 ? "/" : path.substr(0, slash);
}

bool hasControlCharacter(const std::string& text) {
  for (char c : text) {
    auto code = static_cast<unsigned char>(c);
    if (code < 0x20 || code == 0x7f) {
      return true;
    }
  }
  return false;
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
    return "in the folder \"" + folder + "\", which does not exist; accepted: a file in a folder that exists";
  }
  if (::access(folder.c_str(), W_OK | X_OK) != 0) {
    return "in the folder \"" + folder + "\", which cannot be written: " + std::strerror(errno);
  }
  return "";
}

bool isRegularOrMissing(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) != 0 || S_ISREG(info.st_mode);
}

}  // namespace

bool checkOutputs(const std::vector<OutputRequest>& outputs, const std::vector<std::string>& inputs,
                  std::string* error) {
  for (std::size_t i = 0; i < outputs.size(); ++i) {
    const OutputRequest& output = outputs[i];
    std::string named = "error: " + output.what + " is \"" + output.path + "\"";
    std::string problem = pathProblem(output.path);
    if (!problem.empty()) {
      return refuse(named + ", " + problem, error);
    }
    for (const std::string& input : inputs) {
      if (output.path == input || isSameFile(output.path, input)) {
        return refuse(named + ", which is the run's input " + input +
                          "; accepted: a file that is not one of the run's inputs",
                      error);
      }
    }
    for (std::size_t j = 0; j < i; ++j) {
      const OutputRequest& other = outputs[j];
      bool devices = !isRegularOrMissing(output.path);  // /dev/null may take every output
      if (!devices && (output.path == other.path || isSameFile(output.path, other.path))) {
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
  writtenPath = isRegularOrMissing(path) ? path + ".partial" : path;
  errno = 0;
  out.open(writtenPath, std::ios::binary | std::ios::trunc);
  if (!out.is_open()) {
    return fail("create", errno, error);
  }
  pending = writtenPath != path;
  return true;
}

bool OutputFile::commit(std::string* error) {
  errno = 0;
  out.flush();
  int cause = errno;
  out.close();
  if (out.fail()) {
    return fail("write", cause != 0 ? cause : errno, error);
  }
  if (pending && std::rename(writtenPath.c_str(), path.c_str()) != 0) {
    return fail("put in place", errno, error);
  }
  pending = false;
  return true;
}

bool OutputFile::fail(const std::string& doing, int cause, std::string* error) {
  *error = "error: cannot " + doing + " \"" + path + "\" (" + what + "): " +
           std::strerror(cause != 0 ? cause : EIO);
  return false;
}

#include "base/BoundedLine.h"

#include <cstring>
#include <vector>

LineRead readBoundedLine(std::istream& in, std::string* line, std::size_t maxLength) {
  // Room for the limit, a carriage return before the line feed, and the terminating NUL.
  thread_local std::vector<char> buffer;
  buffer.resize(maxLength + 3);
  in.getline(buffer.data(), static_cast<std::streamsize>(buffer.size()));
  auto count = static_cast<std::size_t>(in.gcount());
  bool filled = in.fail() && !in.eof() && count == buffer.size() - 1;
  if (in.bad()) {
    return LineRead::readError;
  }
  if (count == 0) {
    return LineRead::end;
  }
  std::size_t length = filled || in.eof() ? count : count - 1;  // without the '\n'
  if (std::memchr(buffer.data(), '\0', length) != nullptr) {
    return LineRead::nulByte;
  }
  if (length > 0 && buffer[length - 1] == '\r') {
    --length;
  }
  if (filled || length > maxLength) {
    return LineRead::tooLong;
  }
  line->assign(buffer.data(), length);
  return LineRead::line;
}

std::string lineReadProblem(LineRead read, std::size_t maxLength) {
  switch (read) {
    case LineRead::tooLong:
      return "is longer than " + std::to_string(maxLength) + " characters";
    case LineRead::nulByte:
      return "holds a NUL byte: no text";
    case LineRead::readError:
      return "could not be read to its end";
    case LineRead::line:
    case LineRead::end:
      break;
  }
  return "";
}

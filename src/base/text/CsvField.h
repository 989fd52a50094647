// A text as one field of a CSV line: in double quotes, with quotes doubled, when it holds a
// comma, a quote or a line end; as it is otherwise.
#pragma once

#include <string>

inline std::string csvField(const std::string& text) {
  if (text.find_first_of(",\"\r\n") == std::string::npos) {
    return text;
  }
  std::string quoted = "\"";
  for (char c : text) {
    quoted += c == '"' ? std::string("\"\"") : std::string(1, c);
  }
  return quoted + "\"";
}

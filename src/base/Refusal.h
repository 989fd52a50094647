// The one way a check refuses: its message goes to *error and the check answers false, so
// that `return refuse("--x is ...", error);` ends it.
#pragma once

#include <string>

inline bool refuse(const std::string& message, std::string* error) {
  *error = message;
  return false;
}

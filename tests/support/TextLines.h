// The lines of a text, without their line ends: for tests that read what a program wrote.
#pragma once

#include <sstream>
#include <string>
#include <vector>

inline std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    lines.push_back(line);
  }
  return lines;
}

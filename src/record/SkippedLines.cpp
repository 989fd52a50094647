#include "record/SkippedLines.h"

void SkippedLines::note(const std::string& noun, const std::string& description, long long line) {
  Kind& noted = kinds[noun + " " + description];
  if (noted.count++ == 0) {
    noted = {noun, description, 1, line};
  }
  ++count;
}

std::string SkippedLines::report(const std::string& verb) const {
  std::string text;
  for (const auto& entry : kinds) {
    const Kind& noted = entry.second;
    text += verb + " " + std::to_string(noted.count) + " " + noted.noun +
            (noted.count == 1 ? " " : "s ") + noted.description + " (the first is line " +
            std::to_string(noted.firstLine) + ")\n";
  }
  return text;
}

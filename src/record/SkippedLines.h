// The lines of a record stream that a reader did not use, counted by kind with the first
// line of each kind, so that every reader reports dirty data the same way.
#pragma once

#include <map>
#include <string>

class SkippedLines {
 public:
  // Counts line number `line` (from 1) as one `noun` ("line", "record", without a plural
  // s) of the kind that `description` gives in words that suit any count ("not in the CSV
  // record form").
  void note(const std::string& noun, const std::string& description, long long line);
  long long total() const { return count; }
  // One line per kind, in the order of the kinds' names, each ending in "\n":
  // "<verb> 3 lines not in the CSV record form (the first is line 17)", "<verb> 1 record
  // after the 30 days (the first is line 90)".
  std::string report(const std::string& verb) const;

 private:
  struct Kind {
    std::string noun;
    std::string description;
    long long count = 0;
    long long firstLine = 0;
  };
  std::map<std::string, Kind> kinds;
  long long count = 0;
};

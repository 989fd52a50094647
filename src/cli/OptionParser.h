// A program's command line read against the options it takes. Every program reads options
// the same way: "--name value" and "--name=value" alike, flags without a value, "--help"
// (or "-h") and "--version" anywhere, and an unknown option refused with the nearest known
// name as a hint. Anything not starting with "-" (and "-" alone) is an operand.
#pragma once

#include <string>
#include <vector>

struct KnownOption {
  std::string name;  // as typed: "--effect", "-o"
  bool takesValue;
  std::string accepted = "";  // what a value may be, for "needs a value"; may be empty
};

struct GivenOption {
  std::string name;   // the option's name
  std::string value;  // empty for a flag
};

struct CommandArguments {
  bool help = false;
  bool version = false;
  std::vector<GivenOption> options;  // in the order given
  std::vector<std::string> operands;
};

// Reads arguments against the known options into *parsed. False, with *error one line naming
// the option and what it needs, for a missing value, a value given to a flag or an unknown
// option (with the nearest known name when there is one).
bool parseArguments(const std::vector<std::string>& arguments,
                    const std::vector<KnownOption>& known, CommandArguments* parsed,
                    std::string* error);

// The known name nearest to name by edit distance, when it is near enough to be a likely
// typing slip (at most two edits, or a quarter of its characters); else "". One-letter options get
// no hint.
std::string nearestName(const std::string& name, const std::vector<KnownOption>& known);

// An option group's catalogue: every option written once, in a table of entries that hold
// all a program says of it (its name, the help's name for its value, what a value may be,
// its help with its default, and the reader that takes its value into the group's settings).
// The programs' parsers, help texts and refusals, the campaign's plan and the Python module
// take the group's options from its table.
#pragma once

#include <string>
#include <vector>

#include "cli/OptionParser.h"

template <typename Settings>
struct OptionEntry {
  const char* name;      // as typed: "--effect"
  const char* value;     // the help's name for its value: "EFFECT"; "" for a flag
  std::string accepted;  // what a value may be, for "needs a value"; may be empty
  std::string help;      // its help, lines broken with '\n', its default in words
  // Takes the value into *settings. False, with *error one line naming the option, the
  // value and what is accepted.
  bool (*read)(const std::string& value, Settings* settings, std::string* error);
};

template <typename Settings>
using OptionTable = std::vector<OptionEntry<Settings>>;

namespace option_catalogue {

// The help's lines of one option: "  LABEL" padded to `column` (a label that reaches it
// stands on a line of its own), then its help, each further line indented to `column`.
std::string helpLines(const std::string& label, const std::string& help, std::size_t column);

// The entry named `name`; nullptr when the table has none.
template <typename Settings>
const OptionEntry<Settings>* entryOf(const OptionTable<Settings>& table, const std::string& name) {
  for (const OptionEntry<Settings>& entry : table) {
    if (name == entry.name) {
      return &entry;
    }
  }
  return nullptr;
}

// The table's options, for a program's option parser.
template <typename Settings>
std::vector<KnownOption> knownOptions(const OptionTable<Settings>& table) {
  std::vector<KnownOption> known;
  for (const OptionEntry<Settings>& entry : table) {
    known.push_back({entry.name, *entry.value != '\0', entry.accepted});
  }
  return known;
}

// Reads the value of the table's option `name` into *settings, with its entry's reader.
// False, with *error one line, for a bad value or a name the table does not hold.
template <typename Settings>
bool take(const OptionTable<Settings>& table, const std::string& name, const std::string& value,
          Settings* settings, std::string* error) {
  const OptionEntry<Settings>* entry = entryOf(table, name);
  if (entry == nullptr) {
    *error = "unknown option " + name;
    return false;
  }
  return entry->read(value, settings, error);
}

// The table's help lines, in its order, their help from `column` on.
template <typename Settings>
std::string usage(const OptionTable<Settings>& table, std::size_t column) {
  std::string text;
  for (const OptionEntry<Settings>& entry : table) {
    std::string label = entry.name;
    if (*entry.value != '\0') {
      label += std::string(" ") + entry.value;
    }
    text += helpLines(label, entry.help, column);
  }
  return text;
}

}  // namespace option_catalogue

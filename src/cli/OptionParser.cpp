#include "cli/OptionParser.h"

#include <algorithm>

#include "base/Refusal.h"

namespace {

std::size_t editDistance(const std::string& a, const std::string& b) {
  std::vector<std::size_t> previous(b.size() + 1);
  std::vector<std::size_t> current(b.size() + 1);
  for (std::size_t j = 0; j <= b.size(); ++j) {
    previous[j] = j;
  }
  for (std::size_t i = 1; i <= a.size(); ++i) {
    current[0] = i;
    for (std::size_t j = 1; j <= b.size(); ++j) {
      std::size_t substitution = previous[j - 1] + (a[i - 1] == b[j - 1] ? 0 : 1);
      current[j] = std::min({previous[j] + 1, current[j - 1] + 1, substitution});
    }
    std::swap(previous, current);
  }
  return previous[b.size()];
}

const KnownOption* findKnown(const std::string& name, const std::vector<KnownOption>& known) {
  for (const KnownOption& option : known) {
    if (option.name == name) {
      return &option;
    }
  }
  return nullptr;
}

bool isOption(const std::string& argument) {
  return argument.size() > 1 && argument[0] == '-';
}

std::string unknownOption(const std::string& name, const std::vector<KnownOption>& known) {
  std::string message = "unknown option \"" + name + "\"";
  std::string nearest = nearestName(name, known);
  return nearest.empty() ? message : message + "; did you mean " + nearest + "?";
}

}  // namespace

std::string nearestName(const std::string& name, const std::vector<KnownOption>& known) {
  std::string best;
  if (name.size() <= 2) {
    return best;  // a one-letter option is no word that a slip can be told from
  }
  std::size_t bestDistance = std::max<std::size_t>(2, name.size() / 4) + 1;
  for (const KnownOption& option : known) {
    std::size_t distance = editDistance(name, option.name);
    if (distance < bestDistance) {
      best = option.name;
      bestDistance = distance;
    }
  }
  return best;
}

bool parseArguments(const std::vector<std::string>& arguments,
                    const std::vector<KnownOption>& known, CommandArguments* parsed,
                    std::string* error) {
  *parsed = CommandArguments();
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    if (!isOption(argument)) {
      parsed->operands.push_back(argument);
      continue;
    }
    std::size_t equals = argument.compare(0, 2, "--") == 0 ? argument.find('=') : std::string::npos;
    std::string name = argument.substr(0, equals);
    bool inlineValue = equals != std::string::npos;
    if (name == "--help" || name == "-h" || name == "--version") {
      (name == "--version" ? parsed->version : parsed->help) = true;
      continue;
    }
    const KnownOption* option = findKnown(name, known);
    if (option == nullptr) {
      return refuse(unknownOption(name, known), error);
    }
    if (!option->takesValue && inlineValue) {
      return refuse(name + " takes no value; found \"" + argument + "\"", error);
    }
    if (option->takesValue && !inlineValue && i + 1 >= arguments.size()) {
      std::string accepted = option->accepted.empty() ? "" : "; accepted: " + option->accepted;
      return refuse(name + " needs a value" + accepted, error);
    }
    std::string value;
    if (option->takesValue) {
      value = inlineValue ? argument.substr(equals + 1) : arguments[++i];
    }
    parsed->options.push_back({name, value});
  }
  return true;
}

#include "cli/OptionCatalogue.h"

namespace option_catalogue {

std::string helpLines(const std::string& label, const std::string& help, std::size_t column) {
  std::string text = "  " + label;
  text += text.size() < column ? std::string(column - text.size(), ' ')
                               : "\n" + std::string(column, ' ');
  for (char c : help) {
    text += c;
    if (c == '\n') {
      text += std::string(column, ' ');
    }
  }
  return text + "\n";
}

}  // namespace option_catalogue

#include "data/NumberText.h"

#include <sstream>

std::string numberText(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

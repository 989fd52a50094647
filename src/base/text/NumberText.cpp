#include "base/text/NumberText.h"

#include <charconv>
#include <cmath>
#include <sstream>

namespace {

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

std::string::size_type digitsFrom(const std::string& text, std::string::size_type at) {
  while (at < text.size() && isDigit(text[at])) {
    ++at;
  }
  return at;
}

// text without a leading '+' and with a d or D exponent written e, when it follows the
// grammar; "" when it does not.
std::string canonicalNumber(const std::string& text) {
  std::string::size_type at = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
  std::string::size_type integerEnd = digitsFrom(text, at);
  std::string::size_type end = integerEnd;
  if (end < text.size() && text[end] == '.') {
    end = digitsFrom(text, end + 1);
  }
  if (end - at - (end > integerEnd ? 1 : 0) == 0) {
    return "";  // no digit
  }
  std::string canonical = text.substr(text[0] == '+' ? 1 : 0, end - (text[0] == '+' ? 1 : 0));
  if (end < text.size() && std::string("eEdD").find(text[end]) != std::string::npos) {
    std::string::size_type exponent = end + 1;
    exponent += exponent < text.size() && (text[exponent] == '+' || text[exponent] == '-');
    std::string::size_type exponentEnd = digitsFrom(text, exponent);
    if (exponentEnd == exponent) {
      return "";
    }
    canonical += "e" + text.substr(end + 1, exponentEnd - end - 1);
    end = exponentEnd;
  }
  return end == text.size() ? canonical : "";
}

}  // namespace

std::string numberText(double value) {
  std::ostringstream text;
  text << value;
  return text.str();
}

bool readNumberText(const std::string& text, double* value) {
  std::string canonical = canonicalNumber(text);
  double number = 0.0;
  const char* end = canonical.data() + canonical.size();
  auto [stop, status] = std::from_chars(canonical.data(), end, number);
  if (canonical.empty() || status != std::errc() || stop != end || !std::isfinite(number)) {
    return false;
  }
  *value = number;
  return true;
}

bool readWholeText(const std::string& text, long long low, long long high, long long* value) {
  std::string digits = !text.empty() && text[0] == '+' ? text.substr(1) : text;
  if (digits.empty() || digits[0] == '+') {
    return false;
  }
  long long number = 0;
  const char* end = digits.data() + digits.size();
  auto [stop, status] = std::from_chars(digits.data(), end, number);
  if (status != std::errc() || stop != end || number < low || number > high) {
    return false;
  }
  *value = number;
  return true;
}

std::string shortestText(double value) {
  char text[32];
  auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

std::string seedRange() {
  return "a whole number from 0 to " + std::to_string(maxSeed);
}

bool readSeed(const std::string& name, const std::string& text, std::uint32_t* seed,
              std::string* error) {
  long long value = 0;
  if (!readWholeText(text, 0, maxSeed, &value)) {
    *error = name + " is \"" + text + "\"; accepted: " + seedRange();
    return false;
  }
  *seed = static_cast<std::uint32_t>(value);
  return true;
}

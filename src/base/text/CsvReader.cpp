#include "base/text/CsvReader.h"

#include <sys/stat.h>

#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstring>
#include <limits>

namespace {

constexpr std::string::size_type significantLength = 19;

bool isSpace(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// The part of text that takes part in a conversion, past its leading white space.
std::string significantPart(const std::string& text) {
  std::string head = text.substr(0, significantLength);
  std::string::size_type start = 0;
  while (start < head.size() && isSpace(head[start])) {
    ++start;
  }
  return head.substr(start);
}

// What a file that is not a regular file is, for messages.
std::string kindOfFile(mode_t mode) {
  if (S_ISDIR(mode)) {
    return "a directory";
  }
  if (S_ISFIFO(mode)) {
    return "a FIFO";
  }
  if (S_ISCHR(mode) || S_ISBLK(mode)) {
    return "a device";
  }
  return "a special file";
}

// Length of the run of digits in text from position at.
std::string::size_type digitRun(const std::string& text, std::string::size_type at) {
  std::string::size_type end = at;
  while (end < text.size() && isDigit(text[end])) {
    ++end;
  }
  return end - at;
}

// True when text holds nothing but white space, or only a note ("//" and anything after
// it) after any leading white space: such text stands for no number and reads 0.
bool holdsNoNumber(const std::string& text) {
  std::string::size_type at = 0;
  while (at < text.size() && isSpace(text[at])) {
    ++at;
  }
  return at == text.size() || text.compare(at, 2, "//") == 0;
}

// True when the significant part of text starts with a number: a sign, then digits with
// an optional fraction (at least one digit), or digits only when integer.
bool startsWithNumber(const std::string& text, bool integer) {
  std::string part = significantPart(text);
  std::string::size_type at = 0;
  if (at < part.size() && (part[at] == '+' || part[at] == '-')) {
    ++at;
  }
  std::string::size_type digits = digitRun(part, at);
  if (!integer && at + digits < part.size() && part[at + digits] == '.') {
    digits += digitRun(part, at + digits + 1);
  }
  return digits > 0;
}

}  // namespace

bool CsvReader::open(const std::string& path, const std::string& delimiterSet) {
  if (!startReading()) {
    return false;
  }
  struct stat info;
  if (::stat(path.c_str(), &info) != 0) {
    missing = errno == ENOENT;
    return refuseOpen(std::strerror(errno));
  }
  if (!S_ISREG(info.st_mode)) {
    return refuseOpen("not a regular file but " + kindOfFile(info.st_mode));
  }
  if (static_cast<unsigned long long>(info.st_size) > maxFileSize) {
    return refuseOpen("larger than 256 MiB");
  }
  errno = 0;
  file.open(path, std::ios::in | std::ios::binary);
  if (!file.is_open()) {
    return refuseOpen(std::strerror(errno != 0 ? errno : EIO));
  }
  file.clear();
  return attach(file, delimiterSet);
}

bool CsvReader::open(std::istream& in, const std::string& delimiterSet) {
  return startReading() && attach(in, delimiterSet);
}

bool CsvReader::startReading() {
  if (attached) {
    source->setstate(std::ios::failbit);
    return false;
  }
  failure.clear();
  missing = false;
  linesRead = 0;
  return true;
}

bool CsvReader::attach(std::istream& in, const std::string& delimiterSet) {
  source = &in;
  attached = true;
  delimiters = delimiterSet;
  skipByteOrderMark();
  return failure.empty();
}

bool CsvReader::refuseOpen(const std::string& reason) {
  failure = reason;
  close();
  file.setstate(std::ios::failbit);
  return false;
}

// A UTF-8 mark is skipped; UTF-16 text, with either byte order, cannot be read.
void CsvReader::skipByteOrderMark() {
  std::istream& in = *source;
  std::streampos start = in.tellg();
  char head[3] = {0, 0, 0};
  in.read(head, 3);
  std::streamsize got = in.gcount();
  auto byte = [&head](int i) { return static_cast<unsigned char>(head[i]); };
  in.clear();
  if (got >= 2 && ((byte(0) == 0xFF && byte(1) == 0xFE) || (byte(0) == 0xFE && byte(1) == 0xFF))) {
    refuseOpen("UTF-16 text; accepted: ASCII or UTF-8 text");
    return;
  }
  if (got == 3 && byte(0) == 0xEF && byte(1) == 0xBB && byte(2) == 0xBF) {
    return;
  }
  if (start != std::streampos(-1) && in.seekg(start)) {
    return;
  }
  in.clear();
  for (auto i = got; i > 0; --i) {
    in.putback(head[i - 1]);
  }
}

void CsvReader::close() {
  if (source == &file) {
    file.close();
  }
  source = &file;
  attached = false;
}

bool CsvReader::readLine(std::string& out) {
  std::istream& in = *source;
  line.clear();
  char c;
  while (in.get(c)) {
    if (c == '\n') {
      break;
    }
    if (c == '\r') {
      if (in.peek() == '\n') {
        in.get(c);
      }
      break;
    }
    if (line.size() == maxLineLength) {
      failure = "line " + std::to_string(linesRead + 1) + " is longer than 16 MiB";
      line.clear();
      in.setstate(std::ios::failbit);
      break;
    }
    line.push_back(c);
  }
  if (in.bad() && failure.empty()) {
    failure = "a read error after line " + std::to_string(linesRead);
  }
  if (failure.empty() && attached && (!in.eof() || !line.empty())) {
    ++linesRead;
  }
  split();
  out = line;
  return !in.eof();
}

std::string CsvReader::field(int index) const {
  if (index < 0 || index >= fieldCount) {
    return std::string();
  }
  return fields[static_cast<std::size_t>(index)];
}

void CsvReader::split() {
  fieldCount = 0;
  if (line.empty()) {
    return;
  }
  std::string::size_type pos = 0;
  std::string::size_type end;
  do {
    if (fieldCount == maxFields) {
      return;
    }
    if (static_cast<std::size_t>(fieldCount) == fields.size()) {
      fields.emplace_back();
    }
    std::string& text = fields[static_cast<std::size_t>(fieldCount)];
    text.clear();
    end = pos < line.size() && line[pos] == '"' ? readQuotedField(pos + 1, text)
                                                : readPlainField(pos, text);
    ++fieldCount;
    pos = end + 1;
  } while (end < line.size());
}

std::string::size_type CsvReader::nextDelimiter(std::string::size_type from) const {
  if (from >= line.size() || delimiters.empty()) {
    return line.size();
  }
  std::string::size_type at = line.find_first_of(delimiters, from);
  return at == std::string::npos ? line.size() : at;
}

std::string::size_type CsvReader::readPlainField(std::string::size_type start,
                                                 std::string& text) const {
  std::string::size_type end = nextDelimiter(start);
  if (start < end) {
    text.assign(line, start, end - start);
  }
  return end;
}

std::string::size_type CsvReader::readQuotedField(std::string::size_type start,
                                                  std::string& text) const {
  std::string::size_type i = start;
  while (i < line.size()) {
    if (line[i] != '"') {
      text.push_back(line[i]);
      ++i;
    } else if (i + 1 < line.size() && line[i + 1] == '"') {
      text.push_back('"');
      i += 2;
    } else {
      std::string::size_type end = nextDelimiter(i + 1);
      text.append(line, i + 1, end - (i + 1));
      return end;
    }
  }
  return line.size();
}

double CsvReader::toDouble(const std::string& text) {
  std::string part = significantPart(text);
  std::string::size_type at = 0;
  bool negative = false;
  if (at < part.size() && (part[at] == '+' || part[at] == '-')) {
    negative = part[at] == '-';
    ++at;
  }
  std::string number;
  std::string::size_type integerDigits = digitRun(part, at);
  number.append(part, at, integerDigits);
  at += integerDigits;
  std::string::size_type fractionDigits = 0;
  if (at < part.size() && part[at] == '.') {
    fractionDigits = digitRun(part, at + 1);
    number.append(part, at, fractionDigits + 1);
    at += fractionDigits + 1;
  }
  if (integerDigits + fractionDigits == 0) {
    return 0.0;
  }
  bool exponentNegative = false;
  if (at < part.size() &&
      (part[at] == 'e' || part[at] == 'E' || part[at] == 'd' || part[at] == 'D')) {
    std::string::size_type signAt = at + 1;
    bool hasSign = signAt < part.size() && (part[signAt] == '+' || part[signAt] == '-');
    std::string::size_type exponentDigits = digitRun(part, signAt + (hasSign ? 1 : 0));
    if (exponentDigits > 0) {
      exponentNegative = hasSign && part[signAt] == '-';
      number += 'e';
      number.append(part, signAt, exponentDigits + (hasSign ? 1 : 0));
    }
  }
  double value = 0.0;
  auto result = std::from_chars(number.data(), number.data() + number.size(), value);
  if (result.ec == std::errc::result_out_of_range) {
    // At most 19 characters of mantissa: the exponent's sign tells overflow from underflow.
    value = exponentNegative ? 0.0 : std::numeric_limits<double>::infinity();
  }
  return negative ? -value : value;
}

int CsvReader::toInt(const std::string& text) {
  std::string part = significantPart(text);
  std::string::size_type at = 0;
  bool negative = false;
  if (at < part.size() && (part[at] == '+' || part[at] == '-')) {
    negative = part[at] == '-';
    ++at;
  }
  std::uint32_t value = 0;
  for (; at < part.size() && isDigit(part[at]); ++at) {
    value = value * 10u + static_cast<std::uint32_t>(part[at] - '0');
  }
  if (negative) {
    value = 0u - value;
  }
  return static_cast<int>(value);
}

bool CsvReader::parseDouble(const std::string& text, double* value) {
  *value = toDouble(text);
  return holdsNoNumber(text) || startsWithNumber(text, false);
}

bool CsvReader::parseInt(const std::string& text, int* value) {
  *value = toInt(text);
  if (holdsNoNumber(text)) {
    return true;
  }
  if (!startsWithNumber(text, true)) {
    return false;
  }
  std::string part = significantPart(text);
  std::string::size_type at = part[0] == '+' || part[0] == '-' ? 1 : 0;
  std::uint64_t magnitude = 0;  // at most 19 digits: no overflow
  for (; at < part.size() && isDigit(part[at]); ++at) {
    magnitude = magnitude * 10u + static_cast<std::uint64_t>(part[at] - '0');
  }
  std::uint64_t limit = part[0] == '-' ? 2147483648u : 2147483647u;
  return magnitude <= limit;
}

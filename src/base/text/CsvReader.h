// Reads a text file line by line and splits each line into fields at a set of delimiter
// characters, with double-quoted fields. Line feed, carriage return and CRLF all end a
// line, and a last line without a line end is still returned. A leading UTF-8 byte-order
// mark is skipped. Only regular files are read, and a file or a line beyond a sane size
// stops the reading, so that memory stays bounded whatever the input. Reports nothing
// itself: open, readLine and problem() tell; missing text reads as empty.
#pragma once

#include <cstddef>
#include <fstream>
#include <istream>
#include <string>
#include <vector>

class CsvReader {
 public:
  static constexpr std::size_t maxFileSize = std::size_t{256} << 20;  // bytes
  static constexpr std::size_t maxLineLength = std::size_t{16} << 20;
  // Fields of a line past this many are counted in no field and never kept.
  static constexpr int maxFields = 1024;

  CsvReader() = default;
  CsvReader(const CsvReader&) = delete;
  CsvReader& operator=(const CsvReader&) = delete;
  virtual ~CsvReader() = default;

  // Opens path as text with the given delimiter set (every character is a delimiter).
  // False, and the reader failed, when a file is already open, the path cannot be opened,
  // is not a regular file, is larger than maxFileSize or holds UTF-16 text; problem() then
  // says why. Success clears the states left by an earlier file.
  bool open(const std::string& path, const std::string& delimiters);
  // Reads from in instead, which must outlive the reading; the same rules but for the
  // file checks.
  bool open(std::istream& in, const std::string& delimiters);
  // Ends the reading (closing a file it opened); with nothing open, or when closing fails,
  // the reader becomes failed.
  void close();
  // Reads the next line into out (without its line end) and splits it into fields.
  // False once the end of the file has been reached, in this call or before. A failed
  // reader yields empty lines with no fields; a line longer than maxLineLength fails the
  // reader, and so does a read error.
  bool readLine(std::string& out);
  // A copy of field index, or the empty string when index is out of [0, fieldCount).
  std::string field(int index) const;
  // Lines read from the file opened last.
  long long lineNumber() const { return linesRead; }
  // Why the last open failed, or why reading stopped early; empty when neither happened.
  const std::string& problem() const { return failure; }
  // True when the last open failed because the path does not exist.
  bool notFound() const { return missing; }

  // The leading number of text: only the first 19 characters count, leading white space is
  // skipped, exponents may use e, E, d or D; no hexadecimal, infinity or not-a-number
  // forms. Text without a number gives 0.
  static double toDouble(const std::string& text);
  // The leading optionally signed decimal integer of text, under the same 19-character and
  // white-space rules, accumulated in 32 bits with wrap-around. No number gives 0.
  static int toInt(const std::string& text);
  // toDouble's value of text. False when text holds something other than white space but
  // no number where toDouble looks (a word, "nan", "inf"). Blank text, and text that holds
  // only a note ("//" after any leading white space), reads 0.
  static bool parseDouble(const std::string& text, double* value);
  // toInt's value of text. False as parseDouble, and when the integer does not fit 32 bits.
  static bool parseInt(const std::string& text, int* value);

  int fieldCount = 0;  // fields of the line read last, at most maxFields

 private:
  bool startReading();
  bool attach(std::istream& in, const std::string& delimiters);
  bool refuseOpen(const std::string& reason);
  void skipByteOrderMark();
  void split();
  std::string::size_type nextDelimiter(std::string::size_type from) const;
  std::string::size_type readPlainField(std::string::size_type start, std::string& text) const;
  std::string::size_type readQuotedField(std::string::size_type start, std::string& text) const;

  std::ifstream file;
  std::istream* source = &file;     // what is read: file, or a stream handed to open
  bool attached = false;            // true from a successful open until close
  std::string line;                 // the line read last, without its line end
  std::vector<std::string> fields;  // entries past fieldCount are stale
  std::string delimiters;
  long long linesRead = 0;
  std::string failure;
  bool missing = false;
};

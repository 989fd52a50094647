// Reads a text file line by line and splits each line into fields at a set of delimiter
// characters, with double-quoted fields. Line feed, carriage return and CRLF all end a
// line, and a last line without a line end is still returned. Reports nothing itself: its
// only signals are the results of open and readLine; missing text reads as empty.
#pragma once

#include <fstream>
#include <string>
#include <vector>

class CsvReader {
 public:
  CsvReader() = default;
  CsvReader(const CsvReader&) = delete;
  CsvReader& operator=(const CsvReader&) = delete;
  virtual ~CsvReader() = default;

  // Opens path as text with the given delimiter set (every character is a delimiter).
  // False, and the reader failed, when a file is already open or the path cannot be opened.
  // Success clears the failed and end-of-file states left by an earlier file.
  bool open(const std::string& path, const std::string& delimiters);
  // Closes the file; with no file open, or when closing fails, the reader becomes failed.
  void close();
  // Reads the next line into out (without its line end) and splits it into fields.
  // False once the end of the file has been reached, in this call or before. A failed
  // reader yields empty lines with no fields.
  bool readLine(std::string& out);
  // A copy of field index, or the empty string when index is out of [0, fieldCount).
  std::string field(int index) const;

  // The leading number of text: only the first 19 characters count, leading white space is
  // skipped, exponents may use e, E, d or D; no hexadecimal, infinity or not-a-number
  // forms. Text without a number gives 0.
  static double toDouble(const std::string& text);
  // The leading optionally signed decimal integer of text, under the same 19-character and
  // white-space rules, accumulated in 32 bits with wrap-around. No number gives 0.
  static int toInt(const std::string& text);

  int fieldCount = 0;  // fields of the line read last

 private:
  void split();
  std::string::size_type nextDelimiter(std::string::size_type from) const;
  std::string::size_type readPlainField(std::string::size_type start, std::string& text) const;
  std::string::size_type readQuotedField(std::string::size_type start, std::string& text) const;

  std::ifstream stream;
  std::string line;                 // the line read last, without its line end
  std::vector<std::string> fields;  // entries past fieldCount are stale
  std::string delimiters;
};

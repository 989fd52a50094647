#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "base/text/CsvReader.h"
#include "support/TestFolder.h"

namespace {

class CsvReaderTest : public ::testing::Test {
 protected:
  // The fields of every line of text, read through a file.
  std::vector<std::vector<std::string>> fieldsOf(const std::string& text) {
    folder.write("in.csv", text);
    EXPECT_TRUE(reader.open("in.csv", ","));
    std::vector<std::vector<std::string>> lines;
    std::string line;
    bool more = true;
    while (more) {
      more = reader.readLine(line);
      std::vector<std::string> fields;
      for (int i = 0; i < reader.fieldCount; ++i) {
        fields.push_back(reader.field(i));
      }
      lines.push_back(fields);
    }
    reader.close();
    return lines;
  }

  TestFolder folder;
  CsvReader reader;
};

using Fields = std::vector<std::string>;

TEST_F(CsvReaderTest, SplitsPlainAndQuotedFields) {
  struct Case {
    std::string line;
    Fields fields;
  };
  const Case cases[] = {
      {"", {}},
      {"1,2", {"1", "2"}},
      {"1,2,", {"1", "2", ""}},
      {",1", {"", "1"}},
      {",", {"", ""}},
      {" 1.5 ,x", {" 1.5 ", "x"}},
      {"\"a,b\",c", {"a,b", "c"}},
      {"\"say \"\"hi\"\"\",x", {"say \"hi\"", "x"}},
      {"\"ab\"cd,x", {"abcd", "x"}},
      {"\"open, never closed", {"open, never closed"}},
      {"\"\"", {""}},
  };
  for (const Case& c : cases) {
    auto lines = fieldsOf(c.line + "\n");
    EXPECT_EQ(lines.front(), c.fields) << c.line;
  }
}

TEST_F(CsvReaderTest, AcceptsEveryLineEnd) {
  for (const char* text : {"a,b\nc\n", "a,b\r\nc\r\n", "a,b\rc\r"}) {
    auto lines = fieldsOf(text);
    ASSERT_GE(lines.size(), 2u) << text;
    EXPECT_EQ(lines[0], (Fields{"a", "b"}));
    EXPECT_EQ(lines[1], (Fields{"c"}));
  }
}

TEST_F(CsvReaderTest, ReturnsLastLineWithoutLineEndAndReportsEnd) {
  folder.write("in.csv", "1\n2,3");
  ASSERT_TRUE(reader.open("in.csv", ","));
  std::string line;
  EXPECT_TRUE(reader.readLine(line));
  EXPECT_FALSE(reader.readLine(line));
  EXPECT_EQ(line, "2,3");
  EXPECT_EQ(reader.fieldCount, 2);
  EXPECT_FALSE(reader.readLine(line));
  EXPECT_EQ(line, "");
  EXPECT_EQ(reader.fieldCount, 0);
  EXPECT_EQ(reader.field(0), "");
  EXPECT_EQ(reader.field(-1), "");
}

TEST_F(CsvReaderTest, MissingFileReadsEmptyThenNextFileReadsNormally) {
  EXPECT_FALSE(reader.open("missing.csv", ","));
  std::string line = "stale";
  EXPECT_TRUE(reader.readLine(line));
  EXPECT_EQ(line, "");
  EXPECT_EQ(CsvReader::toDouble(reader.field(0)), 0.0);
  reader.close();

  folder.write("good.csv", "7,8");
  ASSERT_TRUE(reader.open("good.csv", ","));
  EXPECT_FALSE(reader.readLine(line));  // last line without line end
  EXPECT_EQ(reader.field(1), "8");
  reader.close();

  folder.write("next.csv", "9\n");
  ASSERT_TRUE(reader.open("next.csv", ","));
  EXPECT_TRUE(reader.readLine(line));
  EXPECT_EQ(line, "9");
}

TEST_F(CsvReaderTest, RefusesSecondOpenWhileFileIsOpen) {
  folder.write("a.csv", "1\n");
  ASSERT_TRUE(reader.open("a.csv", ","));
  EXPECT_FALSE(reader.open("a.csv", ","));
}

TEST(CsvStreamTest, ReadsAnyStreamAndSkipsOnlyAByteOrderMark) {
  CsvReader reader;
  std::istringstream marked(
      "\xEF\xBB\xBF"
      "1,2\n3");
  ASSERT_TRUE(reader.open(marked, ","));
  std::string line;
  EXPECT_TRUE(reader.readLine(line));
  EXPECT_EQ(line, "1,2");
  EXPECT_FALSE(reader.readLine(line));
  EXPECT_EQ(reader.field(0), "3");
  EXPECT_EQ(reader.lineNumber(), 2);
  reader.close();
  std::istringstream plain(
      "\xEF"
      "a,b\n");
  ASSERT_TRUE(reader.open(plain, ","));
  reader.readLine(line);
  EXPECT_EQ(line,
            "\xEF"
            "a,b");
  reader.close();
  std::istringstream utf16(
      std::string("\xFF\xFE"
                  "1\0",
                  4));
  EXPECT_FALSE(reader.open(utf16, ","));
  EXPECT_EQ(reader.problem(), "UTF-16 text; accepted: ASCII or UTF-8 text");
}

TEST(CsvConversionTest, ConvertsLeadingNumberOfFirst19Characters) {
  struct Case {
    std::string text;
    double value;
  };
  const Case cases[] = {
      {"1.5", 1.5},
      {" 1.5 ", 1.5},
      {"\t-2.25e1", -22.5},
      {"1.5d2", 150.0},
      {"1.5D-1", 0.15},
      {"1.5E+2", 150.0},
      {"+.5", 0.5},
      {"5.", 5.0},
      {"12abc", 12.0},
      {"2000 // note", 2000.0},
      {"5.0,note", 5.0},
      {"1.5e", 1.5},
      {"abc", 0.0},
      {"", 0.0},
      {".", 0.0},
      {"0x1A", 0.0},
      {"inf", 0.0},
      {"nan", 0.0},
      {"1234567890123456789012345", 1234567890123456789.0},
      {"123456789012345678.9", 123456789012345678.0},
      {"                   7", 0.0},
      {"1e999", INFINITY},
      {"1e-999", 0.0},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(CsvReader::toDouble(c.text), c.value) << c.text;
  }
}

TEST(CsvConversionTest, ParsingTellsNoNumberFromAnEmptyField) {
  double real = -1.0;
  EXPECT_TRUE(CsvReader::parseDouble("", &real));
  EXPECT_EQ(real, 0.0);
  EXPECT_TRUE(CsvReader::parseDouble("  ", &real));
  EXPECT_TRUE(CsvReader::parseDouble("6\"x", &real));
  EXPECT_EQ(real, 6.0);
  EXPECT_TRUE(CsvReader::parseDouble("-.5e1 note", &real));
  EXPECT_EQ(real, -5.0);
  for (const char* text : {"nan", "inf", "word", ".", "-", "+e5", "                   7"}) {
    EXPECT_FALSE(CsvReader::parseDouble(text, &real)) << text;
  }
  int whole = -1;
  EXPECT_TRUE(CsvReader::parseInt("2147483647", &whole));
  EXPECT_EQ(whole, 2147483647);
  EXPECT_TRUE(CsvReader::parseInt("-2147483648 // note", &whole));
  EXPECT_FALSE(CsvReader::parseInt("2147483648", &whole));
  EXPECT_FALSE(CsvReader::parseInt("4294967297", &whole));
  EXPECT_FALSE(CsvReader::parseInt(".5", &whole));
}

TEST(CsvConversionTest, ConvertsIntegersWithWrapAround) {
  EXPECT_EQ(CsvReader::toInt("2000 // buffer"), 2000);
  EXPECT_EQ(CsvReader::toInt("  -12x"), -12);
  EXPECT_EQ(CsvReader::toInt("+7"), 7);
  EXPECT_EQ(CsvReader::toInt("3.9"), 3);
  EXPECT_EQ(CsvReader::toInt("x3"), 0);
  EXPECT_EQ(CsvReader::toInt("2147483648"), -2147483647 - 1);
  EXPECT_EQ(CsvReader::toInt("4294967297"), 1);
}

}  // namespace

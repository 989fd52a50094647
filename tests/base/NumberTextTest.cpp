// The one rule set for numbers that stand alone: the reader's grammar over the whole text.
#include <gtest/gtest.h>

#include <string>

#include "base/text/NumberText.h"

namespace {

TEST(NumberTextTest, ReadsTheWholeTextByTheReadersGrammar) {
  const struct {
    const char* text;
    double value;
  } good[] = {{"30", 30.0},    {"-2.5", -2.5},    {"+7", 7.0},     {".5", 0.5},     {"5.", 5.0},
              {"1e3", 1000.0}, {"1.5D-2", 0.015}, {"2E+2", 200.0}, {"0.981", 0.981}};
  for (const auto& c : good) {
    double value = -1.0;
    EXPECT_TRUE(readNumberText(c.text, &value)) << c.text;
    EXPECT_EQ(value, c.value) << c.text;
  }
  for (const char* text : {"", " 5", "5 ", "5m", "0x10", "inf", "nan", "1e", "1e+", ".", "-", "+-1",
                           "1,5", "1e999", "--5"}) {
    double value = -1.0;
    EXPECT_FALSE(readNumberText(text, &value)) << text;
    EXPECT_EQ(value, -1.0) << text;
  }
}

TEST(NumberTextTest, ReadsWholeNumbersWithinTheirRange) {
  long long value = -1;
  EXPECT_TRUE(readWholeText("4294967295", 0, 4294967295LL, &value));
  EXPECT_EQ(value, 4294967295LL);
  EXPECT_TRUE(readWholeText("+12", 1, 20, &value));
  EXPECT_EQ(value, 12);
  for (const char* text :
       {"4294967296", "-1", "12a", "1.0", "", "+", "++1", " 3", "99999999999999999999"}) {
    value = -7;
    EXPECT_FALSE(readWholeText(text, 0, 4294967295LL, &value)) << text;
    EXPECT_EQ(value, -7) << text;
  }
}

}  // namespace

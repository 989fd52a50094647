// The chart pieces: what every chart writes through them must stay valid XML and readable.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>

#include "chart/Svg.h"

namespace {

TEST(SvgTest, TextIsEscapedAndNumbersAreNeverNan) {
  EXPECT_EQ(svg::escaped("il:a&b<c>\"d\".csv"), "il:a&amp;b&lt;c&gt;&quot;d&quot;.csv");
  EXPECT_EQ(svg::pixels(std::nan("")), "0.0");
  EXPECT_EQ(svg::pixels(INFINITY), "0.0");
  EXPECT_EQ(svg::number(1234.5678, "%.4g"), "1235");
  std::ostringstream out;
  svg::text(out, 1, 2.25, "a < b", {11, "end", "#222", true});
  EXPECT_EQ(out.str(),
            "<text x=\"1.0\" y=\"2.2\" font-size=\"11\" text-anchor=\"end\" fill=\"#222\" "
            "font-weight=\"bold\">a &lt; b</text>\n");
}

// The smallest of 1, 2 and 5 times a power of ten at least range / count, across decades.
TEST(SvgTest, RoundStepsAreOneTwoOrFiveTimesAPowerOfTen) {
  EXPECT_DOUBLE_EQ(svg::roundStep(10.0, 10), 1.0);
  EXPECT_DOUBLE_EQ(svg::roundStep(11.0, 10), 2.0);
  EXPECT_DOUBLE_EQ(svg::roundStep(0.3, 1), 0.5);
  EXPECT_DOUBLE_EQ(svg::roundStep(6000.0, 1), 10000.0);
  EXPECT_DOUBLE_EQ(svg::roundStep(1520.0, 6), 500.0);
}

}  // namespace

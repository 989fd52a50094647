// The pieces every chart of the tools is drawn with, as SVG text: the page, frames, lines,
// texts (escaped as XML asks), legends, numbers and round tick steps. A chart keeps its
// layout and its data; how a piece is written stands here once.
#pragma once

#include <ostream>
#include <string>
#include <utility>
#include <vector>

namespace svg {

using Points = std::vector<std::pair<double, double>>;  // in page pixels

// text with the characters XML gives a meaning (& < > ") written as references.
std::string escaped(const std::string& text);
// value by the printf format (a label's "%g", "%.4g", ...); a value that is not finite as 0,
// so that no coordinate or label is "nan".
std::string number(double value, const char* format);
// A coordinate, to a tenth of a pixel.
std::string pixels(double value);
// A round step for about `count` ticks over range (> 0): 1, 2 or 5 times a power of 10, the
// smallest at least range / count.
double roundStep(double range, int count);

// How a text looks: its size, its anchor ("start", "middle" or "end"), colour and weight.
struct TextLook {
  int size = 12;
  const char* anchor = "middle";
  const char* fill = "#000";
  bool bold = false;
};

// The page: the XML declaration, the <svg> element of width x height pixels, white behind.
void beginPage(std::ostream& out, double width, double height);
void endPage(std::ostream& out);
// A text at (x, y).
void text(std::ostream& out, double x, double y, const std::string& content, const TextLook& look);
// A text read upwards, turned a quarter about (x, y).
void upwardText(std::ostream& out, double x, double y, const std::string& content,
                const TextLook& look);
// A line; style holds its other attributes ("stroke=\"#444\"").
void line(std::ostream& out, double x1, double y1, double x2, double y2, const std::string& style);
// A plot's frame: the rectangle's outline.
void frame(std::ostream& out, double left, double top, double width, double height);
// A filled rectangle; opacity 1 is written as none.
void box(std::ostream& out, double left, double top, double width, double height, const char* fill,
         double opacity);
// A line through points, colour, width and dashes ("" for none).
void polyline(std::ostream& out, const Points& points, const char* colour, double width,
              const char* dashes);
// A path of the drawing commands d ("M10,20 L30,40"), colour and width, unfilled.
void path(std::ostream& out, const std::string& d, const char* colour, double width);
// A closed area through points, its fill and opacity.
void polygon(std::ostream& out, const Points& points, const char* fill, double opacity);
// A legend's line: a stroke of 24 pixels ending at (x, y - 4) and its label beyond it.
void legendLine(std::ostream& out, double x, double y, const char* colour, double width,
                const char* dashes, const std::string& label, const TextLook& look);

}  // namespace svg

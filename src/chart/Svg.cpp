#include "chart/Svg.h"

#include <cmath>
#include <cstdio>

namespace svg {
namespace {

std::string strokeStyle(const char* colour, double width, const char* dashes) {
  std::string style = std::string("fill=\"none\" stroke=\"") + colour + "\" stroke-width=\"" +
                      number(width, "%g") + "\"";
  if (*dashes != '\0') {
    style += std::string(" stroke-dasharray=\"") + dashes + "\"";
  }
  return style;
}

std::string pointsText(const Points& points) {
  std::string text;
  for (const auto& [x, y] : points) {
    text += pixels(x) + "," + pixels(y) + " ";
  }
  return text;
}

std::string lookText(const TextLook& look) {
  return "font-size=\"" + std::to_string(look.size) + "\" text-anchor=\"" + look.anchor +
         "\" fill=\"" + look.fill + "\"" + (look.bold ? " font-weight=\"bold\"" : "");
}

}  // namespace

std::string escaped(const std::string& text) {
  std::string out;
  for (char c : text) {
    switch (c) {
      case '&':
        out += "&amp;";
        break;
      case '<':
        out += "&lt;";
        break;
      case '>':
        out += "&gt;";
        break;
      case '"':
        out += "&quot;";
        break;
      default:
        out += c;
    }
  }
  return out;
}

std::string number(double value, const char* format) {
  char text[64];
  std::snprintf(text, sizeof text, format, std::isfinite(value) ? value : 0.0);
  return text;
}

std::string pixels(double value) {
  return number(value, "%.1f");
}

double roundStep(double range, int count) {
  double raw = range / count;
  double power = std::pow(10.0, std::floor(std::log10(raw)));
  for (double multiple : {1.0, 2.0, 5.0}) {
    if (multiple * power >= raw) {
      return multiple * power;
    }
  }
  return 10.0 * power;
}

void beginPage(std::ostream& out, double width, double height) {
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << pixels(width) << "\" height=\""
      << pixels(height) << "\" viewBox=\"0 0 " << pixels(width) << " " << pixels(height)
      << "\" font-family=\"sans-serif\">\n"
      << "<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
}

void endPage(std::ostream& out) {
  out << "</svg>\n";
}

void text(std::ostream& out, double x, double y, const std::string& content, const TextLook& look) {
  out << "<text x=\"" << pixels(x) << "\" y=\"" << pixels(y) << "\" " << lookText(look) << ">"
      << escaped(content) << "</text>\n";
}

void upwardText(std::ostream& out, double x, double y, const std::string& content,
                const TextLook& look) {
  out << "<text transform=\"translate(" << pixels(x) << "," << pixels(y) << ") rotate(-90)\" "
      << lookText(look) << ">" << escaped(content) << "</text>\n";
}

void line(std::ostream& out, double x1, double y1, double x2, double y2, const std::string& style) {
  out << "<line x1=\"" << pixels(x1) << "\" y1=\"" << pixels(y1) << "\" x2=\"" << pixels(x2)
      << "\" y2=\"" << pixels(y2) << "\" " << style << "/>\n";
}

void frame(std::ostream& out, double left, double top, double width, double height) {
  out << "<rect x=\"" << pixels(left) << "\" y=\"" << pixels(top) << "\" width=\"" << pixels(width)
      << "\" height=\"" << pixels(height) << "\" fill=\"none\" stroke=\"#444\"/>\n";
}

void box(std::ostream& out, double left, double top, double width, double height, const char* fill,
         double opacity) {
  out << "<rect x=\"" << pixels(left) << "\" y=\"" << pixels(top) << "\" width=\"" << pixels(width)
      << "\" height=\"" << pixels(height) << "\" fill=\"" << fill << "\"";
  if (opacity < 1.0) {
    out << " opacity=\"" << number(opacity, "%.2f") << "\"";
  }
  out << "/>\n";
}

void polyline(std::ostream& out, const Points& points, const char* colour, double width,
              const char* dashes) {
  out << "<polyline points=\"" << pointsText(points) << "\" " << strokeStyle(colour, width, dashes)
      << "/>\n";
}

void path(std::ostream& out, const std::string& d, const char* colour, double width) {
  out << "<path d=\"" << d << "\" " << strokeStyle(colour, width, "") << "/>\n";
}

void polygon(std::ostream& out, const Points& points, const char* fill, double opacity) {
  out << "<polygon points=\"" << pointsText(points) << "\" fill=\"" << fill << "\" fill-opacity=\""
      << number(opacity, "%g") << "\" stroke=\"none\"/>\n";
}

void legendLine(std::ostream& out, double x, double y, const char* colour, double width,
                const char* dashes, const std::string& label, const TextLook& look) {
  line(out, x, y - 4, x + 24, y - 4, strokeStyle(colour, width, dashes));
  TextLook start = look;
  start.anchor = "start";
  text(out, x + 30, y, label, start);
}

}  // namespace svg

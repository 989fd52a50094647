#include "campaign/FatigueChart.h"

#include <algorithm>
#include <cmath>
#include <string>

#include "chart/Svg.h"
#include "load/EffectKinds.h"

namespace {

using fatigue_summary::EffectFatigue;
using fatigue_summary::SpectrumBin;

constexpr double chartWidth = 900.0;
constexpr double panelHeight = 470.0;
constexpr double left = 100.0;
constexpr double right = 40.0;
constexpr double top = 95.0;  // room for the title and the MPa axis
constexpr double bottom = 60.0;

// A value as a label shows it.
std::string number(double value) {
  return svg::number(value, "%.4g");
}

// A log axis from the decade at or below low to the decade at or above high.
struct LogAxis {
  double lowDecade;
  double highDecade;
  double from;  // pixels
  double to;
  LogAxis(double low, double high, double fromPixel, double toPixel)
      : lowDecade(std::floor(std::log10(low))),
        highDecade(std::max(std::ceil(std::log10(high)), std::floor(std::log10(low)) + 1)),
        from(fromPixel),
        to(toPixel) {}
  double at(double value) const {
    return from + (std::log10(value) - lowDecade) / (highDecade - lowDecade) * (to - from);
  }
  bool holds(double value) const {
    return value > 0.0 && std::log10(value) >= lowDecade && std::log10(value) <= highDecade;
  }
};

// Cycles whose range is at least each bin's lower edge, the bins from 0 left out.
std::vector<std::pair<double, double>> exceedances(const std::vector<SpectrumBin>& bins) {
  std::vector<std::pair<double, double>> points;
  double above = 0.0;
  for (auto bin = bins.rbegin(); bin != bins.rend(); ++bin) {
    above += bin->cycles;
    if (bin->from > 0.0) {
      points.emplace_back(bin->from, above);
    }
  }
  std::reverse(points.begin(), points.end());
  return points;
}

void writeText(std::ostream& out, double x, double y, const std::string& text,
               const char* anchor = "middle", int size = 12, const char* colour = "#222") {
  svg::text(out, x, y, text, {size, anchor, colour});
}

void writeDecadeTicks(std::ostream& out, const LogAxis& axis, bool horizontal, double across,
                      double tickDirection) {
  for (double decade = axis.lowDecade; decade <= axis.highDecade; ++decade) {
    double at = axis.at(std::pow(10.0, decade));
    std::string label = number(std::pow(10.0, decade));
    if (horizontal) {
      svg::line(out, at, across, at, across + 5 * tickDirection, "stroke=\"#444\"");
      writeText(out, at, across + (tickDirection > 0 ? 18 : -8), label);
    } else {
      svg::line(out, across, at, across - 5, at, "stroke=\"#444\"");
      writeText(out, across - 8, at + 4, label, "end");
    }
  }
}

// Decades of stress (MPa) along the top, where the ranges that make them lie.
void writeStressTicks(std::ostream& out, const LogAxis& x, double perUnit, double y0) {
  double low = std::floor(x.lowDecade + std::log10(perUnit));
  double high = std::ceil(x.highDecade + std::log10(perUnit));
  for (double decade = low; decade <= high; ++decade) {
    double stress = std::pow(10.0, decade);
    if (x.holds(stress / perUnit)) {
      double at = x.at(stress / perUnit);
      svg::line(out, at, y0, at, y0 - 5, "stroke=\"#444\"");
      writeText(out, at, y0 - 8, number(stress));
    }
  }
}

// The knees of each curve, in the effect's unit, as vertical lines with their MPa.
void writeKnees(std::ostream& out, const EffectFatigue& effect, const LogAxis& x, double y0,
                double y1) {
  // Each category's colour, its knees labelled up their lines: "71: ΔσD 52.33 MPa".
  const char* colours[] = {"#c0392b", "#8e44ad", "#16a085", "#d35400"};
  double perUnit = effect.settings.stressPerUnit * effect.settings.gammaFf;
  for (std::size_t i = 0; i < effect.settings.curves.size(); ++i) {
    const SnCurve& curve = effect.settings.curves[i];
    const char* colour = colours[i % 4];
    std::string style = std::string("stroke=\"") + colour + "\" stroke-dasharray=\"5,4\"";
    const std::pair<double, const char*> knees[] = {
        {curve.reference, "C"}, {curve.constantAmplitudeLimit, "D"}, {curve.cutOffLimit, "L"}};
    for (const auto& [stress, name] : knees) {
      double range = stress / perUnit;
      if (!x.holds(range)) {
        continue;
      }
      double at = x.at(range);
      svg::line(out, at, y0, at, y1, style.c_str());
      svg::upwardText(out, at - 3, y1 - 6,
                      number(curve.category) + ": Δσ" + name + " " + number(stress) + " MPa",
                      {10, "start", colour});
    }
  }
}

void writePanel(std::ostream& out, const EffectFatigue& effect, int years, double offset) {
  std::vector<std::pair<double, double>> points = exceedances(effect.bins);
  double x0 = left;
  double x1 = chartWidth - right;
  double y0 = offset + top;
  double y1 = offset + panelHeight - bottom;
  writeText(out, chartWidth / 2, offset + 24,
            effect.name + ": " + effect_kinds::describe(effect.name) + ", " +
                std::to_string(years) + " years",
            "middle", 15);
  svg::frame(out, x0, y0, x1 - x0, y1 - y0);
  if (points.empty()) {
    writeText(out, (x0 + x1) / 2, (y0 + y1) / 2, "no cycle above the first bin");
    return;
  }
  double highRange = effect.bins.back().to;
  LogAxis x(points.front().first, highRange, x0, x1);
  LogAxis y(std::min(0.5, points.back().second), points.front().second, y1, y0);
  writeDecadeTicks(out, x, true, y1, 1);
  writeDecadeTicks(out, y, false, x0, -1);
  writeText(out, (x0 + x1) / 2, y1 + 40, "range (" + effect.unit + ")");
  svg::upwardText(out, 28, (y0 + y1) / 2, "cycles of at least the range", {12, "middle", "#222"});
  std::string path;
  for (std::size_t i = 0; i < points.size(); ++i) {
    double next = i + 1 < points.size() ? points[i + 1].first : highRange;
    path += (i == 0 ? "M" : " L") + svg::pixels(x.at(points[i].first)) + "," +
            svg::pixels(y.at(points[i].second)) + " L" + svg::pixels(x.at(next)) + "," +
            svg::pixels(y.at(points[i].second));
  }
  svg::path(out, path, "#1f4e79", 1.6);
  double perUnit = effect.settings.stressPerUnit;
  if (perUnit > 0.0) {
    writeStressTicks(out, x, perUnit, y0);
    writeText(out, (x0 + x1) / 2, y0 - 26, "stress range (MPa)");
    writeKnees(out, effect, x, y0, y1);
  }
}

}  // namespace

void writeFatigueChart(std::ostream& out, const std::vector<EffectFatigue>& effects, int years) {
  double height = panelHeight * static_cast<double>(std::max<std::size_t>(effects.size(), 1));
  svg::beginPage(out, chartWidth, height);
  for (std::size_t i = 0; i < effects.size(); ++i) {
    writePanel(out, effects[i], years, panelHeight * static_cast<double>(i));
  }
  svg::endPage(out);
}

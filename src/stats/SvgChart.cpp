#include "stats/SvgChart.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <sstream>
#include <vector>

#include "base/text/NumberText.h"
#include "chart/Svg.h"
#include "stats/SummaryReport.h"

namespace {

constexpr double pageWidth = 1200;
constexpr double grossWeightPanelsTop = 480;
constexpr double panelRowHeight = 360;
constexpr double speedPanelsHeight = 340;  // the speed panels and the page's foot
constexpr double kmhPerDecimetrePerSecond = 0.36;
const char* const laneColours[] = {"#1f77b4", "#d62728", "#2ca02c", "#9467bd", "#ff7f0e",
                                   "#8c564b", "#e377c2", "#17becf", "#7f7f7f"};

// A rectangle of the page that maps data values onto itself.
struct Panel {
  double left, top, width, height;
  double xMin, xMax, yMax;

  double x(double value) const { return left + (value - xMin) / (xMax - xMin) * width; }
  double y(double value) const { return top + height - value / yMax * height; }
};

void text(std::ostream& out, double x, double y, const std::string& content, int size,
          const char* anchor = "middle", bool bold = false) {
  svg::TextLook look;
  look.size = size;
  look.anchor = anchor;
  look.bold = bold;
  svg::text(out, x, y, content, look);
}

void drawAxes(std::ostream& out, const Panel& p, const std::string& title,
              const std::string& xLabel, const std::string& yLabel, double xStep) {
  svg::frame(out, p.left, p.top, p.width, p.height);
  text(out, p.left + p.width / 2, p.top - 12, title, 16, "middle", true);
  text(out, p.left + p.width / 2, p.top + p.height + 38, xLabel, 13);
  svg::TextLook upward;
  upward.size = 13;
  svg::upwardText(out, p.left - 48, p.top + p.height / 2, yLabel, upward);
  for (double v = p.xMin; v <= p.xMax + 1e-9; v += xStep) {
    svg::line(out, p.x(v), p.top + p.height, p.x(v), p.top + p.height + 5, "stroke=\"#444\"");
    text(out, p.x(v), p.top + p.height + 19, svg::number(v, "%g"), 11);
  }
  double yStep = svg::roundStep(p.yMax, 5);
  for (double v = 0; v <= p.yMax + 1e-9; v += yStep) {
    svg::line(out, p.left, p.y(v), p.left + p.width, p.y(v), "stroke=\"#ddd\"");
    text(out, p.left - 8, p.y(v) + 4, svg::number(v, yStep < 1 ? "%.1f" : "%.0f"), 11, "end");
  }
}

void polyline(std::ostream& out, const Panel& p,
              const std::vector<std::pair<double, double>>& points, const char* colour,
              bool dashed) {
  svg::Points onPage;
  for (const auto& [x, y] : points) {
    onPage.emplace_back(p.x(x), p.y(std::min(y, p.yMax)));
  }
  svg::polyline(out, onPage, colour, 2, dashed ? "6 4" : "");
}

void bars(std::ostream& out, const Panel& p, const std::vector<double>& shares, double binWidth,
          const char* colour) {
  for (std::size_t bin = 0; bin < shares.size(); ++bin) {
    if (shares[bin] <= 0) {
      continue;
    }
    double from = p.xMin + static_cast<double>(bin) * binWidth;
    double top = p.y(std::min(shares[bin], p.yMax));
    svg::box(out, p.x(from), top, p.x(from + binWidth) - p.x(from), p.top + p.height - top, colour,
             0.7);
  }
}

// Percent of the histogram's total in each bin of binWidth whole values from `from`.
std::vector<double> binShares(const std::vector<long long>& histogram, double from, double to,
                              double binWidth, double valueScale) {
  std::vector<double> shares(static_cast<std::size_t>(std::ceil((to - from) / binWidth)), 0.0);
  double total = 0;
  for (std::size_t value = 0; value < histogram.size(); ++value) {
    total += static_cast<double>(histogram[value]);
    double scaled = static_cast<double>(value) * valueScale;
    if (histogram[value] > 0 && scaled >= from && scaled < to) {
      shares[static_cast<std::size_t>((scaled - from) / binWidth)] +=
          static_cast<double>(histogram[value]);
    }
  }
  for (double& share : shares) {
    share = total > 0 ? 100 * share / total : 0;
  }
  return shares;
}

// Shades the hours of the day in which the stream had jams, the deeper the more of the hour
// was jammed, and says so below the legend at legendY. Nothing without jams.
void markJamHours(std::ostream& out, const Panel& p, const StreamSummary& summary, double legendY) {
  const std::array<double, 24>& jammed = summary.patterns().jammedSecondsByHour();
  double most = *std::max_element(jammed.begin(), jammed.end());
  if (!(most > 0)) {
    return;
  }
  const char* const jamColour = "#f4a582";
  for (std::size_t hour = 0; hour < jammed.size(); ++hour) {
    if (jammed[hour] > 0) {
      double hourStart = static_cast<double>(hour);
      svg::box(out, p.x(hourStart), p.top, p.x(hourStart + 1) - p.x(hourStart), p.height, jamColour,
               0.15 + 0.55 * jammed[hour] / most);
    }
  }
  svg::box(out, 975, legendY - 7, 30, 14, jamColour, 0.7);
  text(out, 1012, legendY + 4, "jam hours (deeper: more jam)", 12, "start");
}

void drawFlowPanel(std::ostream& out, const StreamSummary& summary, const SiteExpectation* site) {
  double top = 1;
  for (int lane = 1; lane <= summary.highestLane(); ++lane) {
    for (int hour = 0; hour < 24; ++hour) {
      top = std::max(top, static_cast<double>(summary.vehiclesInHour(lane, hour)) / summary.days());
      if (site != nullptr && lane <= site->lanes() &&
          std::isfinite(site->hourlyVehicles(lane, hour, summary))) {
        top = std::max(top, site->hourlyVehicles(lane, hour, summary));
      }
    }
  }
  Panel p{90, 110, 860, 300, 0, 24, top * 1.08};
  drawAxes(out, p, "Hourly flow per lane", "hour of day", "vehicles per hour", 3);
  markJamHours(out, p, summary, 130 + 22 * (summary.highestLane() + (site != nullptr ? 1 : 0)));
  for (int lane = 1; lane <= summary.highestLane(); ++lane) {
    const char* colour = laneColours[(lane - 1) % 9];
    std::vector<std::pair<double, double>> generated;
    std::vector<std::pair<double, double>> expected;
    for (int hour = 0; hour < 24; ++hour) {
      double value = static_cast<double>(summary.vehiclesInHour(lane, hour)) / summary.days();
      generated.push_back({hour, value});
      generated.push_back({hour + 1, value});
      if (site != nullptr && lane <= site->lanes()) {
        double want = site->hourlyVehicles(lane, hour, summary);
        expected.push_back({hour, want});
        expected.push_back({hour + 1, want});
      }
    }
    polyline(out, p, generated, colour, false);
    if (!expected.empty() && std::isfinite(expected.front().second)) {
      polyline(out, p, expected, colour, true);
    }
    double legendY = 130 + 22 * (lane - 1);
    svg::legendLine(out, 975, legendY + 4, colour, 3, "",
                    "lane " + std::to_string(lane) + ", direction " +
                        std::to_string(summary.directionOfLane(lane)),
                    svg::TextLook());
  }
  if (site != nullptr) {
    text(out, 975, 130 + 22 * summary.highestLane() + 4, "dashed: expected from the site", 12,
         "start");
  }
}

void drawGrossWeightPanel(std::ostream& out, const StreamSummary& summary,
                          const SiteExpectation* site, int axles, double left, double top) {
  bool heavy = axles >= firstHeavyAxles;
  const double binWidth = heavy ? 50 : 20;
  const double maxWeight = heavy ? 1500 : 820;
  VehicleClass vehicleClass = truckClass(axles);
  std::vector<long long> histogram = summary.grossWeightsOfClass(vehicleClass);
  const double counts[2] = {static_cast<double>(total(summary.grossWeights(vehicleClass, 1))),
                            static_cast<double>(total(summary.grossWeights(vehicleClass, 2)))};
  std::vector<double> shares = binShares(histogram, 0, maxWeight, binWidth, 1.0);
  std::vector<std::pair<double, double>> expected;
  if (site != nullptr && counts[0] + counts[1] > 0) {
    for (double from = 0; from < maxWeight; from += binWidth) {
      double share = 0;
      for (int direction = 1; direction <= 2; ++direction) {
        double weight = counts[direction - 1] / (counts[0] + counts[1]);
        if (weight > 0) {
          share +=
              weight * site->grossWeightWithin(axles, direction, from - 0.5, from + binWidth - 0.5);
        }
      }
      expected.push_back({from + binWidth / 2, 100 * share});
    }
  }
  double yTop = 1;
  for (double share : shares) {
    yTop = std::max(yTop, share);
  }
  for (const auto& point : expected) {
    yTop = std::max(yTop, point.second);
  }
  Panel p{left, top, 440, 260, 0, maxWeight, yTop * 1.1};
  drawAxes(out, p,
           "Gross weight of " + std::to_string(axles) + "-axle trucks (" +
               std::to_string(static_cast<long long>(counts[0] + counts[1])) + ")",
           "gross weight (site weight unit; a car is 20), bins of " + numberText(binWidth),
           "% of trucks", heavy ? 250 : 100);
  bars(out, p, shares, binWidth, "#4c72b0");
  if (!expected.empty()) {
    polyline(out, p, expected, "#c44e52", false);
  }
}

// The site's speeds of direction, as % of vehicles per bin of binWidth km/h up to maxKmh:
// a bin holds the whole speeds v (dm/s) with v * 0.36 in it, which the speeds from v - 0.5
// to v + 0.5 round to. Empty under the congested model.
std::vector<std::pair<double, double>> expectedSpeeds(const SiteExpectation& site, int direction,
                                                      double binWidth, double maxKmh) {
  std::vector<std::pair<double, double>> expected;
  for (double from = 0; from < maxKmh; from += binWidth) {
    double low = std::ceil(from / kmhPerDecimetrePerSecond) - 0.5;
    double high = std::ceil((from + binWidth) / kmhPerDecimetrePerSecond) - 0.5;
    double share = site.speedWithin(direction, low, high);
    if (!std::isfinite(share)) {
      return {};
    }
    expected.push_back({from + binWidth / 2, 100 * share});
  }
  return expected;
}

void drawSpeedPanel(std::ostream& out, const StreamSummary& summary, const SiteExpectation* site,
                    int direction, double left, double top) {
  constexpr double binWidth = 2;
  constexpr double maxKmh = 150;
  std::vector<double> shares =
      binShares(summary.speeds(direction), 0, maxKmh, binWidth, kmhPerDecimetrePerSecond);
  std::vector<std::pair<double, double>> expected;
  if (site != nullptr) {
    expected = expectedSpeeds(*site, direction, binWidth, maxKmh);
  }
  double yTop = 1;
  for (double share : shares) {
    yTop = std::max(yTop, share);
  }
  for (const auto& point : expected) {
    yTop = std::max(yTop, point.second);
  }
  long long vehicles = total(summary.speeds(direction));
  Panel p{left, top, 440, 260, 0, maxKmh, yTop * 1.1};
  drawAxes(out, p,
           "Speed, direction " + std::to_string(direction) + " (" + std::to_string(vehicles) +
               " vehicles)",
           "speed (km/h), bins of 2", "% of vehicles", 25);
  bars(out, p, shares, binWidth, "#55a868");
  if (!expected.empty()) {
    polyline(out, p, expected, "#c44e52", false);
  }
}

}  // namespace

std::string chartSvg(const std::string& source, const StreamSummary& summary,
                     const SiteExpectation* site) {
  std::vector<int> truckClasses = shownTruckClasses(summary, site);
  auto rows = static_cast<double>((truckClasses.size() + 1) / 2);
  double speedTop = grossWeightPanelsTop + panelRowHeight * rows;
  double pageHeight = speedTop + speedPanelsHeight;
  std::ostringstream out;
  svg::beginPage(out, pageWidth, pageHeight);
  text(out, pageWidth / 2, 40,
       "Generated traffic: " + source + " (" + std::to_string(summary.records()) + " vehicles, " +
           std::to_string(summary.days()) + " days)",
       20, "middle", true);
  if (site != nullptr) {
    text(out, pageWidth / 2, 64,
         "Dashed lines and red curves: what the site tables of " + site->folder() + " expect", 13);
  }
  drawFlowPanel(out, summary, site);
  for (std::size_t index = 0; index < truckClasses.size(); ++index) {
    drawGrossWeightPanel(out, summary, site, truckClasses[index], 90 + 560 * (index % 2),
                         grossWeightPanelsTop + panelRowHeight * static_cast<double>(index / 2));
  }
  drawSpeedPanel(out, summary, site, 1, 90, speedTop);
  drawSpeedPanel(out, summary, site, 2, 650, speedTop);
  svg::endPage(out);
  return out.str();
}

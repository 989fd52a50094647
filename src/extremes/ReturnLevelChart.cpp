#include "extremes/ReturnLevelChart.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <utility>

#include "chart/Svg.h"
#include "load/EffectKinds.h"

namespace {

using Points = std::vector<std::pair<double, double>>;  // in the data's values
using svg::number;
using svg::pixels;

constexpr double chartWidth = 760.0;
constexpr double levelsHeight = 420.0;  // the return-level plot and its axis labels
constexpr double legendHeight = 96.0;   // the legend, below the plot: a line a model
constexpr double diagnosticsHeight = 250.0;

// A plot's frame on the page and the ranges it shows.
struct Frame {
  double left, top, width, height;
  double x0, x1, y0, y1;
  double x(double value) const { return left + (value - x0) / (x1 - x0) * width; }
  double y(double value) const { return top + (y1 - value) / (y1 - y0) * height; }
};

// Widens the frame's level range to round ticks and writes the ticks and their labels.
void writeLevelTicks(std::ostream& out, Frame& frame, int count) {
  double step = svg::roundStep(frame.y1 - frame.y0, count);
  frame.y0 = std::floor(frame.y0 / step) * step;
  frame.y1 = std::ceil(frame.y1 / step) * step;
  for (double tick = frame.y0; tick <= frame.y1 + step / 2; tick += step) {
    svg::line(out, frame.left, frame.y(tick), frame.left + frame.width, frame.y(tick),
              "stroke=\"#eee\"");
    svg::text(out, frame.left - 6, frame.y(tick) + 4, number(tick, "%.10g"), {11, "end"});
  }
}

void writeBox(std::ostream& out, const Frame& frame) {
  svg::frame(out, frame.left, frame.top, frame.width, frame.height);
}

void writeText(std::ostream& out, double x, double y, const std::string& text, int size,
               const char* anchor = "start", const char* colour = "#000") {
  svg::text(out, x, y, text, {size, anchor, colour});
}

// The points on the page.
svg::Points onPage(const Points& points, const Frame& frame) {
  svg::Points placed;
  for (const auto& point : points) {
    placed.emplace_back(frame.x(point.first), frame.y(point.second));
  }
  return placed;
}

// The Gumbel reduced variate -ln(-ln F) of the annual maximum's non-exceedance probability.
double reducedVariate(double years) {
  return -std::log(-std::log1p(-1.0 / years));
}

// The return period whose variate is v.
double yearsOfVariate(double v) {
  return 1.0 / -std::expm1(-std::exp(-v));
}

// The model's levels across the frame (the generalized Pareto's from its shortest period
// on), over the block maxima too.
Points curveOf(const FittedModel& model, const Frame& frame) {
  Points points;
  bool pareto = model.look.kind == ModelKind::peaksOverThreshold;
  for (int i = 0; i <= 120; ++i) {
    double variate = frame.x0 + (frame.x1 - frame.x0) * i / 120.0;
    double years = yearsOfVariate(variate);
    double level = years > 1.0 && (!pareto || years >= shortestYearsOf(model))
                       ? levelOfModel(model, years)
                       : std::nan("");
    if (!std::isnan(level)) {  // the composite has no level at some short periods
      points.emplace_back(variate, level);
    }
  }
  return points;
}

// The outline of a model's band: the upper bounds rising, then the lower falling.
Points bandOf(const FittedModel& model) {
  Points lower;
  Points upper;
  for (const ReturnLevel& level : model.bandLevels) {
    if (level.intervalFound) {
      lower.emplace_back(reducedVariate(level.years), level.lower);
      upper.emplace_back(reducedVariate(level.years), level.upper);
    }
  }
  upper.insert(upper.end(), lower.rbegin(), lower.rend());
  return upper;
}

// The block maxima at their annual plotting positions.
Points plottingPositions(const EffectAnalysis& analysis, const AnalysisSettings& settings) {
  double blocks = settings.daysPerYear / settings.blockDays;
  std::vector<double> sorted = analysis.maxima;
  std::sort(sorted.begin(), sorted.end());
  auto n = static_cast<double>(sorted.size());
  Points points;
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    double plotting = (static_cast<double>(i) + 1.0) / (n + 1.0);  // of a block
    // The annual probability is plotting^blocks, written so that it cannot underflow.
    points.emplace_back(-std::log(-blocks * std::log(plotting)), sorted[i]);
  }
  return points;
}

void writeYearTicks(std::ostream& out, const Frame& frame, const AnalysisSettings& settings) {
  for (double decade = 1.0; decade <= 1e7; decade *= 10.0) {
    for (double step : {2.0, 5.0, 10.0}) {
      double x = reducedVariate(decade * step);
      if (x >= frame.x0 && x <= frame.x1) {
        writeText(out, frame.x(x), frame.top + frame.height + 16, number(decade * step, "%.6g"), 11,
                  "middle");
      }
    }
  }
  double previous = -1e9;
  int raised = 0;  // labels lifted a line, so that close periods stay apart
  for (double years : settings.returnYears) {
    double x = frame.x(reducedVariate(years));
    raised = std::fabs(x - previous) < 70 ? (raised + 1) % 3 : 0;
    previous = x;
    svg::line(out, x, frame.top, x, frame.top + frame.height,
              "stroke=\"#999\" stroke-dasharray=\"3,3\"");
    writeText(out, x, frame.top - 6 - 12 * raised, number(years, "%.6g") + " years", 11, "middle");
  }
}

void writeLegend(std::ostream& out, const EffectAnalysis& analysis, double left, double top) {
  double y = top;
  for (const FittedModel& model : analysis.models) {
    svg::legendLine(out, left, y, model.look.colour, 2, model.look.dashes,
                    std::string(model.look.legend) + "; band: 95 %, " + model.intervalMethod,
                    {11, "start", model.look.colour});
    y += 15;
  }
  writeText(out, left, y, "dots: the block maxima at plotting positions i/(n+1)", 11);
}

void writeLevelsPlot(std::ostream& out, const EffectAnalysis& analysis,
                     const AnalysisSettings& settings, double originY) {
  Points dots = plottingPositions(analysis, settings);
  double longest = *std::max_element(settings.returnYears.begin(), settings.returnYears.end());
  Frame frame{90,
              originY + 60,
              chartWidth - 120,
              levelsHeight - 120,
              std::min(dots.front().first, reducedVariate(chartShortestYears)),
              reducedVariate(longest * chartReach),
              dots.front().second,
              dots.back().second};
  std::vector<Points> bands;
  for (const FittedModel& model : analysis.models) {
    bands.push_back(bandOf(model));
    for (const auto& point : bands.back()) {
      frame.y1 = std::max(frame.y1, point.second);
    }
    for (const ReturnLevel& level : model.levels) {
      frame.y1 = std::max(frame.y1, level.level);
    }
  }
  writeText(out, 90, originY + 24,
            effect_kinds::describe(analysis.effect) + " (" + analysis.effect +
                "): return levels, in " +
                (analysis.unit.empty() ? "the maxima files' unit" : analysis.unit),
            15);
  writeLevelTicks(out, frame, 6);
  writeBox(out, frame);
  writeYearTicks(out, frame, settings);
  writeText(out, frame.left + frame.width / 2, frame.top + frame.height + 36,
            "return period, years (Gumbel scale of the annual maximum, " +
                number(settings.daysPerYear, "%.6g") + "-day years; " +
                std::to_string(settings.blockDays) + "-day blocks)",
            12, "middle");
  svg::upwardText(out, 22, frame.top + frame.height / 2,
                  "level, in " + (analysis.unit.empty() ? "the maxima files' unit" : analysis.unit),
                  {12});
  for (std::size_t i = 0; i < bands.size(); ++i) {
    if (!bands[i].empty()) {
      svg::polygon(out, onPage(bands[i], frame), analysis.models[i].look.fill, 0.35);
    }
  }
  for (const FittedModel& model : analysis.models) {
    svg::polyline(out, onPage(curveOf(model, frame), frame), model.look.colour, 2,
                  model.look.dashes);
  }
  std::size_t stride = std::max<std::size_t>(1, dots.size() / 2000);  // a readable file
  for (std::size_t i = 0; i < dots.size(); i += stride) {
    if (dots[i].first >= frame.x0) {
      out << "<circle cx=\"" << pixels(frame.x(dots[i].first)) << "\" cy=\""
          << pixels(frame.y(dots[i].second)) << "\" r=\"1.6\" fill=\"#222\"/>\n";
    }
  }
  writeLegend(out, analysis, 90, originY + levelsHeight + 4);
}

// One diagnostic plot: a value and its 95 % band against the threshold.
void writeDiagnosticPlot(std::ostream& out, const Frame& placed, const Points& middle,
                         const Points& band, double chosen, const std::string& title) {
  Frame frame = placed;
  for (const auto& point : band) {
    frame.y0 = std::min(frame.y0, point.second);
    frame.y1 = std::max(frame.y1, point.second);
  }
  if (!(frame.y1 > frame.y0)) {
    frame.y1 = frame.y0 + 1.0;
  }
  writeText(out, frame.left, frame.top - 10, title, 12);
  writeLevelTicks(out, frame, 4);
  writeBox(out, frame);
  double step = svg::roundStep(frame.x1 - frame.x0, 4);
  for (double tick = std::ceil(frame.x0 / step) * step; tick <= frame.x1; tick += step) {
    writeText(out, frame.x(tick), frame.top + frame.height + 14, number(tick, "%.10g"), 10,
              "middle");
  }
  svg::polygon(out, onPage(band, frame), "#a8d8b9", 0.5);
  svg::polyline(out, onPage(middle, frame), "#2e8b57", 1.5, "");
  svg::line(out, frame.x(chosen), frame.top, frame.x(chosen), frame.top + frame.height,
            "stroke=\"#444\" stroke-dasharray=\"4,3\"");
}

void writeDiagnostics(std::ostream& out, const EffectAnalysis& analysis, const FittedModel& gpd,
                      double originY) {
  Points meanExcess, meanBand, lowerMean, shape, shapeBand, lowerShape;
  for (const ThresholdPoint& point : analysis.thresholds) {
    meanExcess.emplace_back(point.threshold, point.meanExcess);
    meanBand.emplace_back(point.threshold, point.meanExcess + point.meanExcessHalfWidth);
    lowerMean.emplace_back(point.threshold, point.meanExcess - point.meanExcessHalfWidth);
    if (point.shapeFitted && std::isfinite(point.shapeError)) {
      shape.emplace_back(point.threshold, point.shape);
      shapeBand.emplace_back(point.threshold, point.shape + 1.96 * point.shapeError);
      lowerShape.emplace_back(point.threshold, point.shape - 1.96 * point.shapeError);
    }
  }
  meanBand.insert(meanBand.end(), lowerMean.rbegin(), lowerMean.rend());
  shapeBand.insert(shapeBand.end(), lowerShape.rbegin(), lowerShape.rend());
  double x0 = std::min(analysis.thresholds.front().threshold, gpd.fit.location);
  double x1 = std::max(analysis.thresholds.back().threshold, gpd.fit.location);
  if (!(x1 > x0)) {
    return;
  }
  double top = originY + 40;
  Frame left{90, top, 280, diagnosticsHeight - 80, x0, x1, 1e300, -1e300};
  Frame right{470, top, 260, diagnosticsHeight - 80, x0, x1, 1e300, -1e300};
  writeDiagnosticPlot(out, left, meanExcess, meanBand, gpd.fit.location,
                      "mean residual life: mean excess over it");
  if (!shape.empty()) {
    writeDiagnosticPlot(out, right, shape, shapeBand, gpd.fit.location,
                        "shape xi fitted over the threshold");
  }
  writeText(out, chartWidth / 2, top + diagnosticsHeight - 48,
            "threshold, in " +
                (analysis.unit.empty() ? std::string("the maxima files' unit") : analysis.unit) +
                " (dashed: the threshold fitted; bands: 95 %; both straight above a good one)",
            11, "middle");
}

const FittedModel* thresholdModel(const EffectAnalysis& analysis) {
  for (const FittedModel& model : analysis.models) {
    if (model.look.kind == ModelKind::peaksOverThreshold) {
      return &model;
    }
  }
  return nullptr;
}

double panelHeight(const EffectAnalysis& analysis) {
  bool diagnostics = thresholdModel(analysis) != nullptr && !analysis.thresholds.empty();
  return levelsHeight + legendHeight + (diagnostics ? diagnosticsHeight : 0.0);
}

}  // namespace

void writeChart(std::ostream& out, const std::vector<EffectAnalysis>& analyses,
                const AnalysisSettings& settings) {
  double height = 0.0;
  for (const EffectAnalysis& analysis : analyses) {
    height += panelHeight(analysis);
  }
  svg::beginPage(out, chartWidth, height);
  double originY = 0.0;
  for (const EffectAnalysis& analysis : analyses) {
    writeLevelsPlot(out, analysis, settings, originY);
    const FittedModel* gpd = thresholdModel(analysis);
    if (gpd != nullptr && !analysis.thresholds.empty()) {
      writeDiagnostics(out, analysis, *gpd, originY + levelsHeight + legendHeight);
    }
    originY += panelHeight(analysis);
  }
  svg::endPage(out);
}

#include "extremes/EffectAnalysis.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include <gsl/gsl_cdf.h>

#include "load/LoadOptions.h"
#include "output/CsvField.h"

namespace {

std::string number(double value, const char* format = "%.6g") {
  if (!std::isfinite(value)) {
    return "n/a";
  }
  char text[64];
  std::snprintf(text, sizeof text, format, value);
  return text;
}

std::string interval(const ReturnLevel& level) {
  if (!level.intervalFound) {
    return "[not found]";
  }
  return "[" + number(level.lower) + ", " + number(level.upper) + "]";
}

// The models every effect is fitted with, in the order they are reported.
const struct {
  ExtremeModel model;
  ModelLook look;
} catalogue[] = {
    {ExtremeModel::gev,
     {"gev", "GEV", "GEV, shape xi > 0 a heavy upper tail (scipy's genextreme c = -xi):",
      "GEV fit, with its 95 % profile-likelihood band", "#1f5fa8", "", true}},
    {ExtremeModel::gumbel, {"gumbel", "Gumbel", "Gumbel:", "Gumbel fit", "#d9822b", "6,4", false}},
};

// The unit as the report and the chart name it.
std::string unitText(const EffectAnalysis& analysis) {
  return analysis.unit.empty() ? "the maxima files' unit" : analysis.unit;
}

// The long-run levels of the report: those the annual maxima hold enough years for.
void writeLongRun(std::ostream& out, const EffectAnalysis& analysis) {
  if (analysis.annualMaxima.empty()) {
    return;
  }
  out << "  long-run levels, read from the " << analysis.annualMaxima.size()
      << " annual maxima without a model (Weibull plotting positions i/(n+1); 95 % interval "
         "from the order statistics):\n";
  for (const LongRunLevel& level : analysis.longRun) {
    out << "    " << number(level.years) << " years: ";
    if (!level.read) {
      out << "not read: the maxima hold " << analysis.annualMaxima.size() << " years\n";
      continue;
    }
    out << number(level.level) << " "
        << (level.intervalFound
                ? "[" + number(level.lower) + ", " + number(level.upper) + "]"
                : std::string("[not found: too few years for a distribution-free interval]"))
        << "\n";
  }
}

void writeFit(std::ostream& out, const char* title, const ExtremeValueFit& fit) {
  out << "  " << title << "\n"
      << "    location mu    " << number(fit.location) << " +/- " << number(fit.locationError)
      << "\n"
      << "    scale sigma    " << number(fit.scale) << " +/- " << number(fit.scaleError) << "\n";
  if (fit.model != ExtremeModel::gumbel) {
    out << "    shape xi       " << number(fit.shape) << " +/- " << number(fit.shapeError) << "\n";
  }
  out << "    log-likelihood " << number(fit.logLikelihood, "%.10g") << ", Kolmogorov-Smirnov D "
      << number(fit.kolmogorovSmirnov, "%.4f") << ", Anderson-Darling A^2 "
      << number(fit.andersonDarling, "%.4f") << "\n";
}

}  // namespace

namespace {

// The warnings of a model fitted to maxima, for the whole fit and by return period.
void diagnose(const std::vector<double>& maxima, FittedModel* model) {
  std::string fit = std::string("the ") + model->look.label + " fit";
  if (maxima.size() < static_cast<std::size_t>(analysis_limits::wellFittedMaxima)) {
    model->warnings.push_back(fit + " rests on " + std::to_string(maxima.size()) +
                              " block maxima; " + std::to_string(analysis_limits::wellFittedMaxima) +
                              " or more make a fit to rely on");
  }
  const ExtremeValueFit& parameters = model->fit;
  if (parameters.model != ExtremeModel::gumbel &&
      !(parameters.shapeError <= std::fabs(parameters.shape))) {
    model->warnings.push_back(fit + ": the shape " + number(parameters.shape) +
                              " has a standard error of " + number(parameters.shapeError) +
                              ", more than its size: the kind of upper tail is not known");
  }
  double largest = *std::max_element(maxima.begin(), maxima.end());
  for (const ReturnLevel& level : model->levels) {
    std::vector<std::string> warnings;
    std::string period = fit + ": the " + number(level.years) + "-year level";
    if (largest > 0 && level.level > analysis_limits::farBeyondData * largest) {
      warnings.push_back(period + " " + number(level.level) + " is " +
                         number(level.level / largest, "%.2g") +
                         " times the largest block maximum, " + number(largest));
    }
    if (!level.intervalFound) {
      warnings.push_back(period + " has no 95 % interval: the profile likelihood does not fall "
                         "to its limit on one side, as when the maxima are too few for so long "
                         "a period");
    }
    model->levelWarnings.push_back(warnings);
  }
}

}  // namespace

namespace {

const FittedModel* modelOf(const EffectAnalysis& analysis, ExtremeModel model) {
  for (const FittedModel& fitted : analysis.models) {
    if (fitted.fit.model == model) {
      return &fitted;
    }
  }
  return nullptr;
}

LikelihoodRatio testGumbelAgainstGev(const EffectAnalysis& analysis) {
  const FittedModel* gev = modelOf(analysis, ExtremeModel::gev);
  const FittedModel* gumbel = modelOf(analysis, ExtremeModel::gumbel);
  LikelihoodRatio test;
  if (gev == nullptr || gumbel == nullptr) {
    return test;
  }
  test.tested = true;
  // The GEV's maximum is at least the Gumbel's; a hair below it is the optimiser's rounding.
  test.statistic = std::max(0.0, 2.0 * (gev->fit.logLikelihood - gumbel->fit.logLikelihood));
  test.pValue = gsl_cdf_chisq_Q(test.statistic, 1.0);
  return test;
}

}  // namespace

void readLongRun(const std::vector<double>& annualMaxima, const AnalysisSettings& settings,
                 EffectAnalysis* analysis) {
  analysis->annualMaxima = annualMaxima;
  analysis->longRun = longRunLevels(annualMaxima, settings.returnYears);
}

std::vector<std::string> warningsOf(const EffectAnalysis& analysis) {
  std::vector<std::string> all;
  for (const FittedModel& model : analysis.models) {
    for (const std::string& warning : model.warnings) {
      all.push_back(analysis.effect + ": " + warning);
    }
    for (const std::vector<std::string>& warnings : model.levelWarnings) {
      for (const std::string& warning : warnings) {
        all.push_back(analysis.effect + ": " + warning);
      }
    }
  }
  return all;
}

bool analyse(const std::string& effect, const std::string& unit, const std::vector<double>& maxima,
             const AnalysisSettings& settings, EffectAnalysis* analysis, std::string* error) {
  analysis->effect = effect;
  analysis->unit = unit;
  analysis->maxima = maxima;
  double blocks = analysis->blocksPerYear(settings);
  for (const auto& entry : catalogue) {
    FittedModel fitted{entry.look, {}, {}, {}, {}};
    if (!fitExtremes(maxima, entry.model, &fitted.fit, error)) {
      return false;
    }
    for (double years : settings.returnYears) {
      fitted.levels.push_back(returnLevel(maxima, fitted.fit, years, blocks));
    }
    diagnose(maxima, &fitted);
    analysis->models.push_back(fitted);
  }
  analysis->gumbelAgainstGev = testGumbelAgainstGev(*analysis);
  return true;
}

void writeReport(std::ostream& out, const EffectAnalysis& analysis,
                 const AnalysisSettings& settings) {
  out << analysis.effect << ": " << analysis.maxima.size() << " maxima of " << settings.blockDays
      << "-day blocks (values in " << unitText(analysis) << ")\n";
  for (const FittedModel& model : analysis.models) {
    writeFit(out, model.look.title, model.fit);
  }
  const LikelihoodRatio& test = analysis.gumbelAgainstGev;
  if (test.tested) {
    out << "  Gumbel against GEV: likelihood-ratio statistic " << number(test.statistic, "%.4f")
        << ", p " << number(test.pValue, "%.6g")
        << " (chi-squared, 1 degree of freedom): the Gumbel fit is "
        << (test.pValue < 0.05 ? "rejected" : "not rejected") << " at 5 %\n";
  }
  out << "  return levels, " << number(settings.daysPerYear) << " days a year, with 95 % "
      << "profile-likelihood intervals:\n";
  for (std::size_t i = 0; i < settings.returnYears.size(); ++i) {
    out << "    " << number(settings.returnYears[i]) << " years: ";
    for (const FittedModel& model : analysis.models) {
      const ReturnLevel& level = model.levels[i];
      out << (&model == &analysis.models.front() ? "" : ", ") << model.look.label << " "
          << number(level.level) << " " << interval(level);
    }
    out << "\n";
  }
  writeLongRun(out, analysis);
  for (const std::string& warning : warningsOf(analysis)) {
    out << "  warning: " << warning.substr(analysis.effect.size() + 2) << "\n";
  }
}

const char* csvHeader() {
  return "effect,model,blocks,location,location_se,scale,scale_se,shape,shape_se,"
         "log_likelihood,ks_d,ad_a2,return_years,return_level,lower_95,upper_95,unit,warnings";
}

void writeCsvRows(std::ostream& out, const EffectAnalysis& analysis) {
  auto rows = [&](const FittedModel& fitted) {
    const char* model = fitted.look.name;
    const ExtremeValueFit& fit = fitted.fit;
    for (std::size_t i = 0; i < fitted.levels.size(); ++i) {
      const ReturnLevel& level = fitted.levels[i];
      std::string warnings;
      for (const auto* list : {&fitted.warnings, &fitted.levelWarnings[i]}) {
        for (const std::string& warning : *list) {
          warnings += (warnings.empty() ? "" : "; ") + warning;
        }
      }
      out << csvField(analysis.effect) << ',' << model << ',' << analysis.maxima.size() << ','
          << number(fit.location, "%.10g") << ',' << number(fit.locationError, "%.10g") << ','
          << number(fit.scale, "%.10g") << ',' << number(fit.scaleError, "%.10g") << ','
          << number(fit.shape, "%.10g") << ',' << number(fit.shapeError, "%.10g") << ','
          << number(fit.logLikelihood, "%.10g") << ',' << number(fit.kolmogorovSmirnov, "%.6g")
          << ',' << number(fit.andersonDarling, "%.6g") << ',' << number(level.years) << ','
          << number(level.level, "%.10g") << ','
          << (level.intervalFound ? number(level.lower, "%.10g") : "") << ','
          << (level.intervalFound ? number(level.upper, "%.10g") : "") << ','
          << csvField(analysis.unit) << ',' << csvField(warnings) << '\n';
    }
  };
  for (const FittedModel& model : analysis.models) {
    rows(model);
  }
  for (const LongRunLevel& level : analysis.longRun) {
    if (level.read) {
      out << csvField(analysis.effect) << ",long-run," << analysis.annualMaxima.size()
          << ",,,,,,,,,," << number(level.years) << ',' << number(level.level, "%.10g") << ','
          << (level.intervalFound ? number(level.lower, "%.10g") : "") << ','
          << (level.intervalFound ? number(level.upper, "%.10g") : "") << ','
          << csvField(analysis.unit) << ",\n";
    }
  }
}

namespace {

// text with the characters XML gives a meaning written as references.
std::string xmlText(const std::string& text) {
  std::string escaped;
  for (char c : text) {
    switch (c) {
      case '&': escaped += "&amp;"; break;
      case '<': escaped += "&lt;"; break;
      case '>': escaped += "&gt;"; break;
      case '"': escaped += "&quot;"; break;
      default: escaped += c;
    }
  }
  return escaped;
}

constexpr double panelWidth = 760.0;
constexpr double panelHeight = 440.0;
constexpr double left = 90.0;
constexpr double right = 30.0;
constexpr double top = 50.0;
constexpr double bottom = 70.0;

// The Gumbel reduced variate -ln(-ln F) of the annual maximum's non-exceedance probability.
double reducedVariate(double annualProbability) {
  return -std::log(-std::log(annualProbability));
}

struct Axes {
  double x0, x1, y0, y1, originY;
  double x(double variate) const {
    return left + (variate - x0) / (x1 - x0) * (panelWidth - left - right);
  }
  double y(double level) const {
    return originY + top + (y1 - level) / (y1 - y0) * (panelHeight - top - bottom);
  }
};

std::string polyline(const std::vector<std::pair<double, double>>& points, const Axes& axes) {
  std::string text;
  for (const auto& point : points) {
    text += number(axes.x(point.first), "%.1f") + "," + number(axes.y(point.second), "%.1f") + " ";
  }
  return text;
}

// The levels of a fit along the variate axis: the annual probability is F^blocksPerYear.
std::vector<std::pair<double, double>> curve(const ExtremeValueFit& fit, double blocksPerYear,
                                             const Axes& axes) {
  std::vector<std::pair<double, double>> points;
  for (int i = 0; i <= 120; ++i) {
    double variate = axes.x0 + (axes.x1 - axes.x0) * i / 120.0;
    // The block probability whose blocksPerYear-th power has this variate.
    double block = std::exp(-std::exp(-variate) / blocksPerYear);
    points.emplace_back(variate, quantile(fit, block));
  }
  return points;
}

// The outline of a model's 95 % band: the upper bounds rising, then the lower falling, at
// return periods from 2 years to `longest`; the periods whose interval is not found are
// left out.
std::vector<std::pair<double, double>> band(const EffectAnalysis& analysis, const FittedModel& model,
                                            double blocks, double longest) {
  std::vector<std::pair<double, double>> lower;
  std::vector<std::pair<double, double>> upper;
  std::vector<double> bandYears;
  for (double years = 2.0; years < longest; years *= 2.5) {
    bandYears.push_back(years);
  }
  bandYears.push_back(longest);
  for (double years : bandYears) {
    ReturnLevel level = returnLevel(analysis.maxima, model.fit, years, blocks);
    if (level.intervalFound) {
      double variate = reducedVariate(1.0 - 1.0 / years);
      lower.emplace_back(variate, level.lower);
      upper.emplace_back(variate, level.upper);
    }
  }
  upper.insert(upper.end(), lower.rbegin(), lower.rend());
  return upper;
}

void writePanel(std::ostream& out, const EffectAnalysis& analysis,
                const AnalysisSettings& settings, double originY) {
  double blocks = analysis.blocksPerYear(settings);
  std::vector<double> sorted = analysis.maxima;
  std::sort(sorted.begin(), sorted.end());
  auto n = static_cast<double>(sorted.size());
  std::vector<std::pair<double, double>> points;
  for (std::size_t i = 0; i < sorted.size(); ++i) {
    double plotting = (static_cast<double>(i) + 1.0) / (n + 1.0);  // of a block
    // The annual probability is plotting^blocks, written so that it cannot underflow.
    points.emplace_back(-std::log(-blocks * std::log(plotting)), sorted[i]);
  }
  double longest = *std::max_element(settings.returnYears.begin(), settings.returnYears.end());
  Axes axes{points.front().first, reducedVariate(1.0 - 1.0 / longest) + 0.3, sorted.front(),
            sorted.back(), originY};
  // The bands: the intervals at return periods from 2 years to the longest asked for. The
  // axis reaches the top of each band, and the levels of the models drawn without one.
  std::vector<std::vector<std::pair<double, double>>> bands;
  for (const FittedModel& model : analysis.models) {
    if (model.look.band) {
      bands.push_back(band(analysis, model, blocks, longest));
      for (const auto& point : bands.back()) {
        axes.y1 = std::max(axes.y1, point.second);
      }
    } else {
      for (const ReturnLevel& level : model.levels) {
        axes.y1 = std::max(axes.y1, level.level);
      }
    }
  }
  axes.y1 += 0.05 * (axes.y1 - axes.y0);
  axes.y0 -= 0.05 * (axes.y1 - axes.y0);
  out << "<text x=\"" << left << "\" y=\"" << originY + 30 << "\" font-size=\"16\">"
      << xmlText(load_options::describeEffect(analysis.effect)) << " (" << xmlText(analysis.effect)
      << "): return levels of " << settings.blockDays << "-day maxima, in "
      << xmlText(unitText(analysis)) << "</text>\n";
  out << "<rect x=\"" << left << "\" y=\"" << originY + top << "\" width=\""
      << panelWidth - left - right << "\" height=\"" << panelHeight - top - bottom
      << "\" fill=\"none\" stroke=\"#444\"/>\n";
  double tickStep = std::max(1.0, std::ceil((axes.x1 - axes.x0) / 12.0));
  for (double tick = std::ceil(axes.x0); tick <= axes.x1; tick += tickStep) {
    out << "<text x=\"" << number(axes.x(tick), "%.1f") << "\" y=\""
        << originY + panelHeight - bottom + 18 << "\" font-size=\"11\" text-anchor=\"middle\">"
        << number(tick) << "</text>\n";
  }
  double previousLabel = -1e9;
  int raised = 0;  // labels lifted a line, so that close periods stay readable
  for (double years : settings.returnYears) {
    double x = axes.x(reducedVariate(1.0 - 1.0 / years));
    raised = std::fabs(x - previousLabel) < 60 ? (raised + 1) % 2 : 0;
    previousLabel = x;
    out << "<line x1=\"" << number(x, "%.1f") << "\" y1=\"" << originY + top << "\" x2=\""
        << number(x, "%.1f") << "\" y2=\"" << originY + panelHeight - bottom
        << "\" stroke=\"#999\" stroke-dasharray=\"3,3\"/>\n<text x=\"" << number(x, "%.1f")
        << "\" y=\"" << originY + top - 6 - 12 * raised
        << "\" font-size=\"11\" text-anchor=\"middle\">" << number(years) << " years</text>\n";
  }
  for (int i = 0; i <= 5; ++i) {
    double level = axes.y0 + (axes.y1 - axes.y0) * i / 5.0;
    out << "<text x=\"" << left - 8 << "\" y=\"" << number(axes.y(level) + 4, "%.1f")
        << "\" font-size=\"11\" text-anchor=\"end\">"
        << number(level, axes.y1 - axes.y0 >= 50 ? "%.0f" : "%.4g") << "</text>\n";
  }
  out << "<text x=\"" << (left + panelWidth - right) / 2 << "\" y=\""
      << originY + panelHeight - bottom + 40 << "\" font-size=\"12\" text-anchor=\"middle\">"
      << "Gumbel reduced variate of the annual maximum, -ln(-ln F) (" << number(settings.daysPerYear)
      << "-day years)</text>\n";
  out << "<text transform=\"translate(22," << originY + top + (panelHeight - top - bottom) / 2
      << ") rotate(-90)\" font-size=\"12\" text-anchor=\"middle\">level, in "
      << xmlText(unitText(analysis)) << "</text>\n";
  for (const auto& outline : bands) {
    if (!outline.empty()) {
      out << "<polygon points=\"" << polyline(outline, axes)
          << "\" fill=\"#9cc3e6\" fill-opacity=\"0.5\" stroke=\"none\"/>\n";
    }
  }
  for (const FittedModel& model : analysis.models) {
    out << "<polyline points=\"" << polyline(curve(model.fit, blocks, axes), axes)
        << "\" fill=\"none\" stroke=\"" << model.look.colour << "\" stroke-width=\"2\""
        << (*model.look.dashes ? std::string(" stroke-dasharray=\"") + model.look.dashes + "\"" : "")
        << "/>\n";
  }
  std::size_t stride = std::max<std::size_t>(1, points.size() / 2000);  // a readable file
  for (std::size_t i = 0; i < points.size(); i += stride) {
    out << "<circle cx=\"" << number(axes.x(points[i].first), "%.1f") << "\" cy=\""
        << number(axes.y(points[i].second), "%.1f") << "\" r=\"1.6\" fill=\"#222\"/>\n";
  }
  double legendX = left + 14;
  double legendY = originY + top + 18;
  for (const FittedModel& model : analysis.models) {
    out << "<text x=\"" << legendX << "\" y=\"" << legendY << "\" font-size=\"11\" fill=\""
        << model.look.colour << "\">" << model.look.legend << "</text>\n";
    legendY += 15;
  }
  out << "<text x=\"" << legendX << "\" y=\"" << legendY
      << "\" font-size=\"11\">dots: the block maxima</text>\n";
}

}  // namespace

void writeChart(std::ostream& out, const std::vector<EffectAnalysis>& analyses,
                const AnalysisSettings& settings) {
  double height = panelHeight * static_cast<double>(analyses.size());
  out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      << "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"" << panelWidth << "\" height=\""
      << height << "\" viewBox=\"0 0 " << panelWidth << " " << height
      << "\" font-family=\"sans-serif\">\n<rect width=\"100%\" height=\"100%\" fill=\"white\"/>\n";
  for (std::size_t i = 0; i < analyses.size(); ++i) {
    writePanel(out, analyses[i], settings, panelHeight * static_cast<double>(i));
  }
  out << "</svg>\n";
}

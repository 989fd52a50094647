// Extreme-value fits checked against scipy on the same maxima, a round trip from a known
// GEV, profile-likelihood intervals, and refused input, through velmora-extremes itself.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "extremes/EffectAnalysis.h"
#include "extremes/ExtremeValueFit.h"
#include "support/ProgramRun.h"
#include "support/TestFolder.h"
#include "support/TextLines.h"

namespace {

// n draws of a GEV by its inverse CDF.
std::vector<double> gevSample(double location, double scale, double shape, int n, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<double> sample;
  for (int i = 0; i < n; ++i) {
    double y = -std::log(unit(random));
    sample.push_back(shape == 0.0 ? location - scale * std::log(y)
                                  : location + scale * (std::pow(y, -shape) - 1.0) / shape);
  }
  return sample;
}

// A maxima file of effects, one value a day.
std::string maximaFile(const std::vector<std::pair<std::string, std::vector<double>>>& effects) {
  std::ostringstream out;
  out.precision(17);
  out << "effect,day,max,time_s,vehicles_on_bridge,trucks_on_bridge\n";
  for (std::size_t day = 0; day < effects.front().second.size(); ++day) {
    for (const auto& effect : effects) {
      out << effect.first << ',' << day + 1 << ',' << effect.second[day] << ",0.000,1,1\n";
    }
  }
  return out.str();
}

std::vector<double> numbersOf(const std::string& line) {
  std::vector<double> numbers;
  std::istringstream in(line);
  std::string word;
  in >> word;  // the effect
  for (double value; in >> value;) {
    numbers.push_back(value);
  }
  return numbers;
}

// The CSV row of velmora-extremes for an effect, model and return period.
std::vector<std::string> fieldsOf(const std::vector<std::string>& rows, const std::string& prefix,
                                  const std::string& years) {
  for (const std::string& row : rows) {
    std::vector<std::string> fields;
    std::istringstream in(row);
    for (std::string field; std::getline(in, field, ',');) {
      fields.push_back(field);
    }
    // The first 16 columns are numbers; the unit and the warnings follow them.
    if (row.rfind(prefix, 0) == 0 && fields.size() >= 16 && fields[12] == years) {
      return fields;
    }
  }
  ADD_FAILURE() << "no row " << prefix << " " << years;
  return std::vector<std::string>(16, "0");
}

void expectClose(double ours, double theirs, const char* what) {
  EXPECT_LT(std::fabs(ours - theirs), 1e-4 * std::max(std::fabs(theirs), 1e-2))
      << what << ": ours " << ours << ", scipy " << theirs;
}

TEST(ExtremesTest, FitsAndReturnLevelsAgreeWithScipy) {
  TestFolder folder;
  folder.write("maxima.csv", maximaFile({{"heavy", gevSample(5000.0, 400.0, 0.1, 1500, 1)},
                                         {"bounded", gevSample(700.0, 50.0, -0.15, 1500, 2)},
                                         {"gumbel", gevSample(300.0, 20.0, 0.0, 1500, 3)}}));
  ProgramRun ours =
      runCommand(std::string(VELMORA_EXTREMES_PROGRAM) +
                 " --resamples 0 --return-period 75 --return-period 1000 --csv fit.csv maxima.csv");
  ASSERT_EQ(ours.status, 0) << ours.errors;
  ProgramRun scipy = runCommand("/usr/bin/python3 " VELMORA_SOURCE_DIR
                                "/tests/extremes/scipy_fit.py maxima.csv 75 1000");
  ASSERT_EQ(scipy.status, 0) << scipy.errors;
  std::vector<std::string> rows = linesOf(folder.read("fit.csv"));
  std::vector<std::string> theirs = linesOf(scipy.console);
  ASSERT_EQ(theirs.size(), 3u) << scipy.console;
  for (const std::string& line : theirs) {
    std::string effect = line.substr(0, line.find(' '));
    std::vector<double> s = numbersOf(line);  // xi, mu, sigma, gumbel mu, sigma, levels
    std::vector<std::string> gev = fieldsOf(rows, effect + ",gev,", "75");
    std::vector<std::string> gumbel = fieldsOf(rows, effect + ",gumbel,", "75");
    expectClose(std::stod(gev[7]), s[0], "shape");
    expectClose(std::stod(gev[3]), s[1], "location");
    expectClose(std::stod(gev[5]), s[2], "scale");
    expectClose(std::stod(gumbel[3]), s[3], "Gumbel location");
    expectClose(std::stod(gumbel[5]), s[4], "Gumbel scale");
    expectClose(std::stod(gev[13]), s[5], "75-year GEV level");
    expectClose(std::stod(gumbel[13]), s[6], "75-year Gumbel level");
    expectClose(std::stod(fieldsOf(rows, effect + ",gev,", "1000")[13]), s[7], "1000-year GEV");
    expectClose(std::stod(fieldsOf(rows, effect + ",gumbel,", "1000")[13]), s[8],
                "1000-year Gumbel");
  }
}

TEST(ExtremesTest, RecoversAKnownGevWithinItsStandardErrors) {
  for (double shape : {-0.2, 0.0, 0.15}) {
    std::vector<double> sample = gevSample(1000.0, 80.0, shape, 3000, 7);
    ExtremeValueFit fit;
    std::string error;
    ASSERT_TRUE(fitExtremes(sample, ExtremeModel::gev, &fit, &error)) << error;
    EXPECT_LT(std::fabs(fit.location - 1000.0), 2.0 * fit.locationError) << shape;
    EXPECT_LT(std::fabs(fit.scale - 80.0), 2.0 * fit.scaleError) << shape;
    EXPECT_LT(std::fabs(fit.shape - shape), 2.0 * fit.shapeError) << shape;
    EXPECT_LT(fit.kolmogorovSmirnov, 0.03) << shape;
    // The 100-year level of 250 one-day blocks a year, inside its interval, which holds
    // the true level.
    ReturnLevel level = returnLevel(sample, fit, 100.0, 250.0);
    ASSERT_TRUE(level.intervalFound) << shape;
    double y = -std::log1p(-0.01) / 250.0;
    double truth = shape == 0.0 ? 1000.0 - 80.0 * std::log(y)
                                : 1000.0 + 80.0 * (std::pow(y, -shape) - 1.0) / shape;
    EXPECT_LT(level.lower, level.level);
    EXPECT_GT(level.upper, level.level);
    EXPECT_LT(level.lower, truth) << shape;
    EXPECT_GT(level.upper, truth) << shape;
  }
}

TEST(ExtremesTest, RefusesWhatItCannotFit) {
  ExtremeValueFit fit;
  std::string error;
  EXPECT_FALSE(fitExtremes({1.0, 2.0, 3.0}, ExtremeModel::gev, &fit, &error));
  EXPECT_EQ(error, "it has 3 maxima; a fit needs at least 5");
  EXPECT_FALSE(fitExtremes(std::vector<double>(10, 4.0), ExtremeModel::gumbel, &fit, &error));
  EXPECT_EQ(error, "its maxima are all the same");

  TestFolder folder;
  folder.write("gap.csv",
               "effect,day,max,time_s,vehicles_on_bridge,trucks_on_bridge\n"
               "m,1,5,0,1,1\nm,3,6,0,1,1\n");
  folder.write("other.csv", "time_s,day\n1,2\n");
  struct Case {
    const char* arguments;
    const char* says;
  } cases[] = {
      {" gap.csv", "error: gap.csv line 3: day 3 of m does not follow day 1"},
      {" other.csv", "error: other.csv is not a maxima file: its first line is \"time_s,day\""},
      {" missing.csv", "error: cannot read the maxima file missing.csv"},
      {" --block-days 0 gap.csv", "error: --block-days is \"0\"; accepted: a whole number"},
      {" --return-period 1 gap.csv",
       "error: --return-period is \"1\"; accepted: a number of years above 1"},
      {"", "error: velmora-extremes needs at least one maxima file"},
  };
  for (const Case& c : cases) {
    ProgramRun run = runCommand(std::string(VELMORA_EXTREMES_PROGRAM) + c.arguments);
    EXPECT_EQ(run.status, 2) << c.arguments;
    EXPECT_NE(run.errors.find(c.says), std::string::npos) << run.errors;
  }
}

TEST(ExtremesTest, DrawsAReturnLevelChartThatIsValidSvg) {
  TestFolder folder;
  folder.write("maxima.csv", maximaFile({{"moment:30", gevSample(5000.0, 400.0, 0.05, 400, 4)},
                                         {"shear:30", gevSample(700.0, 50.0, 0.0, 400, 5)}}));
  ProgramRun run = runCommand(std::string(VELMORA_EXTREMES_PROGRAM) +
                              " --resamples 0 --block-days 5 --svg chart.svg maxima.csv");
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_NE(run.console.find("moment:30: 80 maxima of 5-day blocks"), std::string::npos)
      << run.console;
  std::string chart = folder.read("chart.svg");
  EXPECT_EQ(runCommand("xmllint --noout chart.svg").status, 0);
  EXPECT_EQ(chart.find("nan"), std::string::npos);
  EXPECT_EQ(chart.find("inf"), std::string::npos);
  EXPECT_NE(chart.find("shear at the left support, simple span of 30 m (shear:30): return levels, "
                       "in the maxima files' unit"),
            std::string::npos);
  EXPECT_NE(chart.find("<polygon"), std::string::npos);  // the confidence band
  EXPECT_NE(chart.find("1000 years"), std::string::npos);
}

}  // namespace

namespace {

// The warnings an engineer must see: too few maxima, a level far beyond the data, an
// interval without a bound, a shape that its standard error swamps.
TEST(ExtremesWarningTest, SaysWhatMakesAFitOrALevelDoubtful) {
  AnalysisSettings settings;
  settings.daysPerYear = 1.0;  // a block a year
  settings.returnYears = {1000.0};
  EffectAnalysis analysis;
  std::string error;
  std::vector<double> few = gevSample(500.0, 100.0, 0.6, 20, 3);
  ASSERT_TRUE(analyse({"shear:40", "kN", few, few, {}, nullptr}, settings, &analysis, &error))
      << error;
  std::vector<std::string> warnings = warningsOf(analysis);
  auto has = [&warnings](const std::string& start) {
    for (const std::string& warning : warnings) {
      if (warning.rfind(start, 0) == 0) {
        return true;
      }
    }
    return false;
  };
  EXPECT_TRUE(
      has("shear:40: the GEV fit rests on 20 block maxima; 50 or more make a fit to rely on"));
  EXPECT_TRUE(has("shear:40: the GEV fit: the 1000-year level ")) << warnings.size();
  const FittedModel& gev = analysis.models.front();
  double largest = *std::max_element(analysis.maxima.begin(), analysis.maxima.end());
  EXPECT_EQ(gev.levelWarnings[0].empty(),
            !(gev.levels[0].level > 1.5 * largest) && gev.levels[0].intervalFound);
  EXPECT_EQ(has("shear:40: the GEV fit: the shape "),
            !(gev.fit.shapeError <= std::fabs(gev.fit.shape)));
  std::ostringstream report;
  writeReport(report, analysis, settings);
  EXPECT_NE(report.str().find("\n  warning: the GEV fit rests on 20 block maxima"),
            std::string::npos);

  EffectAnalysis plenty;
  std::vector<double> many = gevSample(5000.0, 400.0, 0.0, 200, 4);
  ASSERT_TRUE(analyse({"moment:30", "kN·m", many, many, {}, nullptr}, settings, &plenty, &error));
  for (const std::string& warning : warningsOf(plenty)) {
    EXPECT_EQ(warning.find("rests on"), std::string::npos) << warning;
  }
}

}  // namespace

namespace {

// The likelihood-ratio test of the Gumbel fit against the GEV: its statistic from the two
// log-likelihoods of the table, its p-value held to scipy's chi-squared distribution.
TEST(ExtremesLikelihoodRatioTest, AgreesWithTheLogLikelihoodsAndScipy) {
  TestFolder folder;
  folder.write("maxima.csv", maximaFile({{"heavy", gevSample(5000.0, 400.0, 0.25, 300, 7)},
                                         {"light", gevSample(700.0, 50.0, 0.0, 300, 8)}}));
  ProgramRun run =
      runCommand(std::string(VELMORA_EXTREMES_PROGRAM) + " --resamples 0 --csv t.csv maxima.csv");
  ASSERT_EQ(run.status, 0) << run.errors;
  std::vector<std::string> rows = linesOf(folder.read("t.csv"));
  for (const std::string effect : {"heavy", "light"}) {
    double gevLikelihood = std::stod(fieldsOf(rows, effect + ",gev,", "75")[9]);
    double gumbelLikelihood = std::stod(fieldsOf(rows, effect + ",gumbel,", "75")[9]);
    std::size_t at =
        run.console.rfind(effect + ": ", 0) == 0 ? 0 : run.console.find("\n" + effect + ": ");
    ASSERT_NE(at, std::string::npos) << effect;
    const std::string label = "Gumbel against GEV: likelihood-ratio statistic ";
    std::size_t line = run.console.find(label, at);
    ASSERT_NE(line, std::string::npos) << run.console;
    double statistic = 0.0;
    double pValue = 0.0;
    ASSERT_EQ(
        std::sscanf(run.console.c_str() + line + label.size(), "%lf, p %lf", &statistic, &pValue),
        2);
    double fromTable = 2.0 * (gevLikelihood - gumbelLikelihood);
    EXPECT_NEAR(statistic, fromTable, 1e-3) << effect;
    char argument[64];
    std::snprintf(argument, sizeof argument, "%.17g", fromTable);
    ProgramRun scipy = runCommand(
        std::string("/usr/bin/python3 -c \"from scipy.stats import chi2; print(chi2.sf(") +
        argument + ", 1))\"");
    ASSERT_EQ(scipy.status, 0) << scipy.errors;
    expectClose(pValue, std::stod(scipy.console), "p-value");
  }
  EXPECT_NE(run.console.find("the Gumbel fit is rejected at 5 %"), std::string::npos);
  EXPECT_NE(run.console.find("the Gumbel fit is not rejected at 5 %"), std::string::npos);
}

}  // namespace

namespace {

// Long-run levels, read without a model, held to numpy's Weibull quantile and scipy's
// binomial order-statistic interval on the same maxima.
TEST(ExtremesLongRunTest, AgreesWithNumpyAndScipy) {
  TestFolder folder;
  folder.write("maxima.csv", maximaFile({{"moment:30", gevSample(5000.0, 400.0, 0.1, 400, 9)}}));
  ProgramRun run =
      runCommand(std::string(VELMORA_EXTREMES_PROGRAM) +
                 " --resamples 0 --days-per-year 1 --return-period 10 --return-period 100"
                 " --return-period 250 --return-period 1000 --csv t.csv maxima.csv");
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_NE(run.console.find("    1000 years:\n      GEV"), std::string::npos);
  EXPECT_NE(run.console.find("      long-run   not read: the maxima hold 400 years\n"),
            std::string::npos);
  ProgramRun reference =
      runCommand("/usr/bin/python3 " VELMORA_SOURCE_DIR
                 "/tests/extremes/long_run_levels.py maxima.csv 10 100 250 1000");
  ASSERT_EQ(reference.status, 0) << reference.errors;
  std::vector<std::string> rows = linesOf(folder.read("t.csv"));
  std::vector<std::string> expected = linesOf(reference.console);
  ASSERT_EQ(expected.size(), 3u);  // 1000 years is more than the maxima hold
  for (const std::string& line : expected) {
    std::istringstream in(line);
    std::string years;
    std::string level;
    std::string lower;
    std::string upper;
    in >> years >> level >> lower >> upper;
    std::string period = years.substr(0, years.find('.'));
    std::vector<std::string> ours = fieldsOf(rows, "moment:30,long-run,400,", period);
    expectClose(std::stod(ours[13]), std::stod(level), "long-run level");
    if (lower == "nan") {
      EXPECT_EQ(ours[14], "") << period;
    } else {
      expectClose(std::stod(ours[14]), std::stod(lower), "lower bound");
      expectClose(std::stod(ours[15]), std::stod(upper), "upper bound");
    }
  }
}

}  // namespace

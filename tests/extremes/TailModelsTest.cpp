// The peaks-over-threshold and composite models against scipy on the same data, a round
// trip from a known mixture of loading events, the bootstrap's goodness of fit, and event
// maxima files that are refused.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "extremes/ThresholdChoice.h"
#include "support/ProgramRun.h"
#include "support/TestFolder.h"
#include "support/TextLines.h"

namespace {

struct Gev {
  double location, scale, shape;
  double draw(double uniform) const {
    double y = -std::log(uniform);
    return location + scale * (std::pow(y, -shape) - 1.0) / shape;
  }
  double cdf(double x) const {
    double t = 1.0 + shape * (x - location) / scale;
    if (!(t > 0.0)) {
      return shape > 0.0 ? 0.0 : 1.0;
    }
    return std::exp(-std::pow(t, -1.0 / shape));
  }
};

// A known mixture: each class's GEV and the share of days on which it occurs.
struct EventClassTruth {
  Gev gev;
  double occurs;
};

const std::vector<EventClassTruth> mixture = {{{300.0, 20.0, -0.05}, 1.0},
                                              {{600.0, 40.0, -0.1}, 0.9},
                                              {{800.0, 60.0, 0.05}, 0.4},
                                              {{900.0, 50.0, 0.1}, 0.02}};  // merged: too few

// An event maxima file of `days` days of the mixture (classes 0 to 3, 3 meaning 3 or more).
std::string eventFile(int days, unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::ostringstream out;
  out.precision(17);
  out << "effect,day,trucks,max,time_s,unit\n";
  for (int day = 1; day <= days; ++day) {
    for (std::size_t k = 0; k < mixture.size(); ++k) {
      out << "moment:30," << day << ',' << k << ',';
      if (unit(random) < mixture[k].occurs) {
        out << mixture[k].gev.draw(unit(random)) << ",100.000";
      } else {
        out << ',';
      }
      out << ",kN·m\n";
    }
  }
  return out.str();
}

// The CSV row of a model and return period.
std::vector<std::string> rowOf(const std::string& table, const std::string& model,
                               const std::string& years) {
  for (const std::string& row : linesOf(table)) {
    std::vector<std::string> fields = fieldsOf(row);
    if (fields.size() > 13 && fields[1] == model && fields[12] == years) {
      return fields;
    }
  }
  ADD_FAILURE() << "no row " << model << " " << years;
  return std::vector<std::string>(20, "0");
}

std::vector<double> numbersAfterEffect(const std::string& line) {
  std::istringstream in(line);
  std::string effect;
  in >> effect;
  std::vector<double> numbers;
  for (double value; in >> value;) {
    numbers.push_back(value);
  }
  return numbers;
}

void expectClose(double ours, double theirs, const char* what) {
  EXPECT_LT(std::fabs(ours - theirs), 1e-4 * std::max(std::fabs(theirs), 1e-2))
      << what << ": ours " << ours << ", scipy " << theirs;
}

// A maxima file of `days` days, each day a draw of every effect's GEV in turn.
std::string maximaFile(const std::vector<std::pair<std::string, Gev>>& effects, int days,
                       unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::ostringstream maxima;
  maxima.precision(17);
  maxima << "effect,day,max,time_s,vehicles_on_bridge,trucks_on_bridge,unit\n";
  for (int day = 1; day <= days; ++day) {
    for (const auto& effect : effects) {
      maxima << effect.first << ',' << day << ',' << effect.second.draw(unit(random))
             << ",0,1,1,kN\n";
    }
  }
  return maxima.str();
}

ProgramRun extremes(const std::string& arguments) {
  return runCommand(std::string(VELMORA_EXTREMES_PROGRAM) + " " + arguments);
}

ProgramRun reference(const std::string& arguments) {
  return runCommand("/usr/bin/python3 " VELMORA_SOURCE_DIR "/tests/extremes/scipy_tails.py " +
                    arguments);
}

TEST(PeaksOverThresholdTest, FitsAndLevelsAgreeWithScipyGenpareto) {
  TestFolder folder;
  folder.write(
      "maxima.csv",
      maximaFile({{"heavy", {5000.0, 400.0, 0.15}}, {"bounded", {700.0, 50.0, -0.2}}}, 4000, 5));
  ProgramRun ours = extremes(
      "--block-days 10 --threshold-quantile 0.9 --resamples 0 --return-period 75 "
      "--return-period 1000 --csv t.csv maxima.csv");
  ASSERT_EQ(ours.status, 0) << ours.errors;
  ProgramRun scipy = reference("gpd maxima.csv 0.9 250 75 1000");
  ASSERT_EQ(scipy.status, 0) << scipy.errors;
  std::string table = folder.read("t.csv");
  std::vector<std::string> theirs = linesOf(scipy.console);
  ASSERT_EQ(theirs.size(), 2u);
  std::vector<std::string> effects = {"heavy", "bounded"};
  for (std::size_t i = 0; i < 2; ++i) {
    std::vector<double> s = numbersAfterEffect(theirs[i]);  // u, xi, sigma, zeta, levels
    std::string tableOfEffect;
    for (const std::string& row : linesOf(table)) {
      tableOfEffect += row.rfind(effects[i] + ",", 0) == 0 ? row + "\n" : "";
    }
    std::vector<std::string> at75 = rowOf(tableOfEffect, "gpd", "75");
    expectClose(std::stod(at75[3]), s[0], "threshold");
    expectClose(std::stod(at75[7]), s[1], "shape");
    expectClose(std::stod(at75[5]), s[2], "scale");
    EXPECT_EQ(std::stoul(at75[2]), static_cast<unsigned long>(std::lround(s[3] * 4000)));
    expectClose(std::stod(at75[13]), s[4], "75-year level");
    expectClose(std::stod(rowOf(tableOfEffect, "gpd", "1000")[13]), s[5], "1000-year level");
    // The true level lies within the profile-likelihood interval.
    EXPECT_LT(std::stod(at75[14]), std::stod(at75[13]));
    EXPECT_GT(std::stod(at75[15]), std::stod(at75[13]));
  }
}

TEST(PeaksOverThresholdTest, TheDefaultThresholdLeavesFivePercentAndAtLeastFiftyDaysAbove) {
  std::vector<double> days;
  for (int i = 1; i <= 7300; ++i) {
    days.push_back(i);
  }
  EXPECT_EQ(defaultThreshold(days), 7300.0 - 365.0);
  days.resize(400);
  EXPECT_EQ(defaultThreshold(days), 350.0);
  days.resize(60);
  EXPECT_EQ(defaultThreshold(days), 30.0);  // at most half the days
  EXPECT_EQ(thresholdAtQuantile({1.0, 2.0, 3.0, 4.0, 5.0}, 0.9), 4.6);
  std::vector<ThresholdPoint> points =
      thresholdDiagnostics(std::vector<double>(days.begin(), days.end()));
  EXPECT_TRUE(points.empty());  // too few days above the 80 % quantile
}

TEST(CompositeTest, LevelsAgreeWithScipyOnTheSameEventFile) {
  TestFolder folder;
  folder.write("events.csv", eventFile(2000, 3));
  ProgramRun ours = extremes(
      "--block-days 10 --resamples 0 --return-period 75 "
      "--return-period 1000 --csv t.csv events.csv");
  ASSERT_EQ(ours.status, 0) << ours.errors;
  EXPECT_NE(ours.console.find("the class of 3 or more trucks has "), std::string::npos)
      << ours.console;
  EXPECT_NE(ours.console.find("merged into the class of 2 trucks"), std::string::npos);
  EXPECT_NE(ours.console.find("    2 or more trucks: "), std::string::npos);
  ProgramRun scipy = reference("composite events.csv 250 75 1000");
  ASSERT_EQ(scipy.status, 0) << scipy.errors;
  std::vector<double> s = numbersAfterEffect(scipy.console);
  ASSERT_EQ(s.size(), 2u) << scipy.console;
  std::string table = folder.read("t.csv");
  expectClose(std::stod(rowOf(table, "composite", "75")[13]), s[0], "75-year composite level");
  expectClose(std::stod(rowOf(table, "composite", "1000")[13]), s[1], "1000-year composite level");
}

// The 100-year level of the known mixture (classes 2 and 3 merged: the greater of the two,
// whose distribution is the product of theirs where both occur).
double trueMixtureLevel(double years) {
  auto logF = [](double x) {
    double sum = 0.0;
    for (const EventClassTruth& c : mixture) {
      sum += std::log(1.0 - c.occurs + c.occurs * c.gev.cdf(x));
    }
    return sum;
  };
  double target = std::log1p(-1.0 / years) / 250.0;
  double low = 0.0;
  double high = 1e5;
  for (int i = 0; i < 200; ++i) {
    double middle = 0.5 * (low + high);
    (logF(middle) < target ? low : high) = middle;
  }
  return low;
}

TEST(CompositeTest, ARoundTripFromAKnownMixtureHoldsItsLevelWithinTheBootstrapInterval) {
  TestFolder folder;
  folder.write("events.csv", eventFile(2000, 8));
  ProgramRun ours = extremes(
      "--block-days 10 --resamples 100 --return-period 100 --csv t.csv "
      "events.csv");
  ASSERT_EQ(ours.status, 0) << ours.errors;
  std::vector<std::string> row = rowOf(folder.read("t.csv"), "composite", "100");
  double truth = trueMixtureLevel(100.0);
  EXPECT_LT(std::stod(row[14]), truth) << ours.console;
  EXPECT_GT(std::stod(row[15]), truth) << ours.console;
  EXPECT_NE(ours.console.find("(bootstrap of 100 resamples)"), std::string::npos);
  // The same seed gives the same table, byte for byte.
  ProgramRun again = extremes(
      "--block-days 10 --resamples 100 --return-period 100 "
      "--csv again.csv events.csv");
  ASSERT_EQ(again.status, 0) << again.errors;
  EXPECT_EQ(folder.read("again.csv"), folder.read("t.csv"));
}

TEST(CompositeTest, AClassThatNeverVariesIsAStepAndLeavesTheOtherClassesLevel) {
  // A road of trucks only: with no truck on the bridge it carries nothing.
  TestFolder folder;
  std::mt19937 random(4);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::ostringstream events;
  events.precision(17);
  events << "effect,day,trucks,max,time_s,unit\n";
  for (int day = 1; day <= 500; ++day) {
    events << "m," << day << ",0,0.000,1.000,kN\nm," << day << ",1,"
           << Gev{600.0, 40.0, -0.1}.draw(unit(random)) << ",2.000,kN\n";
  }
  folder.write("events.csv", events.str());
  ProgramRun run = extremes("--resamples 0 --csv t.csv events.csv");
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_NE(run.console.find("    0 trucks: 500 days with a value (q 0), every one 0\n"),
            std::string::npos)
      << run.console;
  std::string table = folder.read("t.csv");
  for (const char* years : {"75", "1000"}) {
    double composite = std::stod(rowOf(table, "composite", years)[13]);
    double gev = std::stod(rowOf(table, "gev", years)[13]);  // of the same daily values
    EXPECT_NEAR(composite, gev, 1e-6 * gev) << years;
  }
}

TEST(GoodnessOfFitTest, TheBootstrapRejectsAGumbelFitOfAHeavyTailAndPassesTheGev) {
  TestFolder folder;
  folder.write("maxima.csv", maximaFile({{"m", {1000.0, 100.0, 0.3}}}, 2000, 21));
  ProgramRun run = extremes("--block-days 10 --csv t.csv maxima.csv");
  ASSERT_EQ(run.status, 0) << run.errors;
  std::string table = folder.read("t.csv");
  EXPECT_LT(std::stod(rowOf(table, "gumbel", "75")[16]), 0.05);
  EXPECT_EQ(rowOf(table, "gumbel", "75")[17], "no");
  EXPECT_GT(std::stod(rowOf(table, "gev", "75")[16]), 0.05);
  EXPECT_EQ(rowOf(table, "gev", "75")[17], "yes");
  EXPECT_NE(run.errors.find("warning: m: the Gumbel fit fails its goodness-of-fit test"),
            std::string::npos)
      << run.errors;
}

TEST(EventMaximaFileTest, RefusesFilesThatAreNotWholeEventMaxima) {
  TestFolder folder;
  const std::string header = "effect,day,trucks,max,time_s,unit\n";
  folder.write("skipped.csv", header + "m,1,0,5,1,kN\nm,1,2,6,1,kN\n");
  folder.write("short.csv", header + "m,1,0,5,1,kN\nm,1,1,6,1,kN\nm,2,0,5,1,kN\n");
  folder.write("units.csv", header + "m,1,0,5,1,kN\nm,1,1,6,1,kN·m\n");
  folder.write("cut.csv", header + "m,1,0,5,1,kN\nm,1,1,6,1,k");
  folder.write("maxima.csv",
               "effect,day,max,time_s,vehicles_on_bridge,trucks_on_bridge,unit\n"
               "m,1,7,1,1,1,kN\n");
  folder.write("day.csv", header + "m,1,0,5,1,kN\nm,1,1,6,1,kN\n");
  folder.write("empty.csv", header + "m,1,0,5,1,kN\nm,1,1,6,1,kN\nm,2,0,,,kN\nm,2,1,,,kN\n");
  struct Case {
    const char* arguments;
    const char* says;
  } cases[] = {
      {"skipped.csv",
       "error: skipped.csv line 3: day 1, 2 trucks of m does not follow day 1, 0 "
       "trucks"},
      {"short.csv", "error: short.csv does not give every effect of the first file"},
      {"units.csv", "error: units.csv line 3 gives m in kN·m and the rows before in kN"},
      {"cut.csv", "error: cut.csv line 3 is \"m,1,1,6,1,k\", cut short without its line end"},
      {"empty.csv", "error: empty.csv: day 2 of m has no value in any class"},
      {"maxima.csv --composite day.csv",
       "error: the event maxima of m are not of the maxima files' days"},
  };
  for (const Case& c : cases) {
    ProgramRun run = extremes(c.arguments);
    EXPECT_EQ(run.status, 2) << c.arguments;
    EXPECT_NE(run.errors.find(c.says), std::string::npos) << run.errors;
  }
}

}  // namespace

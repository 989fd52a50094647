// Rainflow counting against the standard's worked example and hand counts, the S-N curve
// and Miner sums against hand calculations, and the exact count of a generated day against
// a brute-force count of its densely sampled history.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "load/EffectFatigue.h"
#include "load/FatigueTally.h"
#include "load/LoadEffectEngine.h"
#include "load/RainflowCounter.h"
#include "record/RecordStream.h"
#include "support/ProgramRun.h"
#include "support/TestFolder.h"

namespace {

// Counted cycles by range: the cycles of each range, half cycles as 0.5.
struct CycleList {
  std::map<double, double> byRange;
  void count(double range, double cycles) { byRange[range] += cycles; }
};

CycleList countOf(const std::vector<double>& history, double gate = 0.0) {
  RainflowCounter counter(gate);
  CycleList cycles;
  for (double value : history) {
    counter.add(value, cycles);
  }
  counter.finish(cycles);
  return cycles;
}

TEST(RainflowTest, CountsTheStandardsWorkedExample) {
  // ASTM E1049-85, the rainflow example: ranges 3 (half), 4 (one and a half), 6 (half),
  // 8 (one) and 9 (half).
  CycleList cycles = countOf({-2, 1, -3, 5, -1, 3, -4, 4, -2});
  std::map<double, double> expected = {{3, 0.5}, {4, 1.5}, {6, 0.5}, {8, 1.0}, {9, 0.5}};
  EXPECT_EQ(cycles.byRange, expected);
}

TEST(RainflowTest, PointsThatAreNoReversalsChangeNothing) {
  // Plateaus, points on the way and repeated values are the same history as its reversals.
  std::vector<double> reversals = {0, 7, 2, 9, -4, 3, 3.5, -1, 0};
  std::vector<double> padded = {0, 0,  3,  7, 7, 7,   5, 2,  2,  4,    9, 9,
                                1, -4, -4, 3, 3, 3.5, 2, -1, -1, -0.5, 0, 0};
  EXPECT_EQ(countOf(padded).byRange, countOf(reversals).byRange);
  // A single rise and fall: one cycle, as two half cycles of the same range.
  EXPECT_EQ(countOf({0, 1, 2, 5, 5, 3, 0}).byRange, (std::map<double, double>{{5, 1.0}}));
  // A monotone run, or a level one, holds no cycle but its one half cycle, or nothing.
  EXPECT_EQ(countOf({0, 1, 2, 3, 4}).byRange, (std::map<double, double>{{4, 0.5}}));
  EXPECT_TRUE(countOf({2, 2, 2}).byRange.empty());
}

TEST(RainflowTest, TheGateDropsSmallTurnsAndKeepsTheLargeCycles) {
  // Large cycles of 100 with ripples of 0.5 on the way.
  std::vector<double> rippled;
  std::vector<double> clean;
  for (int cycle = 0; cycle < 50; ++cycle) {
    for (double v : {0.0, 40.0, 39.5, 70.0, 69.6, 100.0, 60.0, 60.4, 0.0}) {
      rippled.push_back(v);
    }
    for (double v : {0.0, 100.0, 0.0}) {
      clean.push_back(v);
    }
  }
  EXPECT_EQ(countOf(rippled, 1.0).byRange, countOf(clean).byRange);
  EXPECT_GT(countOf(rippled, 0.0).byRange.size(), 1u);
  // The gate keeps a turn of exactly its size, and filters the first and last moves too.
  EXPECT_EQ(countOf({0, 10, 9, 10, 0}, 1.0).byRange,
            (std::map<double, double>{{1, 1.0}, {10, 1.0}}));
  EXPECT_EQ(countOf({0, 0.5, -10, 0, -0.5}, 1.0).byRange, (std::map<double, double>{{10, 1.0}}));
}

TEST(RainflowTest, TheOpenStackStaysSmallOverALongHistory) {
  // A million random reversals between -1000 and 1000 on a grid of 1: no more open
  // reversals than grid values, however long the history.
  RainflowCounter counter;
  CycleList cycles;
  unsigned state = 12345;
  std::size_t mostOpen = 0;
  for (int i = 0; i < 1000000; ++i) {
    state = state * 1103515245u + 12345u;
    counter.add(static_cast<double>(static_cast<int>((state >> 8) % 2001) - 1000), cycles);
    mostOpen = std::max(mostOpen, counter.openCount());
  }
  EXPECT_LE(mostOpen, 2002u);
  EXPECT_LT(mostOpen, 40u);  // in practice the open ranges are few
}

TEST(SnCurveTest, MeetsHandCalculationsAtTheKneesAndAcrossTheCutOff) {
  SnCurve c71(71.0, 1.0);
  EXPECT_NEAR(c71.constantAmplitudeLimit, 71.0 * std::cbrt(0.4), 1e-12);  // 52.3 MPa
  EXPECT_NEAR(c71.constantAmplitudeLimit / 71.0, 0.737, 5e-4);
  EXPECT_NEAR(c71.cutOffLimit / 71.0, 0.404, 1e-3);  // 28.7 MPa
  // 2e6 cycles at delta_c, 5e6 at delta_d and 1e8 at delta_l each make a Miner sum of 1.
  EXPECT_NEAR(c71.damage(71.0, 2e6), 1.0, 1e-12);
  EXPECT_NEAR(c71.damage(c71.constantAmplitudeLimit, 5e6), 1.0, 1e-12);
  EXPECT_NEAR(c71.damage(c71.constantAmplitudeLimit * (1 - 1e-12), 5e6), 1.0, 1e-9);
  EXPECT_NEAR(c71.damage(c71.cutOffLimit, 1e8), 1.0, 1e-12);
  EXPECT_EQ(c71.damage(c71.cutOffLimit * (1 - 1e-12), 1e8), 0.0);
  // 100 MPa: N = 2e6 (71 / 100)^3 = 715,822; 40 MPa: N = 5e6 (52.31 / 40)^5.
  EXPECT_NEAR(c71.damage(100.0, 1000.0), 1000.0 / (2e6 * std::pow(0.71, 3)), 1e-15);
  double dd = 71.0 * std::cbrt(0.4);
  EXPECT_NEAR(c71.damage(40.0, 1000.0), 1000.0 / (5e6 * std::pow(dd / 40.0, 5)), 1e-15);
  // The partial factor of strength divides the resistance.
  SnCurve factored(71.0, 1.35);
  EXPECT_NEAR(factored.damage(71.0 / 1.35, 2e6), 1.0, 1e-12);
  // The equivalent range: 2e6 cycles of it make the same sum on the slope of 3.
  EXPECT_NEAR(c71.equivalentRange(1.0, 1.0), 71.0, 1e-12);
  EXPECT_NEAR(c71.equivalentRange(0.125, 1.0), 35.5, 1e-12);
  EXPECT_NEAR(factored.equivalentRange(1.0, 1.2), 71.0 / 1.35 / 1.2, 1e-12);
}

TEST(FatigueTallyTest, BinsHalfCyclesAndSumsDamageOverExactRanges) {
  FatigueOfEffect settings;
  settings.binWidth = 10.0;
  settings.stressPerUnit = 0.5;  // MPa per unit
  settings.gammaFf = 1.0;
  settings.curves = {SnCurve(71.0, 1.0), SnCurve(36.0, 1.0)};
  FatigueTally tally(settings);
  tally.count(200.0, 1.0);  // 100 MPa
  tally.count(209.9, 0.5);  // the same bin
  tally.count(60.0, 1.0);   // 30 MPa: above the cut-offs of 71 (28.7 MPa) and 36 (14.6 MPa)
  tally.count(0.0, 0.5);
  tally.count(3e6, 1.0);  // far beyond the dense bins
  auto bins = tally.spectrum();
  ASSERT_EQ(bins.size(), 4u);
  EXPECT_EQ(bins[0], (std::pair<std::int64_t, double>{0, 0.5}));
  EXPECT_EQ(bins[1], (std::pair<std::int64_t, double>{6, 1.0}));
  EXPECT_EQ(bins[2], (std::pair<std::int64_t, double>{20, 1.5}));
  EXPECT_EQ(bins[3], (std::pair<std::int64_t, double>{300000, 1.0}));
  // Category 71: 30 MPa is above its cut-off of 28.7, on the slope of 5.
  SnCurve c71(71.0, 1.0);
  double expected71 = c71.damage(100.0, 1.0) + c71.damage(104.95, 0.5) + c71.damage(30.0, 1.0) +
                      c71.damage(1.5e6, 1.0);
  EXPECT_DOUBLE_EQ(tally.damage()[0], expected71);
  EXPECT_EQ(tally.damagingCycles()[0], 3.5);
  EXPECT_EQ(tally.damagingCycles()[1], 3.5);
}

// The damage of a constant-amplitude history of `cycles` cycles from 0 to `range` and back,
// counted and summed as the engine does, with 0.5 MPa per unit on category 71.
double constantAmplitudeDamage(double range, int cycles) {
  FatigueOfEffect settings;
  settings.stressPerUnit = 0.5;
  settings.curves = {SnCurve(71.0, 1.0)};
  FatigueTally tally(settings);
  RainflowCounter counter;
  counter.add(0.0, tally);
  for (int i = 0; i < cycles; ++i) {
    counter.add(range, tally);
    counter.add(0.0, tally);
  }
  counter.finish(tally);
  return tally.damage()[0];
}

// A range that is a whole number of bins, reached through sums with rounding, lands in the
// bin it starts, not the one below; ranges truly below an edge stay below it.
TEST(FatigueTallyTest, ExactRangesLandInTheBinTheyStart) {
  EXPECT_EQ(0.7 / 0.1 < 7.0, true);  // the quotient falls a hair short of the edge
  EXPECT_EQ(FatigueTally::binOf(0.7, 0.1), 7);
  EXPECT_EQ(FatigueTally::binOf(0.1 * 3.0, 0.1), 3);
  EXPECT_EQ(FatigueTally::binOf(3.0 - 1e-9, 1.0), 2);
  EXPECT_EQ(FatigueTally::binOf(2.5, 1.0), 2);
  EXPECT_EQ(FatigueTally::binOf(0.0, 1.0), 0);
  double sum = 0.0;
  for (int i = 0; i < 10; ++i) {
    sum += 0.1;  // 0.9999999999999999
  }
  EXPECT_EQ(FatigueTally::binOf(sum, 1.0), 1);
}

TEST(FatigueTallyTest, ConstantAmplitudeHistoriesMeetHandCalculations) {
  // 142 units are delta_c (71 MPa): 1000 cycles of 2e6 make 1/2000.
  EXPECT_NEAR(constantAmplitudeDamage(142.0, 1000), 1000.0 / 2e6, 1e-15);
  // At delta_d = 52.31 MPa both slopes give 5e6 cycles.
  double knee = 71.0 * std::cbrt(0.4) / 0.5;
  EXPECT_NEAR(constantAmplitudeDamage(knee, 1000), 1000.0 / 5e6, 1e-15);
  // Between the knees, 40 MPa: N = 5e6 (52.31 / 40)^5 = 1.911e7.
  EXPECT_NEAR(constantAmplitudeDamage(80.0, 1000), 1000.0 / (5e6 * std::pow(knee / 80.0, 5)),
              1e-15);
  // Across the cut-off delta_l = 28.74 MPa: 1e8 cycles at it, nothing just below.
  double cutOff = knee * std::pow(0.05, 0.2);
  EXPECT_NEAR(constantAmplitudeDamage(cutOff * 1.0000001, 1000), 1000.0 / 1e8, 1e-11);
  EXPECT_EQ(constantAmplitudeDamage(cutOff * 0.9999999, 1000), 0.0);
}

TEST(FatigueOptionsTest, DefaultBinsSuitTheLine) {
  EXPECT_EQ(effect_fatigue::defaultBinWidth(InfluenceLine::simpleSpanMoment(20.0, 10.0)), 5.0);
  EXPECT_EQ(effect_fatigue::defaultBinWidth(InfluenceLine::simpleSpanMoment(30.0, 15.0)), 5.0);
  EXPECT_EQ(effect_fatigue::defaultBinWidth(InfluenceLine::simpleSpanMoment(40.0, 20.0)), 10.0);
  EXPECT_EQ(effect_fatigue::defaultBinWidth(InfluenceLine::simpleSpanShear(30.0)), 1.0);
  // Two spans of 30 m: the greatest hogging ordinate is 30 / (6 sqrt 3) = 2.89.
  EXPECT_EQ(effect_fatigue::defaultBinWidth(InfluenceLine::twoSpanHogging(30.0)), 2.0);
}

}  // namespace

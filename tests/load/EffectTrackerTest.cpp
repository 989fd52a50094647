// The tracker's daily maximum against closed forms for single vehicles, and against a
// brute-force evaluation on a fine time grid for many vehicles on several lanes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "load/EffectTracker.h"
#include "load/InfluenceLine.h"

namespace {

// A vehicle stamped at `seconds` (whole hundredths) with axle loads and spacings (dm).
LoadedVehicle vehicleAt(double seconds, double speed, int direction,
                        const std::vector<double>& loads, const std::vector<double>& spacings) {
  LoadedVehicle vehicle;
  vehicle.stampHundredths = std::llround(seconds * 100);
  vehicle.speed = speed;
  vehicle.direction = direction;
  vehicle.isTruck = loads.size() > 2;
  vehicle.axleCount = static_cast<int>(loads.size());
  double offset = 0.0;
  for (std::size_t i = 0; i < loads.size(); ++i) {
    vehicle.axleLoads[i] = loads[i];
    vehicle.axleOffsetsDm[i] = offset;
    offset += i < spacings.size() ? spacings[i] : 0.0;
  }
  return vehicle;
}

DailyMaximum firstDay(const InfluenceLine& line, const std::vector<LoadedVehicle>& vehicles) {
  EffectTracker tracker({line});
  for (const LoadedVehicle& vehicle : vehicles) {
    tracker.add(vehicle);
  }
  return tracker.closeDay()[0];
}

TEST(EffectTrackerTest, MeetsTheClosedFormsOfSingleVehicles) {
  const double p = 100.0;
  const double span = 30.0;
  // One axle at mid-span: P L / 4, reached 15 m after entry at 25 m/s.
  DailyMaximum single = firstDay(InfluenceLine::simpleSpanMoment(span, span / 2),
                                 {vehicleAt(1000.0, 250.0, 1, {p}, {})});
  EXPECT_NEAR(single.value, p * span / 4, 1e-9);
  EXPECT_NEAR(single.timeOfDay, 1000.6, 1e-9);
  EXPECT_EQ(single.vehicles, 1);
  // Two axles s apart, either direction: P (L - s) / 2 at mid-span.
  for (int direction : {1, 2}) {
    DailyMaximum pair = firstDay(InfluenceLine::simpleSpanMoment(span, span / 2),
                                 {vehicleAt(50.0, 200.0, direction, {p, p}, {40.0})});
    EXPECT_NEAR(pair.value, p * (span - 4.0) / 2, 1e-9) << direction;
  }
  // Off mid-span: a (L - a) / L P.
  EXPECT_NEAR(
      firstDay(InfluenceLine::simpleSpanMoment(span, 10.0), {vehicleAt(0.5, 300.0, 2, {p}, {})})
          .value,
      10.0 * 20.0 / span * p, 1e-9);
}

TEST(EffectTrackerTest, TheReactionEqualsTheLoadAtTheSupportFromEitherSide) {
  // Direction 1 enters at the support (the value just after entry); direction 2 leaves
  // there (the value just before it leaves, 30 m later at 20 m/s).
  DailyMaximum entering =
      firstDay(InfluenceLine::simpleSpanShear(30.0), {vehicleAt(10.0, 200.0, 1, {80.0}, {})});
  EXPECT_DOUBLE_EQ(entering.value, 80.0);
  EXPECT_DOUBLE_EQ(entering.timeOfDay, 10.0);
  DailyMaximum leaving =
      firstDay(InfluenceLine::simpleSpanShear(30.0), {vehicleAt(10.0, 200.0, 2, {80.0}, {})});
  EXPECT_NEAR(leaving.value, 80.0, 1e-12);
  EXPECT_DOUBLE_EQ(leaving.timeOfDay, 11.5);
}

TEST(EffectTrackerTest, TheHoggingPeakIsFoundBetweenBreaks) {
  // 0.0962 P L with the load at L / sqrt(3) of either span: P L / (6 sqrt 3) exactly.
  const double span = 20.0;
  for (int direction : {1, 2}) {
    DailyMaximum peak = firstDay(InfluenceLine::twoSpanHogging(span),
                                 {vehicleAt(100.0, 250.0, direction, {50.0}, {})});
    EXPECT_NEAR(peak.value, 50.0 * span / (6.0 * std::sqrt(3.0)), 1e-9) << direction;
    // The two spans' peaks are equal: either may be reported, 0.46 s or 1.14 s after entry.
    double first = 100.0 + span / std::sqrt(3.0) / 25.0;
    double second = 100.0 + (2.0 * span - span / std::sqrt(3.0)) / 25.0;
    EXPECT_LT(std::min(std::abs(peak.timeOfDay - first), std::abs(peak.timeOfDay - second)), 1e-9)
        << direction;
  }
}

TEST(EffectTrackerTest, TheEffectCarriesOverMidnightIntoTheNextDay) {
  EffectTracker tracker({InfluenceLine::simpleSpanMoment(30.0, 15.0)});
  // Enters 1 s before midnight at 1 m/s: 1 m on at midnight, mid-span 14 s into day 2.
  tracker.add(vehicleAt(86399.0, 10.0, 1, {100.0}, {}));
  DailyMaximum first = tracker.closeDay()[0];
  EXPECT_NEAR(first.value, 50.0, 1e-9);
  EXPECT_DOUBLE_EQ(first.timeOfDay, 86400.0);
  DailyMaximum second = tracker.closeDay()[0];
  EXPECT_NEAR(second.value, 750.0, 1e-9);
  EXPECT_NEAR(second.timeOfDay, 14.0, 1e-9);
  DailyMaximum empty = tracker.closeDay()[0];
  EXPECT_EQ(empty.value, 0.0);
  EXPECT_EQ(empty.vehicles, 0);
}

// The effect at time t by summing every axle's load times the ordinate at its position.
double effectAt(const InfluenceLine& line, const std::vector<LoadedVehicle>& vehicles, double t) {
  double sum = 0.0;
  for (const LoadedVehicle& vehicle : vehicles) {
    double entry = static_cast<double>(vehicle.stampHundredths) / 100.0;
    for (int axle = 0; axle < vehicle.axleCount; ++axle) {
      double travelled = ((t - entry) * vehicle.speed - vehicle.axleOffsetsDm[axle]) / 10.0;
      if (travelled < 0.0 || travelled > line.length()) {
        continue;
      }
      double x = vehicle.direction == 1 ? travelled : line.length() - travelled;
      sum += vehicle.axleLoads[axle] * line.ordinateAt(x);
    }
  }
  return sum;
}

// Random traffic in both directions over two minutes, in stamp order.
std::vector<LoadedVehicle> randomTraffic(unsigned seed) {
  std::mt19937 random(seed);
  std::uniform_real_distribution<double> unit(0.0, 1.0);
  std::vector<LoadedVehicle> vehicles;
  double time = 20.0;
  while (time < 140.0) {
    time += std::floor(unit(random) * 300.0) / 100.0;
    int axles = 1 + static_cast<int>(unit(random) * 5);
    std::vector<double> loads;
    std::vector<double> spacings;
    for (int i = 0; i < axles; ++i) {
      loads.push_back(std::floor(10.0 + unit(random) * 90.0));
      spacings.push_back(std::floor(10.0 + unit(random) * 140.0));
    }
    vehicles.push_back(vehicleAt(time, std::floor(50.0 + unit(random) * 250.0),
                                 1 + static_cast<int>(unit(random) * 2), loads, spacings));
  }
  return vehicles;
}

InfluenceLine pointLine(const std::vector<InfluencePoint>& points) {
  InfluenceLine line;
  std::string error;
  EXPECT_TRUE(InfluenceLine::fromPoints(points, &line, &error)) << error;
  return line;
}

TEST(EffectTrackerTest, BoundsAndApproachesABruteForceOnAFineGrid) {
  const std::vector<InfluenceLine> lines = {
      InfluenceLine::simpleSpanMoment(30.0, 15.0), InfluenceLine::simpleSpanMoment(45.0, 8.0),
      InfluenceLine::simpleSpanShear(25.0), InfluenceLine::twoSpanHogging(15.0),
      // jumps, a negative stretch and a vertex that is no support
      pointLine({{0.0, 0.0}, {5.0, 2.0}, {5.0, -1.0}, {12.0, 0.5}, {20.0, 1.5}, {20.0, 0.0}})};
  for (unsigned seed : {1u, 2u}) {
    std::vector<LoadedVehicle> vehicles = randomTraffic(seed);
    for (std::size_t i = 0; i < lines.size(); ++i) {
      DailyMaximum exact = firstDay(lines[i], vehicles);
      double grid = 0.0;
      for (double t = 0.0; t < 200.0; t += 0.001) {
        grid = std::max(grid, effectAt(lines[i], vehicles, t));
      }
      EXPECT_GE(exact.value, grid - 1e-9) << "line " << i << " seed " << seed;
      EXPECT_LE(exact.value, grid * 1.005) << "line " << i << " seed " << seed;
      // The effect at the reported time (or just either side of it, at a jump) is the maximum.
      double at = std::max({effectAt(lines[i], vehicles, exact.timeOfDay),
                            effectAt(lines[i], vehicles, exact.timeOfDay - 1e-7),
                            effectAt(lines[i], vehicles, exact.timeOfDay + 1e-7)});
      EXPECT_NEAR(at, exact.value, exact.value * 1e-4) << "line " << i << " seed " << seed;
    }
  }
}

// Trucks with an axle on the bridge at time t.
int trucksAt(const InfluenceLine& line, const std::vector<LoadedVehicle>& vehicles, double t) {
  int trucks = 0;
  for (const LoadedVehicle& vehicle : vehicles) {
    double travelled = (t - static_cast<double>(vehicle.stampHundredths) / 100.0) * vehicle.speed;
    double last = vehicle.axleOffsetsDm[static_cast<std::size_t>(vehicle.axleCount - 1)];
    if (vehicle.isTruck && travelled > 0.0 && travelled - last < line.length() * 10.0) {
      ++trucks;
    }
  }
  return trucks;
}

// Each line's event maxima for the traffic against the grid, and their greatest against the
// day's maximum.
void expectEventMaxima(const std::vector<InfluenceLine>& lines,
                       const std::vector<LoadedVehicle>& vehicles, int topClass) {
  EffectTracker tracker(lines, topClass);
  for (const LoadedVehicle& vehicle : vehicles) {
    tracker.add(vehicle);
  }
  std::vector<DailyMaximum> day = tracker.closeDay();
  for (std::size_t i = 0; i < lines.size(); ++i) {
    std::vector<double> grid(static_cast<std::size_t>(topClass) + 1, -1.0);
    for (double t = 0.0; t < 200.0; t += 0.001) {
      auto k = static_cast<std::size_t>(std::min(trucksAt(lines[i], vehicles, t), topClass));
      grid[k] = std::max(grid[k], effectAt(lines[i], vehicles, t));
    }
    double greatest = -1.0;
    for (int k = 0; k <= topClass; ++k) {
      double event = tracker.lastClosedEvent(i, k).value;
      double expected = grid[static_cast<std::size_t>(k)];
      ASSERT_GE(expected, 0.0) << "line " << i << " class " << k;
      EXPECT_GE(event, expected - 1e-9) << "line " << i << " class " << k;
      EXPECT_LE(event, expected * 1.005 + 1e-9) << "line " << i << " class " << k;
      greatest = std::max(greatest, event);
    }
    EXPECT_EQ(greatest, day[i].value) << "line " << i;
  }
  // A day with no truck at all: only the class of none has a value.
  EXPECT_EQ(tracker.closeDay()[0].value, 0.0);
  EXPECT_EQ(tracker.lastClosedEvent(0, 0).value, 0.0);
  EXPECT_TRUE(std::isinf(tracker.lastClosedEvent(0, 1).value));
}

TEST(EffectTrackerTest, EventMaximaByTrucksOnTheBridgeMatchABruteForceAndMakeTheDaysMaximum) {
  std::vector<LoadedVehicle> vehicles = randomTraffic(3);
  expectEventMaxima(
      {InfluenceLine::simpleSpanMoment(30.0, 15.0), InfluenceLine::simpleSpanShear(30.0)}, vehicles,
      2);
  expectEventMaxima({InfluenceLine::twoSpanHogging(15.0)}, vehicles, 2);  // curved
}

TEST(EffectTrackerTest, ALineOfManyVerticesGivesWhatItsFewVerticesGive) {
  // The reaction line of a 200 m span drawn with 2000 points on it, against the line itself.
  std::vector<InfluencePoint> points;
  for (int i = 0; i <= 2000; ++i) {
    points.push_back({i * 0.1, 1.0 - i * 0.1 / 200.0});
  }
  std::vector<LoadedVehicle> slow;
  for (int i = 0; i < 40; ++i) {
    slow.push_back(
        vehicleAt(10.0 + 4.0 * i, 30.0 + i, 1 + i % 2, {40.0, 60.0, 60.0}, {35.0, 13.0}));
  }
  DailyMaximum fine = firstDay(pointLine(points), slow);
  DailyMaximum plain = firstDay(InfluenceLine::simpleSpanShear(200.0), slow);
  EXPECT_NEAR(fine.value, plain.value, plain.value * 1e-9);
  EXPECT_NEAR(fine.timeOfDay, plain.timeOfDay, 1e-6);
  EXPECT_EQ(fine.vehicles, plain.vehicles);
}

}  // namespace

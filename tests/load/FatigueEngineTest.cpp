// The fatigue count of the load-effect engine: hand counts of single trucks, a history
// that days do not break, vehicles past the days left out, and the exact count of a
// generated day against a brute-force count of its densely sampled history.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "base/text/CsvReader.h"
#include "load/LoadEffectEngine.h"
#include "options/LoadOptions.h"
#include "record/RecordStream.h"
#include "support/ProgramRun.h"
#include "support/TestFolder.h"
#include "support/TestRecords.h"

namespace {

struct FatigueRun {
  std::string spectra;
  std::string damage;
};

LoadSettings settingsOf(const std::vector<std::string>& options) {
  LoadSettings settings;
  std::string error;
  for (std::size_t i = 0; i + 1 < options.size(); i += 2) {
    EXPECT_TRUE(load_options::takeOption(options[i], options[i + 1], &settings, &error)) << error;
  }
  return settings;
}

FatigueRun countOf(const LoadSettings& settings, const std::vector<RecordValues>& records,
                   int days) {
  std::ostringstream maxima;
  std::ostringstream spectra;
  std::ostringstream damage;
  LoadEffectEngine engine(settings, maxima, nullptr, {&spectra, &damage});
  std::string error;
  for (const RecordValues& record : records) {
    EXPECT_TRUE(engine.add(record, &error)) << error;
  }
  engine.finish(days);
  return {spectra.str(), damage.str()};
}

const std::vector<std::string> moment20 = {
    "--effect",          "moment:20", "--range-bin",       "1",
    "--detail-category", "71",        "--stress-per-unit", "moment:20=0.1"};

TEST(FatigueEngineTest, SeparateTrucksMakeOneFullCycleEachOfTheirPeak) {
  // Ten single-axle trucks of 400 units, one a minute: ten cycles of P L / 4 = 2000 units·m,
  // 200 MPa at 0.1 MPa per unit: 10 / (2e6 (71 / 200)^3) = 1.1176e-4, and 71 D^(1/3) = 3.420.
  std::vector<RecordValues> records;
  for (int i = 0; i < 10; ++i) {
    records.push_back(recordAt(6000 * (i + 1), 1, 1 + i % 2, 200, {400}, {}));
  }
  FatigueRun run = countOf(settingsOf(moment20), records, 1);
  EXPECT_EQ(run.spectra,
            "effect,range_from,range_to,cycles,unit\n"
            "moment:20,2000,2001,10.0,site weight unit·m\n");
  EXPECT_EQ(run.damage,
            "effect,detail_category,cycles,damage,equivalent_range_mpa\n"
            "moment:20,71,10.0,0.0001117596274,3.420\n");
}

TEST(FatigueEngineTest, DaysDoNotBreakTheHistoryAndLaterVehiclesAreLeftOut) {
  // Two trucks on the bridge together across midnight count as at noon: one cycle of their
  // joint peak, none of each alone.
  auto pair = [](long long start) {
    return std::vector<RecordValues>{recordAt(start, 1, 1, 200, {300}, {}),
                                     recordAt(start + 20, 2, 2, 200, {300}, {})};
  };
  LoadSettings settings = settingsOf(moment20);
  FatigueRun noon = countOf(settings, pair(4320000 - 50), 2);
  FatigueRun midnight = countOf(settings, pair(8640000 - 50), 2);
  EXPECT_EQ(noon.spectra, midnight.spectra);
  EXPECT_EQ(noon.damage, midnight.damage);
  // A vehicle on a day past those reported is no part of the history.
  std::vector<RecordValues> withLater = pair(4320000 - 50);
  withLater.push_back(recordAt(8640000 + 500, 1, 1, 200, {900}, {}));
  FatigueRun cut = countOf(settings, withLater, 1);
  EXPECT_EQ(cut.spectra, countOf(settings, pair(4320000 - 50), 1).spectra);
}

// The records of the first day of a seeded run of the sample.
std::vector<RecordValues> sampleDay(TestFolder& folder) {
  folder.copyFrom(VELMORA_SAMPLE_DIR);
  ProgramRun run = runCommand(std::string(VELMORA_PROGRAM) + " --seed 11 --format csv");
  EXPECT_EQ(run.status, 0) << run.errors;
  std::ifstream in(folder.path() + "/TrafOut.txt");
  RecordStream stream(in);
  std::vector<RecordValues> records;
  RecordValues record;
  std::string why;
  while (stream.next(&record, &why) == RecordStream::Outcome::record) {
    if (record.stampHundredths() < 8640000) {
      records.push_back(record);
    }
  }
  return records;
}

// A line written out on its own, apart from the engine's, for the brute force.
struct BruteForceLine {
  const char* effect;  // as --effect names it
  double length;       // m
  double (*ordinate)(double x, double length);
  const char* stressPerUnit;  // MPa per unit
};

double midSpanMoment(double x, double span) {
  return x <= span / 2 ? x / 2 : (span - x) / 2;
}

// Two spans of length / 2: x (L^2 - x^2) / (4 L^2) over the first, mirrored on the second.
double twoSpanHogging(double x, double length) {
  double span = length / 2;
  double d = x <= span ? x : length - x;
  return d * (span * span - d * d) / (4 * span * span);
}

// The effect at time t, summed axle by axle.
double effectAt(const std::vector<RecordValues>& onBridge, const BruteForceLine& line, double t) {
  double sum = 0.0;
  for (const RecordValues& vehicle : onBridge) {
    double entry = static_cast<double>(vehicle.stampHundredths()) / 100.0;
    double offset = 0.0;
    for (int axle = 0; axle < vehicle.axleCount; ++axle) {
      double x = ((t - entry) * static_cast<double>(vehicle.speed) - offset) / 10.0;
      if (x >= 0.0 && x <= line.length) {
        sum += static_cast<double>(vehicle.axleWeights[static_cast<std::size_t>(axle)]) *
               line.ordinate(x, line.length);
      }
      offset += static_cast<double>(vehicle.axleSpacings[static_cast<std::size_t>(axle)]);
    }
  }
  return sum;
}

// The history sampled every dt s from 0 until every vehicle has left.
std::vector<double> sampledHistory(const std::vector<RecordValues>& records,
                                   const BruteForceLine& line, double dt) {
  std::vector<double> history;
  std::vector<RecordValues> onBridge;
  std::size_t next = 0;
  double last = static_cast<double>(records.back().stampHundredths()) / 100.0 + 60.0;
  for (long long step = 0; step * dt <= last; ++step) {
    double t = static_cast<double>(step) * dt;
    while (next < records.size() &&
           static_cast<double>(records[next].stampHundredths()) / 100.0 <= t) {
      onBridge.push_back(records[next++]);
    }
    onBridge.erase(std::remove_if(onBridge.begin(), onBridge.end(),
                                  [&](const RecordValues& v) {
                                    double entry = static_cast<double>(v.stampHundredths()) / 100.0;
                                    return (t - entry) * static_cast<double>(v.speed) >
                                           line.length * 10.0 + static_cast<double>(v.length);
                                  }),
                   onBridge.end());
    history.push_back(effectAt(onBridge, line, t));
  }
  return history;
}

// The cycles of each range from a spectrum file's rows (ranges at their bins' lower ends).
std::map<double, double> spectrumOf(const std::string& text) {
  std::map<double, double> cycles;
  std::istringstream in(text);
  std::string line;
  std::getline(in, line);
  while (std::getline(in, line)) {
    std::vector<std::string> fields;
    std::stringstream row(line);
    for (std::string field; std::getline(row, field, ',');) {
      fields.push_back(field);
    }
    cycles[std::stod(fields[1])] += std::stod(fields[3]);
  }
  return cycles;
}

double damageOf(const std::string& text) {
  std::size_t row = text.find('\n') + 1;
  std::vector<std::string> fields;
  std::stringstream in(text.substr(row));
  for (std::string field; std::getline(in, field, ',');) {
    fields.push_back(field);
  }
  return std::stod(fields[3]);
}

double cyclesAbove(const std::map<double, double>& cycles, double range) {
  double sum = 0.0;
  for (auto it = cycles.lower_bound(range); it != cycles.end(); ++it) {
    sum += it->second;
  }
  return sum;
}

struct SampledCount {
  std::map<double, double> byRange;
  double damage = 0.0;
  SnCurve curve{71.0, 1.0};
  double stressPerUnit;
  void count(double range, double cycles) {
    byRange[range] += cycles;
    damage += curve.damage(range * stressPerUnit, cycles);
  }
};

TEST(FatigueEngineTest, TheExactCountOfADayMatchesABruteForceCountOfItsDenseSampling) {
  TestFolder folder;
  std::vector<RecordValues> records = sampleDay(folder);
  ASSERT_GT(records.size(), 1000u);
  // A straight line, and a cubic whose peaks lie between the moments axles pass its vertices.
  for (const BruteForceLine& line : {BruteForceLine{"moment:20", 20.0, midSpanMoment, "0.04"},
                                     BruteForceLine{"hogging:15", 30.0, twoSpanHogging, "0.1"}}) {
    SCOPED_TRACE(line.effect);
    LoadSettings settings =
        settingsOf({"--effect", line.effect, "--range-bin", "0.01", "--detail-category", "71",
                    "--stress-per-unit", std::string(line.effect) + "=" + line.stressPerUnit});
    FatigueRun exact = countOf(settings, records, 1);
    std::map<double, double> exactCycles = spectrumOf(exact.spectra);

    std::vector<double> history = sampledHistory(records, line, 0.002);
    double samplingError = 0.0;  // the most the history moves between samples
    for (std::size_t i = 1; i < history.size(); ++i) {
      samplingError = std::max(samplingError, std::abs(history[i] - history[i - 1]));
    }
    RainflowCounter counter;
    SampledCount sampled{{}, 0.0, SnCurve(71.0, 1.0), std::stod(line.stressPerUnit)};
    for (double value : history) {
      counter.add(value, sampled);
    }
    counter.finish(sampled);

    // Every range above the sampling error: the sampled count of cycles above r lies
    // between the exact counts above r and above r + twice the error (a sampled peak falls
    // short of the true one by at most the error).
    double top = exactCycles.rbegin()->first;
    for (double r = 4 * samplingError; r < top; r += top / 40) {
      double found = cyclesAbove(sampled.byRange, r);
      EXPECT_LE(found, cyclesAbove(exactCycles, r - 0.01)) << "ranges above " << r;
      EXPECT_GE(found, cyclesAbove(exactCycles, r + 2 * samplingError)) << "ranges above " << r;
    }
    // The damage: ranges short by at most twice the error, on slopes of at most 5.
    double exactDamage = damageOf(exact.damage);
    double cutOffRange = SnCurve(71.0, 1.0).cutOffLimit / sampled.stressPerUnit;
    EXPECT_GT(exactDamage, 0.0);
    EXPECT_LE(sampled.damage, exactDamage * (1 + 1e-9));
    EXPECT_GE(sampled.damage, exactDamage * (1 - 5 * 2 * samplingError / cutOffRange));
  }
}

}  // namespace

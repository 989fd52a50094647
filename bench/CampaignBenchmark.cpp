// The campaign benchmark: velmora-campaign runs a few years of the sample's four-lane
// motorway (runs of one 250-day year, three load effects on a 30 m span) and combines them;
// the days made per second give the time that 1000 years (250,000 days) would take, with
// and without the fatigue count of the three effects.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace fs = std::filesystem;

namespace {

constexpr int daysPerYear = 250;

// A run folder with the sample's site data for the motorway, free flow with cars.
fs::path prepareMotorway(const fs::path& folder) {
  fs::remove_all(folder);
  fs::create_directories(folder / "site");
  fs::copy(fs::path(VELMORA_SAMPLE_DIR) / "Traffic", folder / "site" / "Traffic",
           fs::copy_options::recursive);
  std::ofstream(folder / "site" / "VLMin.txt")
      << "TrafOut.txt\n50\n1\n1\n1\n2000\n2\n2\n5\n30\n0.05\n6\n0.8\n";
  return folder;
}

// Seconds that `command` took; the benchmark fails when it does.
double timed(benchmark::State& state, const std::string& command) {
  auto start = std::chrono::steady_clock::now();
  if (std::system(command.c_str()) != 0) {
    state.SkipWithError(("failed: " + command).c_str());
  }
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

const char* const fatigueOptions =
    " --fatigue --detail-category 71 --stress-per-unit moment:30=0.03"
    " --stress-per-unit moment:30:10=0.03 --stress-per-unit shear:30=0.1";

// Arguments: years, jobs, fatigue (0 or 1).
void BM_MotorwayCampaign(benchmark::State& state) {
  int years = static_cast<int>(state.range(0));
  fs::path folder = prepareMotorway(fs::temp_directory_path() / "velmora-campaign-bench");
  std::string program = VELMORA_CAMPAIGN_PROGRAM;
  std::string campaign = (folder / "campaign").string();
  double seconds = 0.0;
  for (auto _ : state) {
    fs::remove_all(campaign);
    std::string plan = program + " plan " + (folder / "site").string() + " " + campaign +
                       " --years " + std::to_string(years) +
                       " --years-per-run 1 --seed 1 --block-days 1 --effect moment:30"
                       " --effect moment:30:10 --effect shear:30" +
                       (state.range(2) != 0 ? fatigueOptions : "") + " > /dev/null";
    if (std::system(plan.c_str()) != 0) {
      state.SkipWithError("the campaign cannot be planned");
      break;
    }
    seconds = timed(state, program + " run " + campaign + " --jobs " +
                               std::to_string(state.range(1)) + " > /dev/null");
    state.SetIterationTime(seconds);
  }
  double daysPerSecond = years * daysPerYear / seconds;
  state.counters["days/s"] = daysPerSecond;
  state.counters["min_for_1000_years"] = 1000.0 * daysPerYear / daysPerSecond / 60.0;
  fs::remove_all(folder);
}

BENCHMARK(BM_MotorwayCampaign)
    ->ArgNames({"years", "jobs", "fatigue"})
    ->Args({4, 1, 0})
    ->Args({4, 1, 1})
    ->Args({4, 2, 0})
    ->Args({4, 2, 1})
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->Unit(benchmark::kSecond);

}  // namespace

BENCHMARK_MAIN();

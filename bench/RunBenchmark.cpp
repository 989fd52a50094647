// End-to-end benchmark: runs the velmora program, as a separate process, on the sample's
// four-lane motorway for enough days to make millions of vehicles, writing a real file.
// Reports vehicles per second, nanoseconds per vehicle, megabytes per second and the
// program's peak resident memory.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct RunResult {
  double seconds = 0;
  double cpuSeconds = 0;  // user and system time of the program
  long peakKiB = 0;
  double vehicles = 0;
  double bytes = 0;
};

// A run folder with the sample's site data and a motorway run of `days` under `model`.
fs::path prepareFolder(int model, int days) {
  fs::path folder = fs::temp_directory_path() / "velmora-bench";
  fs::remove_all(folder);
  fs::create_directories(folder);
  fs::copy(fs::path(VELMORA_SAMPLE_DIR) / "Traffic", folder / "Traffic",
           fs::copy_options::recursive);
  std::ofstream(folder / "VLMin.txt") << "TrafOut.txt\n50\n"
                                      << days << "\n1\n1\n2000\n2\n2\n5\n30\n0.05\n"
                                      << model << "\n0.8\n";
  return folder;
}

double countLines(const fs::path& file) {
  std::ifstream in(file, std::ios::binary);
  static char chunk[1 << 20];
  double lines = 0;
  while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
    for (std::streamsize i = 0; i < in.gcount(); ++i) {
      lines += chunk[i] == '\n';
    }
  }
  return lines;
}

// The vehicle count of the console's last "Generated N vehicles" line (runs without records).
double generatedVehicles(const fs::path& console) {
  std::ifstream in(console);
  double vehicles = 0;
  for (std::string line; std::getline(in, line);) {
    if (line.rfind("Generated ", 0) == 0) {
      vehicles = std::stod(line.substr(10));
    }
  }
  return vehicles;
}

// Runs the program in folder with the given arguments (none: as designed).
RunResult runProgram(const fs::path& folder, std::vector<const char*> arguments = {}) {
  // A fresh file each time, as in a new run folder, with the last run's pages written out.
  fs::remove(folder / "TrafOut.txt");
  sync();
  arguments.insert(arguments.begin(), VELMORA_PROGRAM);
  arguments.push_back(nullptr);
  auto start = std::chrono::steady_clock::now();
  pid_t child = fork();
  if (child == 0) {
    if (chdir(folder.c_str()) != 0 || !std::freopen("console.txt", "w", stdout)) {
      _exit(127);
    }
    execv(VELMORA_PROGRAM, const_cast<char* const*>(arguments.data()));
    _exit(127);
  }
  int status = 0;
  rusage usage{};
  wait4(child, &status, 0, &usage);
  RunResult result;
  result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  result.peakKiB = usage.ru_maxrss;
  result.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                      static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) * 1e-6;
  bool records = fs::exists(folder / "TrafOut.txt");
  result.vehicles =
      records ? countLines(folder / "TrafOut.txt") : generatedVehicles(folder / "console.txt");
  result.bytes = records ? static_cast<double>(fs::file_size(folder / "TrafOut.txt")) : 0.0;
  return result;
}

// Arguments: traffic model, days.
void reportRuns(benchmark::State& state, const fs::path& folder,
                const std::vector<const char*>& arguments) {
  RunResult result;
  for (auto _ : state) {
    result = runProgram(folder, arguments);
    state.SetIterationTime(result.seconds);
  }
  state.counters["vehicles"] = result.vehicles;
  state.counters["vehicles/s"] = result.vehicles / result.seconds;
  state.counters["ns/vehicle"] = result.seconds * 1e9 / result.vehicles;
  state.counters["MB/s"] = result.bytes / result.seconds / 1e6;
  state.counters["cpu_s"] = result.cpuSeconds;
  state.counters["peak_RSS_MiB"] = static_cast<double>(result.peakKiB) / 1024.0;
  fs::remove_all(folder);
}

void BM_Motorway(benchmark::State& state) {
  reportRuns(state,
             prepareFolder(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))), {});
}

// The daily maxima of three load effects on a 30 m span, computed while generating, with
// no record file.
void BM_MotorwayLoadEffects(benchmark::State& state) {
  reportRuns(state,
             prepareFolder(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))),
             {"--no-records", "--effect", "moment:30", "--effect", "moment:30:10", "--effect",
              "shear:30", "--maxima", "maxima.csv"});
}
// The same with each day's maxima by the trucks on the bridge as well (five classes).
void BM_MotorwayEventMaxima(benchmark::State& state) {
  reportRuns(state,
             prepareFolder(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))),
             {"--no-records", "--effect", "moment:30", "--effect", "moment:30:10", "--effect",
              "shear:30", "--maxima", "maxima.csv", "--event-maxima", "events.csv"});
}
// The same three effects with their rainflow cycles counted: spectra, and damage for two
// detail categories.
void BM_MotorwayFatigue(benchmark::State& state) {
  reportRuns(state,
             prepareFolder(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))),
             {"--no-records",
              "--effect",
              "moment:30",
              "--effect",
              "moment:30:10",
              "--effect",
              "shear:30",
              "--maxima",
              "maxima.csv",
              "--fatigue",
              "spectra.csv",
              "--damage",
              "damage.csv",
              "--detail-category",
              "71",
              "--detail-category",
              "36",
              "--stress-per-unit",
              "moment:30=0.03",
              "--stress-per-unit",
              "moment:30:10=0.03",
              "--stress-per-unit",
              "shear:30=0.1"});
}
// The default mix with a jam of an hour a day in each direction and a fifth of the trucks in
// platoons of three: side by side with BM_Motorway, per vehicle (jams add vehicles).
void BM_MotorwayJamsAndPlatoons(benchmark::State& state) {
  reportRuns(state,
             prepareFolder(static_cast<int>(state.range(0)), static_cast<int>(state.range(1))),
             {"--jams", "1:60", "--platoons", "0.2:3:10"});
}
// Default mix (free flow, car fraction 0.8): about 10 million vehicles.
BENCHMARK(BM_Motorway)
    ->ArgNames({"model", "days"})
    ->Args({6, 180})
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->Unit(benchmark::kMillisecond);
// Trucks only (the flows are still divided by 1 - 0.8): about 10 million vehicles.
BENCHMARK(BM_Motorway)
    ->ArgNames({"model", "days"})
    ->Args({7, 180})
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->Unit(benchmark::kMillisecond);
// Memory does not grow with days: compare peak_RSS_MiB of 1 and 30 days.
BENCHMARK(BM_Motorway)
    ->ArgNames({"model", "days"})
    ->Args({6, 1})
    ->Args({6, 30})
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// 30 and 180 days show that memory stays flat.
BENCHMARK(BM_MotorwayJamsAndPlatoons)
    ->ArgNames({"model", "days"})
    ->Args({6, 180})
    ->Args({6, 30})
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->Unit(benchmark::kMillisecond);

BENCHMARK(BM_MotorwayLoadEffects)
    ->ArgNames({"model", "days"})
    ->Args({6, 180})
    ->Args({6, 30})
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->Unit(benchmark::kMillisecond);
// Side by side with BM_MotorwayLoadEffects; 30 and 180 days show that memory stays flat.
BENCHMARK(BM_MotorwayFatigue)
    ->ArgNames({"model", "days"})
    ->Args({6, 180})
    ->Args({6, 30})
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->Unit(benchmark::kMillisecond);
BENCHMARK(BM_MotorwayEventMaxima)
    ->ArgNames({"model", "days"})
    ->Args({6, 30})
    ->UseManualTime()
    ->Iterations(1)
    ->Repetitions(5)
    ->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();

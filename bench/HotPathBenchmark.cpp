// Micro-benchmarks of the per-vehicle work: the record text, vehicle making, headway draws
// and one step of the lane merge. Also counts heap allocations per generated vehicle.
#include <benchmark/benchmark.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "record/Vehicle.h"
#include "run/LaneQueue.h"
#include "support/SmallSite.h"

namespace {
std::atomic<long long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
  ++allocations;
  if (void* p = std::malloc(size == 0 ? 1 : size)) {
    return p;
  }
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept {
  std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
  std::free(p);
}

namespace {

Vehicle fiveAxleTruck() {
  Vehicle truck;
  truck.setHeadCode(1001);
  truck.setLane(2);
  truck.setDirection(1);
  truck.setTrackWidth(1.8);
  truck.setSpeed(236.4);
  truck.setAxleCount(5);
  truck.setGvw(402.7);
  const double weights[] = {61.2, 112.8, 76.3, 76.3, 76.3};
  const double spacings[] = {36.9, 63.1, 13.2, 13.1, 0.0};
  for (int i = 0; i < 5; ++i) {
    truck.setAxleWeight(i, weights[i]);
    truck.setAxleSpacing(i, spacings[i]);
  }
  truck.setLength(126.3);
  truck.setTime(123456.78);
  return truck;
}

void BM_FormatRecord(benchmark::State& state) {
  Vehicle truck = fiveAxleTruck();
  char buffer[Vehicle::maxRecordLength];
  for (auto _ : state) {
    benchmark::DoNotOptimize(truck.formatRecord(buffer));
  }
}
BENCHMARK(BM_FormatRecord);

void BM_SetTime(benchmark::State& state) {
  Vehicle truck = fiveAxleTruck();
  double t = 1234.5678;
  for (auto _ : state) {
    truck.setTime(t);
    t += 0.37;
    benchmark::DoNotOptimize(truck);
  }
}
BENCHMARK(BM_SetTime);

// makeVehicle under traffic model 6 (car fraction 0.8) and 7 (trucks only).
void BM_MakeVehicle(benchmark::State& state) {
  RandomGenerator::seedWithWord(1u);
  VehicleGenerator generator(smallSiteData(2), parametersFor(static_cast<int>(state.range(0))));
  for (auto _ : state) {
    benchmark::DoNotOptimize(generator.makeVehicle(1, 2));
  }
}
BENCHMARK(BM_MakeVehicle)->ArgName("model")->Arg(6)->Arg(7);

// A lane of 150 vehicles an hour under the traffic model of the benchmark's argument.
struct BenchLane {
  explicit BenchLane(const benchmark::State& state)
      : parameters(parametersFor(static_cast<int>(state.range(0)))), lane(parameters) {
    RandomGenerator::seedWithWord(1u);
    generator = std::make_unique<VehicleGenerator>(smallSiteData(1), parameters);
    lane.setUp(generator.get(), std::vector<double>(24, 150.0), 0.8, 0, 1);
  }

  TrafficParameters parameters;
  std::unique_ptr<VehicleGenerator> generator;
  LaneFlowGenerator lane;
};

// One lane step (vehicle and headway) under traffic model 0, 5 and 6.
void BM_LaneStep(benchmark::State& state) {
  BenchLane bench(state);
  for (auto _ : state) {
    benchmark::DoNotOptimize(bench.lane.nextVehicle());
  }
}
BENCHMARK(BM_LaneStep)->ArgName("model")->Arg(0)->Arg(5)->Arg(6);

// drawHeadway alone, behind the lane's last vehicle, under traffic model 0, 5 and 6.
void BM_DrawHeadway(benchmark::State& state) {
  BenchLane bench(state);
  auto leader = bench.lane.nextVehicle();
  for (auto _ : state) {
    benchmark::DoNotOptimize(bench.lane.drawHeadway());
  }
}
BENCHMARK(BM_DrawHeadway)->ArgName("model")->Arg(0)->Arg(5)->Arg(6);

// One merge step (take the earliest lane's vehicle, put the lane back) on as many lanes as
// the argument, with the heap allocations per vehicle.
void BM_MergeStep(benchmark::State& state) {
  RandomGenerator::seedWithWord(1u);
  int count = static_cast<int>(state.range(0));
  TrafficData data = smallSiteData(count);
  VehicleGenerator generator(data, parametersFor(6));
  std::vector<std::unique_ptr<LaneFlowGenerator>> lanes;
  std::vector<LaneFlowGenerator*> list;
  for (int i = 0; i < count; ++i) {
    lanes.push_back(std::make_unique<LaneFlowGenerator>(parametersFor(6)));
    lanes.back()->setUp(&generator, data.laneFlows(i), 0.8, i, i % 2 + 1);
    list.push_back(lanes.back().get());
  }
  LaneQueue queue(list);
  long long before = allocations;
  for (auto _ : state) {
    benchmark::DoNotOptimize(queue.earliest()->nextVehicle());
    queue.requeueEarliest();
  }
  state.counters["allocations/vehicle"] =
      static_cast<double>(allocations - before) / static_cast<double>(state.iterations());
}
BENCHMARK(BM_MergeStep)->ArgName("lanes")->Arg(1)->Arg(4)->Arg(16)->Arg(100);

}  // namespace

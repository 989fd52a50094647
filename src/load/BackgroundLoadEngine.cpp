#include "load/BackgroundLoadEngine.h"

#include <new>

namespace {

std::vector<RecordValues> emptyBlock() {
  std::vector<RecordValues> block;
  block.reserve(BackgroundLoadEngine::blockSize);
  return block;
}

}  // namespace

BackgroundLoadEngine::BackgroundLoadEngine(const LoadSettings& settings, std::ostream& out,
                                           std::ostream* events, FatigueStreams fatigue)
    : engine(settings, out, events, fatigue),
      filling(emptyBlock()),
      handover([this](std::vector<RecordValues>& block) { takeBlock(block); }, emptyBlock()) {}

bool BackgroundLoadEngine::add(const RecordValues& vehicle) {
  if (refused.load(std::memory_order_acquire)) {
    return false;
  }
  filling.push_back(vehicle);
  if (filling.size() >= blockSize) {
    handOver();
  }
  return true;
}

void BackgroundLoadEngine::handOver() {
  handover.handOver(filling);
  filling.clear();
}

bool BackgroundLoadEngine::finish(int days) {
  handOver();
  handover.waitUntilTaken();
  if (refused.load(std::memory_order_acquire)) {
    return false;
  }
  engine.finish(days);
  return true;
}

void BackgroundLoadEngine::takeBlock(std::vector<RecordValues>& block) {
  std::string why;
  for (const RecordValues& vehicle : block) {
    if (refused.load(std::memory_order_relaxed)) {
      return;
    }
    bool taken = false;
    try {
      taken = engine.add(vehicle, &why);
    } catch (const std::bad_alloc&) {
      why = "out of memory";
    }
    if (!taken) {
      refusalText = "the vehicle of lane " + std::to_string(vehicle.lane) + " at " +
                    vehicle.timeText() + ": " + why;
      refused.store(true, std::memory_order_release);
    }
  }
}

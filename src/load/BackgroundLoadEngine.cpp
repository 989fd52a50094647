#include "load/BackgroundLoadEngine.h"

#include <new>

BackgroundLoadEngine::BackgroundLoadEngine(const LoadSettings& settings, std::ostream& out)
    : engine(settings, out) {
  filling.reserve(blockSize);
  taking.reserve(blockSize);
  worker = std::thread(&BackgroundLoadEngine::takeBlocks, this);
}

BackgroundLoadEngine::~BackgroundLoadEngine() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    closing = true;
  }
  changed.notify_all();
  worker.join();
}

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
  std::unique_lock<std::mutex> lock(mutex);
  changed.wait(lock, [this] { return !hasWork; });
  std::swap(filling, taking);
  filling.clear();
  hasWork = true;
  changed.notify_all();
}

bool BackgroundLoadEngine::finish(int days) {
  handOver();
  std::unique_lock<std::mutex> lock(mutex);
  changed.wait(lock, [this] { return !hasWork; });
  if (refused.load(std::memory_order_acquire)) {
    return false;
  }
  engine.finish(days);
  return true;
}

void BackgroundLoadEngine::takeBlock() {
  std::string why;
  for (const RecordValues& vehicle : taking) {
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

void BackgroundLoadEngine::takeBlocks() {
  std::unique_lock<std::mutex> lock(mutex);
  while (true) {
    changed.wait(lock, [this] { return hasWork || closing; });
    if (!hasWork) {
      return;
    }
    lock.unlock();
    takeBlock();
    lock.lock();
    hasWork = false;
    changed.notify_all();
  }
}

// Blocks handed from a producer to a worker thread of their own, double-buffered: the
// producer fills one block while the worker takes the one handed over before, so that the
// two overlap. The worker takes the blocks in the order they are handed over, one at a
// time; everything it did to a block is visible to the producer once handOver() or
// waitUntilTaken() returns after it.
#pragma once

#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <utility>

template <typename Block>
class BlockHandover {
 public:
  // Starts the worker, which calls take(block) for every block handed over. `spare` is
  // the block the first handOver() gives back.
  BlockHandover(std::function<void(Block&)> take, Block spare)
      : taking(std::move(spare)), take(std::move(take)) {
    worker = std::thread(&BlockHandover::takeBlocks, this);
  }
  BlockHandover(const BlockHandover&) = delete;
  BlockHandover& operator=(const BlockHandover&) = delete;
  // Lets the worker take what was handed over, then stops it.
  virtual ~BlockHandover() {
    {
      std::lock_guard<std::mutex> lock(mutex);
      closing = true;
    }
    changed.notify_all();
    worker.join();
  }

  // Waits until the worker is done with the block handed over before, then hands `filled`
  // over and gives back in its place the block the worker is done with, to fill again.
  void handOver(Block& filled) {
    {
      std::unique_lock<std::mutex> lock(mutex);
      changed.wait(lock, [this] { return !hasWork; });
      std::swap(filled, taking);
      hasWork = true;
    }
    changed.notify_all();
  }
  // Waits until every block handed over has been taken.
  void waitUntilTaken() {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return !hasWork; });
  }

 private:
  void takeBlocks() {
    std::unique_lock<std::mutex> lock(mutex);
    while (true) {
      changed.wait(lock, [this] { return hasWork || closing; });
      if (!hasWork) {
        return;
      }
      lock.unlock();
      take(taking);
      lock.lock();
      hasWork = false;
      changed.notify_all();
    }
  }

  Block taking;          // the block handed over last, the worker's while hasWork
  bool hasWork = false;  // taking waits for the worker, or is being taken
  bool closing = false;
  std::function<void(Block&)> take;
  std::mutex mutex;
  std::condition_variable changed;
  std::thread worker;  // started last, stopped first
};

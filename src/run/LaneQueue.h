// The lanes of a run ordered by the arrival time of their pending vehicles, as a binary
// heap: finding the earliest lane is constant, putting it back after it handed over its
// vehicle is logarithmic in the number of lanes. The order is that of a stable insertion
// sort repeated at every step: equal times at the start keep the lanes' order, and a lane
// put back goes ahead of the lanes whose time equals its new one.
#pragma once

#include <cstdint>
#include <vector>

#include "base/BinaryHeap.h"
#include "traffic/LaneFlowGenerator.h"

class LaneQueue {
 public:
  // The lanes in their order (lane index order for a run). REQUIRES: none is null.
  explicit LaneQueue(const std::vector<LaneFlowGenerator*>& lanes);
  LaneQueue(const LaneQueue&) = delete;
  LaneQueue& operator=(const LaneQueue&) = delete;
  virtual ~LaneQueue() = default;

  bool empty() const { return heap.empty(); }
  // The lane whose pending vehicle arrives first. REQUIRES: !empty().
  LaneFlowGenerator* earliest() const { return heap.top().lane; }
  // Puts the earliest lane back by its new arrival time, once it handed over its vehicle.
  void requeueEarliest();

 private:
  struct Entry {
    double time;            // the lane's arrival time when it was queued
    std::int64_t priority;  // among equal times, the lower goes first
    LaneFlowGenerator* lane;
  };
  struct Before {
    bool operator()(const Entry& a, const Entry& b) const {
      return a.time < b.time || (a.time == b.time && a.priority < b.priority);
    }
  };

  BinaryHeap<Entry, Before> heap;
  std::int64_t nextPriority = -1;  // lanes put back go ahead of all others of their time
};

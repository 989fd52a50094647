#include "run/LaneQueue.h"

#include <cassert>

LaneQueue::LaneQueue(const std::vector<LaneFlowGenerator*>& lanes) {
  heap.reserve(lanes.size());
  for (std::size_t i = 0; i < lanes.size(); ++i) {
    assert(lanes[i] != nullptr);
    heap.push({lanes[i]->nextArrivalTime(), static_cast<std::int64_t>(i), lanes[i]});
  }
}

void LaneQueue::requeueEarliest() {
  Entry& top = heap.top();
  top.time = top.lane->nextArrivalTime();
  top.priority = nextPriority--;
  heap.topChanged();
}

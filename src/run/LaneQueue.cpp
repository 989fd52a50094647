#include "run/LaneQueue.h"

#include <utility>

LaneQueue::LaneQueue(const std::vector<LaneFlowGenerator*>& lanes) {
  heap.reserve(lanes.size());
  for (std::size_t i = 0; i < lanes.size(); ++i) {
    heap.push_back({lanes[i]->nextArrivalTime(), static_cast<std::int64_t>(i), lanes[i]});
    siftUp(heap.size() - 1);
  }
}

void LaneQueue::requeueEarliest() {
  Entry& top = heap.front();
  top.time = top.lane->nextArrivalTime();
  top.priority = nextPriority--;
  siftDown(0);
}

void LaneQueue::siftDown(std::size_t at) {
  Entry moving = heap[at];
  std::size_t size = heap.size();
  while (true) {
    std::size_t child = 2 * at + 1;
    if (child >= size) {
      break;
    }
    if (child + 1 < size && before(heap[child + 1], heap[child])) {
      ++child;
    }
    if (!before(heap[child], moving)) {
      break;
    }
    heap[at] = heap[child];
    at = child;
  }
  heap[at] = moving;
}

void LaneQueue::siftUp(std::size_t at) {
  Entry moving = heap[at];
  while (at > 0) {
    std::size_t parent = (at - 1) / 2;
    if (!before(moving, heap[parent])) {
      break;
    }
    heap[at] = heap[parent];
    at = parent;
  }
  heap[at] = moving;
}

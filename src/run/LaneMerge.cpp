#include "run/LaneMerge.h"

bool earlierArrival(const LaneFlowGenerator* a, const LaneFlowGenerator* b) {
  return a->nextArrivalTime() < b->nextArrivalTime();
}

void reorderLanes(std::vector<LaneFlowGenerator*>& laneList) {
  for (std::size_t i = 1; i < laneList.size(); ++i) {
    LaneFlowGenerator* lane = laneList[i];
    std::size_t j = i;
    while (j > 0 && earlierArrival(lane, laneList[j - 1])) {
      laneList[j] = laneList[j - 1];
      --j;
    }
    laneList[j] = lane;
  }
}

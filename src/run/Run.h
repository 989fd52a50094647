// The run: the banner, the set-up of one arrival process per lane, and the merge of all
// lanes' vehicles, in time order, into the output file.
#pragma once

#include <memory>
#include <vector>

#include "traffic/LaneFlowGenerator.h"
#include "traffic/VehicleGenerator.h"

// The lanes of a run with the vehicle generators they use; owns both for the run's life.
struct LaneSet {
  std::vector<std::unique_ptr<VehicleGenerator>> vehicleGenerators;
  std::vector<std::unique_ptr<LaneFlowGenerator>> lanes;  // creation order: lane index

  // The lanes in creation order, as the merge loop takes them.
  std::vector<LaneFlowGenerator*> laneList() const;
};

// Writes the four banner lines to standard output.
void printBanner();
// Reads "VLMin.txt" (or keeps the defaults, saying so), empties the output file, loads the
// site data and sets up every lane, direction-1 lanes first.
LaneSet setUpRun();
// True when a's pending vehicle arrives strictly before b's.
bool earlierArrival(const LaneFlowGenerator* a, const LaneFlowGenerator* b);
// Hands the earliest lane's vehicle to the writer until one whose time stamp reaches endTime
// (seconds) has been written; writes nothing when endTime <= 0 or there are no lanes.
void runGeneration(std::vector<LaneFlowGenerator*> laneList, double endTime);
// The whole program: banner, set-up, generation and "Generation complete". Returns the exit
// status.
int runProgram();

// One lane's arrival process. It always holds the next vehicle, already built and stamped
// with its arrival time; headways follow the lane's hourly flow under the headway model
// the run selects (0: table, 5: congested, any other: free-flow exponential) and never fall
// below the minimum headway behind the previous vehicle. Under the table and free-flow
// models an hour without flow has no arrivals, and a lane without any flow never delivers
// (its arrival time is infinite); so does a lane whose next arrival lies beyond what a
// time stamp holds (Vehicle::latestTime). Draws from the process-wide random stream: the vehicle's
// own draws come before its headway's.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "data/TrafficData.h"
#include "output/Vehicle.h"
#include "random/RandomGenerator.h"
#include "traffic/TrafficParameters.h"
#include "traffic/VehicleGenerator.h"

class LaneFlowGenerator {
 public:
  // Copies the headway parameters and the traffic model.
  explicit LaneFlowGenerator(const TrafficParameters& parameters);
  LaneFlowGenerator(const LaneFlowGenerator&) = delete;
  LaneFlowGenerator& operator=(const LaneFlowGenerator&) = delete;
  virtual ~LaneFlowGenerator() = default;

  // Gives the lane its generator (kept, not owned, for the lane's life), its 24 hourly
  // flows (vehicles per hour), the car fraction, its 0-based index and its direction, then
  // makes the first pending vehicle and draws its arrival time.
  void setUp(VehicleGenerator* generatorOfLane, std::vector<double> flows, double fraction,
             int index, int travelDirection);
  // Arrival time in seconds of the pending vehicle; infinite for a lane that never delivers.
  // No draw.
  double nextArrivalTime() const { return arrivalTime; }
  // Hands over the pending vehicle and prepares the next one.
  // REQUIRES: nextArrivalTime() is finite.
  std::unique_ptr<Vehicle> nextVehicle();
  // The message of the first draw of this lane's headways or of its vehicle
  // generator that gave up, or "" when none did. Once it is set, the vehicle being
  // prepared when the draw gave up, and every later one, is not to be used.
  const std::string& drawFailure() const;
  // The hour of day (0..23) whose flow sets the current rate.
  int currentHour() const { return hourIndex; }

  // Headway model, public so that its steps can be checked on their own.
  // The pending vehicle's headway: a finite model draw of at least minimumHeadway(), or 0
  // with no draw when that minimum is not positive.
  double drawHeadway();
  // s: 0.1 without a previous vehicle; else the time the pending vehicle needs to keep the
  // clearance behind the previous one, with the catch-up distance when it is faster.
  double minimumHeadway() const;
  static constexpr double clearanceBehindLeader = 1.0;  // m, kept behind the leading vehicle
  // s: (leader's length, plus the catch-up distance the faster follower gains, plus the
  // clearance) over the follower's speed. Speeds in dm/s, lengths in dm, distances in m.
  static double minimumHeadwayBehind(double leaderSpeed, double leaderLength,
                                     double followerSpeed, double catchUpLength,
                                     double clearance);
  double exponentialHeadway() { return generator.exponential(); }
  double congestedHeadway();
  double tableHeadway();

 private:
  struct QuadraticPiece {
    double a = 0.0;
    double b = 0.0;
    double c = 0.0;
  };
  struct FlowBand {
    double flowLimit = 0.0;  // vehicles per hour, upper bound of the band
    QuadraticPiece piece;    // headways from 1.5 to 4 s
    double tailStartShare = 0.0;  // the piece at 4 s: beyond it the exponential tail
  };

  void prepareNextVehicle();
  void updateHour();
  void updateFlowRate();
  bool usesFlows() const { return !trafficModel.isCongested(); }
  bool hasAnyFlow() const;
  double currentFlow() const { return hourlyFlows[static_cast<std::size_t>(hourIndex)]; }
  void skipHoursWithoutFlow();
  void readHeadwayPieces();
  const FlowBand& bandOfFlow(double flow) const;
  double drawModelHeadway();
  std::string describeLane() const;

  double minimumGapDistance = clearanceBehindLeader;
  std::unique_ptr<Vehicle> pendingVehicle;
  // The vehicle handed over last, the leader of pendingVehicle, as far as headways need it.
  bool hasLeader = false;
  double leaderSpeed = 0.0;   // dm/s
  double leaderLength = 0.0;  // dm
  int hourIndex = 0;          // hour of day whose flow sets the rate
  RandomGenerator generator;
  std::vector<double> hourlyFlows;  // vehicles per hour, hours 0..23
  double carFraction = 0.0;
  double arrivalTime = 0.0;  // s, of pendingVehicle; never decreases
  int laneIndex = 0;
  int direction = 1;
  VehicleGenerator* vehicleGenerator = nullptr;  // not owned
  DrawLimit draws;                               // of the headways
  Table headwayTable;
  double meanGapTime;  // s
  double gapCv;
  double constantSpeed;  // m/s
  TrafficModel trafficModel;
  double catchUpLength;        // m
  std::string flowFolderPath;  // for messages

  // The headway table read once into its pieces: 0 to 1 s, 1 to 1.5 s, then the bands,
  // with the cumulative shares where the pieces end.
  QuadraticPiece shortPiece;
  QuadraticPiece middlePiece;
  double shortEndShare = 0.0;   // the short piece at 1 s
  double middleEndShare = 0.0;  // the middle piece at 1.5 s
  std::vector<FlowBand> bands;
};

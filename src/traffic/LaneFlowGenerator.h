// One lane's arrival process. It always holds the next vehicle, already built and stamped
// with its arrival time; headways follow the lane's hourly flow under the headway model
// the run selects (0: table, 5: congested, any other: free-flow exponential) and never fall
// below the minimum headway behind the previous vehicle. Under the table and free-flow
// models an hour without flow has no arrivals, and a lane without any flow never delivers
// (its arrival time is infinite); so does a lane whose next arrival lies beyond what a
// time stamp holds (Vehicle::latestTime). Draws from the process-wide random stream: the vehicle's
// own draws come before its headway's.
//
// A run may add jams and truck platoons (usePatterns):
// - While the direction is jammed every vehicle of the lane travels at the congested speed
//   and its headway is the congested model's. A pending vehicle is timed in the spell (jam or
//   free flow) in which its headway starts; when its arrival would fall at or beyond the
//   spell's end, it is timed afresh from that edge under the next spell's model and speed,
//   with a draw that still keeps the minimum headway behind its leader counted from the
//   leader's arrival. So no edge breaks a minimum headway, and a jam starts or ends at once.
// - A truck leads a platoon with the chance that puts the asked share of trucks in platoons.
//   Its followers are the lane's next vehicles, each made as a truck (its class by the
//   lane's class shares); in free flow each rides the platoon's gap behind the truck ahead at
//   that truck's speed, and in a jam it follows the jam like any vehicle. The lane then owes
//   the trucks its followers took: that many of its next trucks are made and dropped, so
//   that the lane's trucks and class mix stay the site's. In free flow a dropped truck's
//   headway still passes, less the time the riding followers took (as far as it goes), so
//   that the lane's flow stays the site's too; the vehicle behind the slot keeps the headway
//   it would have kept behind that truck, and always its minimum behind the vehicle really
//   ahead of it. In a jam a dropped truck's slot takes no time.
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "data/TrafficData.h"
#include "random/RandomGenerator.h"
#include "record/Vehicle.h"
#include "traffic/JamSchedule.h"
#include "traffic/TrafficParameters.h"
#include "traffic/TrafficPatterns.h"
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
  // Gives the lane the jams of its direction (none: nullptr; kept, not owned, and shared by
  // the direction's lanes) and its platoons. REQUIRES: before setUp.
  void usePatterns(JamSchedule* directionJams, const std::optional<PlatoonSettings>& platoons);
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
  double drawHeadway() { return drawHeadway(false, 0.0); }
  // s: 0.1 without a previous vehicle; else the time the pending vehicle needs to keep the
  // clearance behind the previous one, with the catch-up distance when it is faster.
  double minimumHeadway() const;
  static constexpr double clearanceBehindLeader = 1.0;  // m, kept behind the leading vehicle
  // s: (leader's length, plus the catch-up distance the faster follower gains, plus the
  // clearance) over the follower's speed. Speeds in dm/s, lengths in dm, distances in m.
  static double minimumHeadwayBehind(double leaderSpeed, double leaderLength, double followerSpeed,
                                     double catchUpLength, double clearance);
  double exponentialHeadway() { return generator.exponential(); }
  // The leader's time to pass at speedOfLeader (dm/s) with the clearance, plus a normal gap.
  // In a jam the leader counts at the congested speed, as the jam moves, even when it
  // passed before the jam began.
  double congestedHeadway(double speedOfLeader);
  double congestedHeadway() { return congestedHeadway(leaderSpeed); }
  double tableHeadway();

 private:
  struct QuadraticPiece {
    double a = 0.0;
    double b = 0.0;
    double c = 0.0;
  };
  struct FlowBand {
    double flowLimit = 0.0;       // vehicles per hour, upper bound of the band
    QuadraticPiece piece;         // headways from 1.5 to 4 s
    double tailStartShare = 0.0;  // the piece at 4 s: beyond it the exponential tail
  };

  void prepareNextVehicle();
  // Makes the pending vehicle. True when it is a truck owed to a platoon, to be dropped.
  bool makePendingVehicle();
  // Passes the slot of a dropped truck whose arrival was timed from `from`: in a jam it takes
  // no time (the jam's headways are its own); in free flow it takes its headway less the
  // time that followers riding ahead of their slots took, so that platoons do not thin the
  // lane's flow, and the next vehicle keeps the headway it would have kept behind the truck,
  // as in the lane without platoons, and still its minimum behind the real vehicle ahead.
  void passDroppedTruck(double from);
  bool usesPatterns() const { return jamSchedule != nullptr || platoonSize > 0; }
  // The pending vehicle's arrival, from the leader's at arrivalTime, through the spells of
  // jam and free flow it meets; its speed set for the spell it arrives in.
  double patternedArrival();
  // s: the pending vehicle's headway from a spell's start, `elapsed` s after its leader's
  // arrival; its speed set for the spell. *rides: it rides in a platoon, at the gap.
  double spellHeadway(bool jammed, double elapsed, double ownSpeed, bool* rides);
  // A finite draw of the congested (jammed) or the run's own model of at least what is left
  // of minimumHeadway() `elapsed` s after the leader's arrival, and not negative; 0 with no
  // draw when nothing has elapsed and that minimum is not positive.
  double drawHeadway(bool jammed, double elapsed);
  void updateHour();
  void updateFlowRate();
  bool usesFlows() const { return !trafficModel.isCongested(); }
  bool hasAnyFlow() const;
  double currentFlow() const { return hourlyFlows[static_cast<std::size_t>(hourIndex)]; }
  void skipHoursWithoutFlow();
  void readHeadwayPieces();
  const FlowBand& bandOfFlow(double flow) const;
  double drawModelHeadway(bool jammed);
  std::string describeLane() const;

  double minimumGapDistance = clearanceBehindLeader;
  std::unique_ptr<Vehicle> pendingVehicle;
  // The vehicle handed over last, the leader of pendingVehicle, as far as headways need it.
  bool hasLeader = false;
  double leaderSpeed = 0.0;   // dm/s
  double leaderLength = 0.0;  // dm
  bool leaderJammed = false;  // the leader arrived in a jam
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

  // Jams and platoons.
  JamSchedule* jamSchedule = nullptr;  // not owned; none: no jams
  bool pendingJammed = false;          // the pending vehicle arrives in a jam
  int platoonSize = 0;                 // 0: no platoons
  double platoonGap = 0.0;             // dm, rear axle to front axle
  double leaderChance = 0.0;           // that a truck not in a platoon leads one
  int followersLeft = 0;               // trucks still to join the platoon being formed
  bool pendingFollows = false;         // the pending vehicle is a platoon's follower
  long long trucksOwed = 0;            // trucks that platoons took ahead of their time
  double platoonCredit = 0.0;          // s that riding followers took, not yet given back
  // The vehicle handed over last, when dropped trucks' slots have passed since.
  struct HandedVehicle {
    double time = 0.0;    // s
    double speed = 0.0;   // dm/s
    double length = 0.0;  // dm
  };
  bool hasRealLeader = false;
  HandedVehicle realLeader;
  bool behindDropped = false;  // the leader fields hold a dropped truck
};

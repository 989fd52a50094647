#include "traffic/LaneFlowGenerator.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/Calendar.h"
#include "base/text/NumberText.h"
#include "data/RunFolderFiles.h"
#include "traffic/DrawLimit.h"

namespace {

constexpr int hoursPerDay = TrafficData::hoursPerDay;
static_assert(hoursPerDay == calendar::hoursPerDay, "a lane has one flow per hour of the day");
constexpr double hoursPerSecond = 0.0002777777777777778;  // nearest to 1/3600
constexpr double secondsPerHour = calendar::secondsPerHour;
constexpr double firstVehicleHeadway = 0.1;   // s
constexpr double tailStart = 4.0;             // s, where the table's exponential tail begins
constexpr double congestedBaseLength = 12.0;  // m, stands in for a missing leader

// Element column of row of table, or 0 when the table does not reach it.
double cell(const Table& table, std::size_t row, std::size_t column) {
  if (row >= table.size() || column >= table[row].size()) {
    return 0.0;
  }
  return table[row][column];
}

}  // namespace

LaneFlowGenerator::LaneFlowGenerator(const TrafficParameters& parameters)
    : draws(parameters.drawLimit),
      meanGapTime(parameters.meanGapTime),
      gapCv(parameters.gapCv),
      constantSpeed(parameters.constantSpeed),
      trafficModel(parameters.model),
      catchUpLength(parameters.catchUpLength) {}

void LaneFlowGenerator::setUp(VehicleGenerator* generatorOfLane, std::vector<double> flows,
                              double fraction, int index, int travelDirection) {
  vehicleGenerator = generatorOfLane;
  hourlyFlows = std::move(flows);
  hourlyFlows.resize(hoursPerDay, 0.0);
  carFraction = fraction;
  laneIndex = index;
  direction = travelDirection;
  headwayTable = vehicleGenerator->headwayModelTable();
  flowFolderPath = vehicleGenerator->flowFolderPath();
  readHeadwayPieces();
  updateFlowRate();
  if (usesFlows() && !hasAnyFlow()) {
    arrivalTime = std::numeric_limits<double>::infinity();  // never delivers a vehicle
    return;
  }
  prepareNextVehicle();
}

const std::string& LaneFlowGenerator::drawFailure() const {
  return draws.failed() || vehicleGenerator == nullptr ? draws.failure()
                                                       : vehicleGenerator->drawFailure();
}

void LaneFlowGenerator::usePatterns(JamSchedule* directionJams,
                                    const std::optional<PlatoonSettings>& platoons) {
  jamSchedule = directionJams;
  if (!platoons) {
    return;
  }
  platoonSize = platoons->size;
  platoonGap = platoons->gapMetres * VehicleGenerator::speedScale;
  // A leader brings size - 1 followers and drops as many later trucks, so a share s of the
  // trucks ride in platoons when s = size q / (1 + (size - 1) q).
  double share = platoons->share;
  leaderChance = share / (platoonSize - share * (platoonSize - 1));
}

std::unique_ptr<Vehicle> LaneFlowGenerator::nextVehicle() {
  std::unique_ptr<Vehicle> result = std::move(pendingVehicle);
  hasLeader = true;
  leaderSpeed = result->getSpeed();
  leaderLength = result->getLength();
  leaderJammed = pendingJammed;
  if (platoonSize > 0) {
    hasRealLeader = true;
    realLeader = {arrivalTime, leaderSpeed, leaderLength};
    behindDropped = false;
  }
  prepareNextVehicle();
  return result;
}

void LaneFlowGenerator::prepareNextVehicle() {
  if (jamSchedule != nullptr) {
    jamSchedule->forgetBefore(arrivalTime);
  }
  bool dropped = false;
  do {
    dropped = makePendingVehicle();
    updateHour();
    if (!pendingFollows) {
      skipHoursWithoutFlow();
    }
    double from = arrivalTime;
    arrivalTime = usesPatterns() ? patternedArrival() : arrivalTime + drawHeadway();
    if (dropped) {
      passDroppedTruck(from);
    }
    if (!(arrivalTime < Vehicle::latestTime)) {
      arrivalTime = std::numeric_limits<double>::infinity();  // beyond any stamp: no arrival
      return;
    }
  } while (dropped && drawFailure().empty());
  pendingVehicle->setTime(arrivalTime);
}

bool LaneFlowGenerator::makePendingVehicle() {
  pendingFollows = followersLeft > 0;
  if (pendingFollows) {
    --followersLeft;
    pendingVehicle = vehicleGenerator->makeTruck(laneIndex, direction);
    return false;
  }
  pendingVehicle = vehicleGenerator->makeVehicle(laneIndex, direction);
  if (platoonSize == 0 || vehicleGenerator->madeCar()) {
    return false;
  }
  if (trucksOwed > 0) {
    --trucksOwed;
    return true;
  }
  if (leaderChance > 0 && generator.uniform() <= leaderChance) {
    followersLeft = platoonSize - 1;
    trucksOwed += platoonSize - 1;
  }
  return false;
}

void LaneFlowGenerator::passDroppedTruck(double from) {
  if (pendingJammed) {
    arrivalTime = from;  // a jam's headways are its own: the slot leaves no hole
    return;
  }
  double refunded = std::min(arrivalTime - from, platoonCredit);
  platoonCredit -= refunded;
  arrivalTime -= refunded;
  behindDropped = true;
  hasLeader = true;
  leaderSpeed = pendingVehicle->getSpeed();
  leaderLength = pendingVehicle->getLength();
  leaderJammed = false;
}

double LaneFlowGenerator::patternedArrival() {
  const double from = arrivalTime;
  const double ownSpeed = pendingVehicle->getSpeed();
  double start = from;
  for (;;) {
    JamSchedule::Spell spell = jamSchedule != nullptr
                                   ? jamSchedule->spellAt(start)
                                   : JamSchedule::Spell{false, Vehicle::latestTime};
    pendingJammed = spell.jammed;
    bool rides = false;
    double arrival = start + spellHeadway(spell.jammed, start - from, ownSpeed, &rides);
    if (arrival < spell.end || !drawFailure().empty()) {
      platoonCredit += rides ? arrival - start : 0.0;
      return arrival;
    }
    start = spell.end;
    if (!(start < Vehicle::latestTime)) {
      return std::numeric_limits<double>::infinity();
    }
  }
}

double LaneFlowGenerator::spellHeadway(bool jammed, double elapsed, double ownSpeed, bool* rides) {
  *rides = pendingFollows && !jammed && !leaderJammed && elapsed == 0 && leaderSpeed > 0;
  if (*rides) {
    pendingVehicle->setSpeed(leaderSpeed);
    return (leaderLength + platoonGap) / leaderSpeed;
  }
  pendingVehicle->setSpeed(jammed ? vehicleGenerator->congestedSpeed() : ownSpeed);
  return drawHeadway(jammed, elapsed);
}

void LaneFlowGenerator::updateHour() {
  auto hours = static_cast<long long>(arrivalTime * hoursPerSecond);  // finite: headways are
  int hourOfDay = static_cast<int>(hours % hoursPerDay);
  if (hourOfDay == hourIndex) {
    return;
  }
  hourIndex = (hourIndex + 1) % hoursPerDay;
  updateFlowRate();
}

bool LaneFlowGenerator::hasAnyFlow() const {
  for (double flow : hourlyFlows) {
    if (flow > 0) {
      return true;
    }
  }
  return false;
}

// An hour without flow has no arrivals: the lane moves on to the next hour that has flow,
// and its clock to that hour's start unless the clock is already past it (the hour index
// may lag behind the clock after a long headway).
void LaneFlowGenerator::skipHoursWithoutFlow() {
  if (!usesFlows() || currentFlow() > 0) {
    return;
  }
  int steps = 1;
  while (!(hourlyFlows[static_cast<std::size_t>((hourIndex + steps) % hoursPerDay)] > 0)) {
    ++steps;
  }
  auto clockHour = static_cast<long long>(arrivalTime * hoursPerSecond);
  long long indexHour =
      clockHour - ((clockHour - hourIndex) % hoursPerDay + hoursPerDay) % hoursPerDay;
  double start = static_cast<double>(indexHour + steps) * secondsPerHour;
  if (arrivalTime < start) {
    arrivalTime = start;
  }
  hourIndex = (hourIndex + steps) % hoursPerDay;
  updateFlowRate();
}

void LaneFlowGenerator::updateFlowRate() {
  double flow = currentFlow();
  double total = flow / (1 - carFraction);
  generator.setExponentialScale(secondsPerHour / total);
  generator.setExponentialLocation(0.0);
}

double LaneFlowGenerator::drawHeadway(bool jammed, double elapsed) {
  double minimum = minimumHeadway();
  if (behindDropped && hasRealLeader) {
    double behindReal =
        minimumHeadwayBehind(realLeader.speed, realLeader.length, pendingVehicle->getSpeed(),
                             catchUpLength, minimumGapDistance) -
        (arrivalTime - realLeader.time);
    minimum = std::max(minimum, behindReal);
  }
  if (elapsed == 0 && minimum <= 0) {
    return 0;
  }
  minimum = std::max(minimum - elapsed, 0.0);
  return draws.drawUntil(
      [this, jammed] { return drawModelHeadway(jammed); },
      [minimum](double headway) { return std::isfinite(headway) && headway >= minimum; }, minimum,
      [&] {
        return UndrawableValue{
            "a headway of at least " + numberText(minimum) + " s " + describeLane(),
            siteFileForMessage(flowFolderPath, trafficModel.usesHeadwayTable()
                                                   ? run_folder_files::headways
                                                   : run_folder_files::flows)};
      });
}

double LaneFlowGenerator::drawModelHeadway(bool jammed) {
  if (jammed) {
    return congestedHeadway(vehicleGenerator->congestedSpeed());
  }
  if (trafficModel.usesHeadwayTable()) {
    return tableHeadway();
  }
  if (trafficModel.isCongested()) {
    return congestedHeadway();
  }
  return exponentialHeadway();
}

double LaneFlowGenerator::minimumHeadway() const {
  if (!hasLeader) {
    return firstVehicleHeadway;
  }
  return minimumHeadwayBehind(leaderSpeed, leaderLength, pendingVehicle->getSpeed(), catchUpLength,
                              minimumGapDistance);
}

double LaneFlowGenerator::minimumHeadwayBehind(double leaderSpeed, double leaderLength,
                                               double followerSpeed, double catchUpLength,
                                               double clearance) {
  double leaderMetres = leaderSpeed * 0.1;
  double followerMetres = followerSpeed * 0.1;
  double length = leaderLength * 0.1;
  if (followerMetres > leaderMetres) {
    length = length +
             (length + catchUpLength + clearance) / leaderMetres * (followerMetres - leaderMetres);
  }
  return (length + clearance) / followerMetres;
}

double LaneFlowGenerator::congestedHeadway(double speedOfLeader) {
  double base = !hasLeader ? congestedBaseLength / constantSpeed
                           : (leaderLength * 0.1 + minimumGapDistance) / (speedOfLeader * 0.1);
  return generator.normal(meanGapTime, meanGapTime * gapCv) + base;
}

double LaneFlowGenerator::tableHeadway() {
  double u = generator.uniform();
  const FlowBand& band = bandOfFlow(currentFlow());
  if (u > band.tailStartShare) {
    return draws.drawUntil(
        [this] { return exponentialHeadway(); },
        [](double headway) { return std::isfinite(headway) && headway >= tailStart; }, tailStart,
        [&] {
          return UndrawableValue{"a headway tail of at least 4 s " + describeLane(),
                                 siteFileForMessage(flowFolderPath, run_folder_files::flows)};
        });
  }
  const QuadraticPiece& piece = u <= shortEndShare    ? shortPiece
                                : u <= middleEndShare ? middlePiece
                                                      : band.piece;
  return invertQuadratic(piece.a, piece.b, piece.c, u);
}

void LaneFlowGenerator::readHeadwayPieces() {
  bands.clear();
  if (headwayTable.empty()) {
    return;
  }
  auto pieceOfRow = [this](std::size_t row) {
    return QuadraticPiece{cell(headwayTable, row, 1), cell(headwayTable, row, 2),
                          cell(headwayTable, row, 3)};
  };
  auto shareAt = [](const QuadraticPiece& piece, double headway) {
    return evaluateQuadratic(piece.a, piece.b, piece.c, headway);
  };
  shortPiece = pieceOfRow(1);
  middlePiece = pieceOfRow(2);
  shortEndShare = shareAt(shortPiece, 1.0);
  middleEndShare = shareAt(middlePiece, 1.5);
  auto bandCount = static_cast<long long>(cell(headwayTable, 0, 0));
  for (long long band = 0;
       band < bandCount && static_cast<std::size_t>(band) + 3 < headwayTable.size(); ++band) {
    auto row = static_cast<std::size_t>(band) + 3;
    QuadraticPiece piece = pieceOfRow(row);
    bands.push_back({cell(headwayTable, row, 0), piece, shareAt(piece, tailStart)});
  }
}

const LaneFlowGenerator::FlowBand& LaneFlowGenerator::bandOfFlow(double flow) const {
  static const FlowBand noBand;
  if (bands.empty()) {
    return noBand;
  }
  for (const FlowBand& band : bands) {
    if (band.flowLimit >= flow) {
      return band;
    }
  }
  return bands.back();
}

std::string LaneFlowGenerator::describeLane() const {
  return "on lane " + std::to_string(laneIndex + 1) + " in hour " + std::to_string(hourIndex) +
         " (flow " + numberText(currentFlow()) + " vehicles per hour)";
}

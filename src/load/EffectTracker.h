// One load effect on one bridge, followed exactly through time. Every axle contributes its
// load times the influence ordinate at its position; between the moments an axle enters,
// passes a break of the line or leaves, the effect is a polynomial in time (straight for
// straight lines), so its greatest value is found at those moments or, for curved lines,
// where the polynomial turns. The clock counts seconds from the start of the current day.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "load/InfluenceLine.h"
#include "load/LoadedVehicle.h"
#include "load/TravelProfile.h"

struct DailyMaximum {
  double value = 0.0;     // the effect's unit
  double timeOfDay = 0.0;  // s from the day's start (may be the day's end)
  int vehicles = 0;       // on the bridge at that moment
  int trucks = 0;
};

class EffectTracker {
 public:
  explicit EffectTracker(const InfluenceLine& line);

  // Takes the next vehicle, stamped no earlier than the last one and within the current
  // day (the first day starts at stamp 0).
  void add(const LoadedVehicle& vehicle);
  // Follows the effect to the day's end and gives the day's greatest value; the clock then
  // starts the next day, whose first candidate is the effect at its start.
  DailyMaximum closeDay();

 private:
  struct Passage {  // one axle's next break
    double time;    // s on the clock
    int vehicle;    // slot in vehicles
    int axle;
    int breakIndex;
  };
  struct OnBridge {
    LoadedVehicle vehicle;
    double entry = 0.0;  // s on the clock when the first axle enters
    std::array<double, 4> speedPowers{};  // (m/s)^j
  };
  static bool later(const Passage& a, const Passage& b) { return a.time > b.time; }

  double passageTime(const OnBridge& slot, int axle, int breakIndex) const;
  // Handles every passage before `limit` s, in time order.
  void advanceBefore(double limit);
  // Moves the clock to `time`, noting the greatest value on the way and just before it.
  void moveTo(double time);
  void applyPassage(const Passage& passage);
  void note(double value, double time);
  void startDay();

  std::array<TravelProfile, 2> profiles;  // by direction - 1
  int degree;
  std::vector<OnBridge> vehicles;
  std::vector<int> freeSlots;
  std::vector<Passage> passages;  // a heap, earliest first
  std::int64_t dayStart = 0;       // hundredths of a second
  double clock = 0.0;               // s since dayStart
  std::array<double, 4> effect{};  // about the clock: sum of effect[j] s^j, s in seconds
  int vehiclesOn = 0;
  int trucksOn = 0;
  DailyMaximum best;
};

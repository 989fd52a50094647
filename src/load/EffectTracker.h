// Load effects of one bridge length, followed exactly through time. Every axle contributes
// its load times each influence line's ordinate at its position; between the moments an
// axle enters, passes a break of a line or leaves, each effect is a polynomial in time
// (straight for straight lines), so its greatest value is found at those moments or, for
// curved lines, where the polynomial turns. Each axle on the bridge waits for its next break
// only, so memory follows the axles on the bridge, not the number of breaks. The clock
// counts seconds from the start of the current day.
#pragma once

#include <array>
#include <cassert>
#include <cstdint>
#include <vector>

#include "base/BinaryHeap.h"
#include "load/FatigueTally.h"
#include "load/InfluenceLine.h"
#include "load/LoadedVehicle.h"
#include "load/RainflowCounter.h"
#include "load/TravelProfile.h"

struct DailyMaximum {
  double value = 0.0;      // the effect's unit
  double timeOfDay = 0.0;  // s from the day's start (may be the day's end)
  int vehicles = 0;        // on the bridge at that moment
  int trucks = 0;
};

// The greatest value of an effect in a day among the moments when a given number of trucks
// is on the bridge; -infinity when there was no such moment.
struct EventMaximum {
  double value = 0.0;      // the effect's unit
  double timeOfDay = 0.0;  // s from the day's start
};

class EffectTracker {
 public:
  // REQUIRES: at least one line, all of one length. With eventClasses K >= 1, each day's
  // greatest values are also kept by the trucks on the bridge: 0, 1, ..., K - 1, and K or
  // more; with 0 they are not.
  explicit EffectTracker(const std::vector<InfluenceLine>& lines, int eventClasses = 0);
  // As above, and each line's history, from 0 on the empty bridge, is also counted in
  // rainflow cycles into a tally with fatigue[line]'s settings (its gate too). Days do not
  // break the history. REQUIRES: one fatigue setting per line.
  EffectTracker(const std::vector<InfluenceLine>& lines, int eventClasses,
                const std::vector<FatigueOfEffect>& fatigue);

  // Takes the next vehicle, stamped no earlier than the last one and within the current
  // day (the first day starts at stamp 0).
  void add(const LoadedVehicle& vehicle);
  // Follows the effects to the day's end and gives each line's greatest value of the day,
  // in the lines' order; the clock then starts the next day, whose first candidate is the
  // effect at its start.
  const std::vector<DailyMaximum>& closeDay();
  // What the last closeDay() gave.
  const std::vector<DailyMaximum>& lastClosedDay() const { return closed; }
  // The closed day's greatest value of `line` while `trucks` trucks (K: K or more) were on
  // the bridge. REQUIRES: eventClasses >= 1 and 0 <= trucks <= eventClasses.
  const EventMaximum& lastClosedEvent(std::size_t line, int trucks) const {
    assert(classesPerLine > 0 && trucks >= 0 && static_cast<std::size_t>(trucks) < classesPerLine);
    return closedEvents[line * classesPerLine + static_cast<std::size_t>(trucks)];
  }
  // With fatigue: follows every vehicle taken until it has left the bridge, then ends each
  // line's history at 0, counting what is still open as half cycles. Nothing may be added
  // or closed after it.
  void finishHistory();
  // With fatigue: the cycles of `line` counted so far.
  const FatigueTally& tally(std::size_t line) const { return tallies[line]; }

 private:
  using Polynomial = std::array<double, 4>;  // sum of p[j] s^j, s in seconds from the clock
  struct Passage {                           // an axle's next break: when it reaches it
    double time;                             // s on the clock
    int vehicle;                             // slot in vehicles
    short axle;
    short breakIndex;
  };
  struct OnBridge {
    LoadedVehicle vehicle;
    double entry = 0.0;         // s on the clock when the first axle enters
    double secondsPerDm = 0.0;  // 1 / speed
    // Each axle's load times (speed in m/s)^j: what a change c[j] of the ordinate per m^j
    // adds to the effect per s^j.
    std::array<std::array<double, 4>, record_layout::maxAxles> loadRates{};
    int axlesLeft = 0;  // axles that have not left the bridge
  };

  double passageTime(const OnBridge& slot, int axle, int breakIndex) const;
  struct EarlierPassage {
    bool operator()(const Passage& a, const Passage& b) const { return a.time < b.time; }
  };
  // Takes the earliest passage: adds its changes, counts the vehicle on or off the bridge
  // and puts the axle's next passage in its place.
  template <bool curved>
  void takeEarliest();
  // Handles every passage before `limit` s, in time order.
  void advanceBefore(double limit);
  template <bool curved>
  void advanceBefore(double limit);
  // Moves the clock to `time`, noting the greatest values on the way there.
  void moveTo(double time);
  // Notes every effect's value now.
  void noteAll(double time);
  void note(std::size_t line, double value, double time, int vehicles, int trucks);
  void startDay();

  std::size_t lineCount;
  std::array<TravelProfile, 2> profiles;  // by direction - 1
  int degree;
  std::vector<OnBridge> vehicles;
  std::vector<int> freeSlots;
  BinaryHeap<Passage, EarlierPassage> passages;  // one for each axle not yet off the bridge
  std::int64_t dayStart = 0;                     // hundredths of a second
  double clock = 0.0;                            // s since dayStart
  std::vector<Polynomial> effects;               // by line
  int vehiclesOn = 0;
  int trucksOn = 0;
  std::vector<DailyMaximum> best;          // by line, this day's so far
  std::vector<DailyMaximum> closed;        // by line, the day closed last
  int topClass;                            // K: the class of K or more trucks; -1 without classes
  std::size_t classesPerLine;              // K + 1, or 0
  std::vector<EventMaximum> events;        // by line and class, this day's so far
  std::vector<EventMaximum> closedEvents;  // by line and class, the day closed last
  std::vector<RainflowCounter> counters;   // by line; empty without fatigue
  std::vector<FatigueTally> tallies;       // by line; empty without fatigue
};

// The greatest value of every load effect in each simulated day, from vehicles taken in
// time order, written as CSV rows under the header
// "effect,day,max,time_s,vehicles_on_bridge,trucks_on_bridge,unit": one row per effect and
// day, the days in order and the effects in the order given. On request, the event maxima
// too, under the header "effect,day,trucks,max,time_s,unit": for each effect, day and
// number of trucks on the bridge (vehicles that are not cars, any axle on it) from 0 to K,
// K meaning K or more, the greatest value among the moments with that many trucks on the
// bridge; empty max and time_s when the day had no such moment. The greatest of a day's
// event rows is that day's maximum. A vehicle's numbers are those its
// record shows; a direction-1 vehicle enters at x = 0, a direction-2 one at the bridge's
// length, and each axle follows the first at the sum of the spacings before it.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "load/EffectTracker.h"
#include "load/InfluenceLine.h"
#include "output/RecordValues.h"

struct LoadEffect {
  std::string name;  // as the rows name it
  InfluenceLine line;
};

struct LoadSettings {
  std::vector<LoadEffect> effects;
  std::vector<double> laneFactors;  // by lane from 1; empty: 1 for every lane
  double unitScale = 1.0;           // effect units per site weight unit (kN per unit)
  bool inKilonewtons = false;       // unitScale converts the site weight unit to kN
  int eventClasses = 4;  // K of the event maxima: 0, 1, ..., K - 1 and K or more trucks
  bool eventClassesGiven = false;  // K was asked for, not left at its default
};

// The unit of an effect's values, as the maxima files name it: "kN·m" for a moment and
// "kN" for a shear when the loads are in kN, else "site weight unit·m" and "site weight
// unit"; for an influence line of one's own, its ordinate's unit times the load
// ("ordinate·kN").
std::string effectUnit(const LoadEffect& effect, const LoadSettings& settings);

class LoadEffectEngine {
 public:
  // Writes the header to out, and the event header to events when given; both must outlive
  // the engine. REQUIRES: at least one effect; with events, settings.eventClasses >= 1.
  LoadEffectEngine(const LoadSettings& settings, std::ostream& out,
                   std::ostream* events = nullptr);

  static const char* header();
  static const char* eventHeader();
  // Takes the next vehicle; first writes the rows of every day that ends before its stamp.
  // False, with *error saying why, for a vehicle stamped before the
  // last one, slower than 1 dm/s, without axles, with a negative weight or spacing, or in a
  // lane that has no lane factor; the engine is then unchanged.
  bool add(const RecordValues& vehicle, std::string* error);
  // Writes the rows of the days up to `days` not yet written. REQUIRES: no vehicle taken
  // was stamped on a later day.
  void finish(int days);
  // Days whose rows have been written.
  int daysWritten() const { return closedDays; }

 private:
  bool loadVehicle(const RecordValues& record, LoadedVehicle* vehicle, std::string* error) const;
  void closeDay();
  void writeEvents(std::size_t effect, const EffectTracker& tracker, std::size_t line);

  struct Place {  // where an effect is followed: its tracker and its line there
    std::size_t tracker;
    std::size_t line;
  };

  LoadSettings settings;
  std::vector<EffectTracker> trackers;  // one for the effects of each bridge length
  std::vector<Place> places;            // by effect
  std::ostream& out;
  std::ostream* events;
  std::vector<std::string> quotedNames;
  std::vector<std::string> quotedUnits;  // by effect
  int closedDays = 0;
  std::int64_t lastStamp = 0;
};

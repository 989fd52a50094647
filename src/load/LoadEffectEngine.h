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
#include <utility>
#include <vector>

#include "load/EffectTracker.h"
#include "load/InfluenceLine.h"
#include "record/RecordValues.h"

struct LoadEffect {
  std::string name;  // as the rows name it
  InfluenceLine line;
  bool ownLine = false;  // an influence line of one's own, whose ordinate has its own unit
  bool force = false;    // a force (a shear), not a moment: in kN rather than kN·m
  // What the effect is, whatever its spelling: the kind and its lengths as numbers
  // ("moment:30:15" for moment:30.0), or the influence line's file; "" when only its name
  // tells it (a line made in memory).
  std::string identity;
  std::string file;  // the influence line's file, for il: effects
};

// What the fatigue count is asked to give, besides the cycles themselves.
struct FatigueSettings {
  double gate = 0.0;      // reversals smaller than this are dropped (effect unit); 0: none
  double rangeBin = 0.0;  // of the spectra (effect unit); 0: each effect's default
  std::vector<double> detailCategories;                       // delta_c, MPa
  std::vector<std::pair<std::string, double>> stressPerUnit;  // effect name, MPa per unit
  double gammaMf = 1.0;
  double gammaFf = 1.0;
  bool gateGiven = false;
  bool gammasGiven = false;
};

struct LoadSettings {
  std::vector<LoadEffect> effects;
  std::vector<double> laneFactors;  // by lane from 1; empty: 1 for every lane
  double unitScale = 1.0;           // effect units per site weight unit (kN per unit)
  bool inKilonewtons = false;       // unitScale converts the site weight unit to kN
  int eventClasses = 4;             // K of the event maxima: 0, 1, ..., K - 1 and K or more trucks
  bool eventClassesGiven = false;   // K was asked for, not left at its default
  FatigueSettings fatigue;
};

// The unit of an effect's values, as the maxima files name it: "kN·m" for a moment and
// "kN" for a force (a shear) when the loads are in kN, else "site weight unit·m" and "site
// weight unit"; for an influence line of one's own, its ordinate's unit times the load
// ("ordinate·kN").
std::string effectUnit(const LoadEffect& effect, const LoadSettings& settings);

// Where the fatigue count's rows go; with neither, nothing is counted.
struct FatigueStreams {
  std::ostream* spectra = nullptr;
  std::ostream* damage = nullptr;
};

class LoadEffectEngine {
 public:
  // Writes the header to out, and the event header to events when given; all streams must
  // outlive the engine. With fatigue streams, every effect's history over all the days is
  // counted in rainflow cycles, and finish() writes the spectra and damage. REQUIRES: at
  // least one effect; with events, settings.eventClasses >= 1; with damage, the damage
  // settings of every effect (as the fatigue options agree).
  LoadEffectEngine(const LoadSettings& settings, std::ostream& out, std::ostream* events = nullptr,
                   FatigueStreams fatigue = {});

  static const char* header();
  static const char* eventHeader();
  // Takes the next vehicle; first writes the rows of every day that ends before its stamp.
  // False, with *error saying why, for a vehicle stamped before the
  // last one, slower than 1 dm/s, without axles, with a negative weight or spacing, or in a
  // lane that has no lane factor; the engine is then unchanged.
  bool add(const RecordValues& vehicle, std::string* error);
  // Writes the rows of the days up to `days` not yet written, and, the first time, the
  // fatigue rows: the history of the vehicles stamped within those days, followed until
  // they have left the bridge (vehicles taken after the days are left out).
  void finish(int days);
  // Days whose rows have been written.
  int daysWritten() const { return closedDays; }

 private:
  bool loadVehicle(const RecordValues& record, LoadedVehicle* vehicle, std::string* error) const;
  void closeDay();
  void writeEvents(std::size_t effect, const EffectTracker& tracker, std::size_t line);
  void writeFatigue();

  struct Place {  // where an effect is followed: its tracker and its line there
    std::size_t tracker;
    std::size_t line;
  };

  LoadSettings settings;
  std::vector<EffectTracker> trackers;  // one for the effects of each bridge length
  // With fatigue, the trackers as the last closed day left them: what the fatigue rows
  // count, so that vehicles taken after the last day reported are left out.
  std::vector<EffectTracker> atDayEnd;
  std::vector<Place> places;  // by effect
  std::ostream& out;
  std::ostream* events;
  FatigueStreams fatigue;
  bool fatigueWritten = false;
  std::vector<std::string> quotedNames;
  std::vector<std::string> quotedUnits;  // by effect
  int closedDays = 0;
  std::int64_t lastStamp = 0;
};

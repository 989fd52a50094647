#include "load/LoadEffectEngine.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "base/Calendar.h"
#include "base/text/CsvField.h"
#include "load/EffectFatigue.h"
#include "load/FatigueRows.h"
#include "record/Vehicle.h"

namespace {

constexpr std::int64_t hundredthsPerDay = calendar::secondsPerDay * 100;

// value with three decimals; a value that rounds to zero reads 0.000, never -0.000.
std::string threeDecimals(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%.3f", value);
  std::string result = text;
  return result == "-0.000" ? "0.000" : result;
}

}  // namespace

LoadEffectEngine::LoadEffectEngine(const LoadSettings& loadSettings, std::ostream& sink,
                                   std::ostream* eventSink, FatigueStreams fatigueSinks)
    : settings(loadSettings), out(sink), events(eventSink), fatigue(fatigueSinks) {
  std::vector<double> lengths;
  std::vector<std::vector<InfluenceLine>> linesOfLength;
  std::vector<FatigueOfEffect> effectFatigue = effect_fatigue::fatigueOfEffects(settings);
  std::vector<std::vector<FatigueOfEffect>> fatigueOfLength;
  for (const LoadEffect& effect : settings.effects) {
    auto length = std::find(lengths.begin(), lengths.end(), effect.line.length());
    if (length == lengths.end()) {
      lengths.push_back(effect.line.length());
      linesOfLength.emplace_back();
      fatigueOfLength.emplace_back();
      length = lengths.end() - 1;
    }
    auto tracker = static_cast<std::size_t>(length - lengths.begin());
    places.push_back({tracker, linesOfLength[tracker].size()});
    linesOfLength[tracker].push_back(effect.line);
    fatigueOfLength[tracker].push_back(effectFatigue[places.size() - 1]);
    quotedNames.push_back(csvField(effect.name));
    quotedUnits.push_back(csvField(effectUnit(effect, settings)));
  }
  int classes = events ? settings.eventClasses : 0;
  bool counting = fatigue.spectra || fatigue.damage;
  for (std::size_t i = 0; i < linesOfLength.size(); ++i) {
    if (counting) {
      trackers.emplace_back(linesOfLength[i], classes, fatigueOfLength[i]);
    } else {
      trackers.emplace_back(linesOfLength[i], classes);
    }
  }
  if (counting) {
    atDayEnd = trackers;
  }
  out << header() << '\n';
  if (events) {
    *events << eventHeader() << '\n';
  }
  if (fatigue.spectra) {
    *fatigue.spectra << fatigue_rows::spectrumHeader() << '\n';
  }
  if (fatigue.damage) {
    *fatigue.damage << fatigue_rows::damageHeader() << '\n';
  }
}

const char* LoadEffectEngine::header() {
  return "effect,day,max,time_s,vehicles_on_bridge,trucks_on_bridge,unit";
}

const char* LoadEffectEngine::eventHeader() {
  return "effect,day,trucks,max,time_s,unit";
}

std::string effectUnit(const LoadEffect& effect, const LoadSettings& settings) {
  std::string load = settings.inKilonewtons ? "kN" : "site weight unit";
  if (effect.ownLine) {
    return "ordinate·" + load;
  }
  return effect.force ? load : load + "·m";
}

bool LoadEffectEngine::loadVehicle(const RecordValues& record, LoadedVehicle* vehicle,
                                   std::string* error) const {
  auto refuse = [error](const std::string& why) {
    *error = why;
    return false;
  };
  std::int64_t stamp = record.stampHundredths();
  if (stamp < lastStamp) {
    return refuse("it is stamped before the vehicle before it; vehicles must come in time order");
  }
  if (stamp >= static_cast<std::int64_t>(Vehicle::latestTime) * 100) {
    return refuse("it is stamped at or beyond " +
                  std::to_string(static_cast<std::int64_t>(Vehicle::latestTime)) +
                  " s, the latest time a stamp holds");
  }
  if (record.speed < 1) {
    return refuse("its speed is " + std::to_string(record.speed) +
                  " dm/s; a vehicle must travel at 1 dm/s or more to cross the bridge");
  }
  if (record.axleCount < 1 || record.axleCount > record_layout::maxAxles) {
    return refuse("it has " + std::to_string(record.axleCount) + " axles; accepted: 1 to " +
                  std::to_string(record_layout::maxAxles));
  }
  if (record.direction != 1 && record.direction != 2) {
    return refuse("its direction is " + std::to_string(record.direction) + "; accepted: 1 or 2");
  }
  double laneFactor = 1.0;
  if (!settings.laneFactors.empty()) {
    if (record.lane < 1 || record.lane > static_cast<int>(settings.laneFactors.size())) {
      return refuse("it is in lane " + std::to_string(record.lane) + ", and --lane-factors gives " +
                    std::to_string(settings.laneFactors.size()) + " lanes");
    }
    laneFactor = settings.laneFactors[static_cast<std::size_t>(record.lane - 1)];
  }
  vehicle->stampHundredths = stamp;
  vehicle->speed = static_cast<double>(record.speed);
  vehicle->direction = record.direction;
  vehicle->isTruck = !record.isCar();
  vehicle->axleCount = record.axleCount;
  double offset = 0.0;
  for (int i = 0; i < record.axleCount; ++i) {
    auto axle = static_cast<std::size_t>(i);
    std::int64_t weight = record.axleWeights[axle];
    std::int64_t spacing = i + 1 < record.axleCount ? record.axleSpacings[axle] : 0;
    if (weight < 0 || spacing < 0) {
      return refuse("axle " + std::to_string(i + 1) + " has a negative weight or spacing");
    }
    vehicle->axleLoads[axle] = laneFactor * static_cast<double>(weight) * settings.unitScale;
    vehicle->axleOffsetsDm[axle] = offset;
    offset += static_cast<double>(spacing);
  }
  return true;
}

bool LoadEffectEngine::add(const RecordValues& record, std::string* error) {
  LoadedVehicle vehicle;
  if (!loadVehicle(record, &vehicle, error)) {
    return false;
  }
  lastStamp = vehicle.stampHundredths;
  while (vehicle.stampHundredths >= (closedDays + std::int64_t{1}) * hundredthsPerDay) {
    closeDay();
  }
  for (EffectTracker& tracker : trackers) {
    tracker.add(vehicle);
  }
  return true;
}

void LoadEffectEngine::finish(int days) {
  while (closedDays < days) {
    closeDay();
  }
  if (!atDayEnd.empty() && !fatigueWritten) {
    writeFatigue();
  }
  out.flush();
  if (events) {
    events->flush();
  }
}

void LoadEffectEngine::writeFatigue() {
  fatigueWritten = true;
  for (EffectTracker& tracker : atDayEnd) {
    tracker.finishHistory();
  }
  for (std::size_t i = 0; i < places.size(); ++i) {
    const FatigueTally& tally = atDayEnd[places[i].tracker].tally(places[i].line);
    if (fatigue.spectra) {
      fatigue_rows::writeSpectrum(*fatigue.spectra, quotedNames[i], quotedUnits[i], tally);
    }
    if (fatigue.damage) {
      fatigue_rows::writeDamage(*fatigue.damage, quotedNames[i], tally);
    }
  }
  for (std::ostream* stream : {fatigue.spectra, fatigue.damage}) {
    if (stream) {
      stream->flush();
    }
  }
}

void LoadEffectEngine::closeDay() {
  double dayStart = static_cast<double>(closedDays) * static_cast<double>(calendar::secondsPerDay);
  ++closedDays;
  for (EffectTracker& tracker : trackers) {
    tracker.closeDay();
  }
  if (!atDayEnd.empty()) {
    atDayEnd = trackers;
  }
  for (std::size_t i = 0; i < places.size(); ++i) {
    const DailyMaximum& day = trackers[places[i].tracker].lastClosedDay()[places[i].line];
    out << quotedNames[i] << ',' << closedDays << ',' << threeDecimals(day.value) << ','
        << threeDecimals(dayStart + day.timeOfDay) << ',' << day.vehicles << ',' << day.trucks
        << ',' << quotedUnits[i] << '\n';
  }
  for (std::size_t i = 0; events && i < places.size(); ++i) {
    writeEvents(i, trackers[places[i].tracker], places[i].line);
  }
}

void LoadEffectEngine::writeEvents(std::size_t effect, const EffectTracker& tracker,
                                   std::size_t line) {
  double dayStart =
      static_cast<double>(closedDays - 1) * static_cast<double>(calendar::secondsPerDay);
  for (int trucks = 0; trucks <= settings.eventClasses; ++trucks) {
    const EventMaximum& event = tracker.lastClosedEvent(line, trucks);
    *events << quotedNames[effect] << ',' << closedDays << ',' << trucks << ',';
    if (std::isfinite(event.value)) {
      *events << threeDecimals(event.value) << ',' << threeDecimals(dayStart + event.timeOfDay);
    } else {
      *events << ',';
    }
    *events << ',' << quotedUnits[effect] << '\n';
  }
}

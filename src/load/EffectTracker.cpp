#include "load/EffectTracker.h"

#include <algorithm>
#include <cassert>
#include <cmath>
#include <limits>

#include "base/Calendar.h"

namespace {

constexpr double secondsPerDay = static_cast<double>(calendar::secondsPerDay);
constexpr std::int64_t hundredthsPerDay = calendar::secondsPerDay * 100;

double valueAt(const std::array<double, 4>& p, double s) {
  return p[0] + s * (p[1] + s * (p[2] + s * p[3]));
}

// The points in (0, span) where the cubic p turns: the roots of its derivative there.
int turningPoints(const std::array<double, 4>& p, double span, double* points) {
  double a = 3.0 * p[3];
  double b = 2.0 * p[2];
  double c = p[1];
  double roots[2];
  int count = 0;
  if (a == 0.0) {
    if (b != 0.0) {
      roots[count++] = -c / b;
    }
  } else {
    double discriminant = b * b - 4.0 * a * c;
    if (discriminant >= 0.0) {
      double q = -0.5 * (b + std::copysign(std::sqrt(discriminant), b));
      roots[count++] = q / a;
      if (q != 0.0) {
        roots[count++] = c / q;
      }
    }
  }
  int inside = 0;
  for (int i = 0; i < count; ++i) {
    if (roots[i] > 0.0 && roots[i] < span) {
      points[inside++] = roots[i];
    }
  }
  return inside;
}

}  // namespace

EffectTracker::EffectTracker(const std::vector<InfluenceLine>& lines, int eventClasses)
    : lineCount(lines.size()),
      profiles{TravelProfile(lines, 1), TravelProfile(lines, 2)},
      degree(std::max(profiles[0].degree(), profiles[1].degree())),
      effects(lines.size(), Polynomial{}),
      best(lines.size()),
      topClass(eventClasses > 0 ? eventClasses : -1),
      classesPerLine(eventClasses > 0 ? static_cast<std::size_t>(eventClasses) + 1 : 0),
      events(lines.size() * classesPerLine) {
  assert(!lines.empty());
  assert(std::all_of(lines.begin(), lines.end(), [&lines](const InfluenceLine& line) {
    return line.length() == lines.front().length();
  }));
  startDay();
}

EffectTracker::EffectTracker(const std::vector<InfluenceLine>& lines, int eventClasses,
                             const std::vector<FatigueOfEffect>& fatigue)
    : EffectTracker(lines, eventClasses) {
  assert(fatigue.size() == lineCount);
  for (const FatigueOfEffect& settings : fatigue) {
    counters.emplace_back(settings.gate);
    tallies.emplace_back(settings);
  }
  for (std::size_t line = 0; line < lineCount; ++line) {
    counters[line].add(0.0, tallies[line]);  // the history starts on the empty bridge
  }
}

double EffectTracker::passageTime(const OnBridge& slot, int axle, int breakIndex) const {
  double distance = profiles[slot.vehicle.direction - 1].distanceDm(breakIndex);
  return slot.entry + (slot.vehicle.axleOffsetsDm[axle] + distance) * slot.secondsPerDm;
}

void EffectTracker::add(const LoadedVehicle& vehicle) {
  double entry = static_cast<double>(vehicle.stampHundredths - dayStart) / 100.0;
  advanceBefore(entry);
  int slot;
  if (freeSlots.empty()) {
    slot = static_cast<int>(vehicles.size());
    vehicles.emplace_back();
  } else {
    slot = freeSlots.back();
    freeSlots.pop_back();
  }
  OnBridge& on = vehicles[static_cast<std::size_t>(slot)];
  on.vehicle = vehicle;
  on.entry = entry;
  on.secondsPerDm = 1.0 / vehicle.speed;
  double metresPerSecond = vehicle.speed / 10.0;
  std::array<double, 4> speedPowers = {1.0, metresPerSecond, metresPerSecond * metresPerSecond,
                                       metresPerSecond * metresPerSecond * metresPerSecond};
  for (int axle = 0; axle < vehicle.axleCount; ++axle) {
    for (std::size_t j = 0; j < 4; ++j) {
      on.loadRates[static_cast<std::size_t>(axle)][j] =
          vehicle.axleLoads[static_cast<std::size_t>(axle)] * speedPowers[j];
    }
  }
  on.axlesLeft = vehicle.axleCount;
  for (int axle = 0; axle < vehicle.axleCount; ++axle) {
    passages.push({passageTime(on, axle, 0), slot, static_cast<short>(axle), 0});
  }
}

void EffectTracker::moveTo(double time) {
  double span = time - clock;
  for (std::size_t line = 0; line < lineCount; ++line) {
    Polynomial& p = effects[line];
    double points[2];
    int count = turningPoints(p, span, points);
    for (int i = 0; i < count; ++i) {
      note(line, valueAt(p, points[i]), clock + points[i], vehiclesOn, trucksOn);
    }
    p = {valueAt(p, span), p[1] + span * (2.0 * p[2] + 3.0 * p[3] * span), p[2] + 3.0 * p[3] * span,
         p[3]};
  }
  clock = time;
}

inline void EffectTracker::note(std::size_t line, double value, double time, int vehicles,
                                int trucks) {
  if (!counters.empty()) {
    counters[line].add(value, tallies[line]);
  }
  if (value > best[line].value) {
    best[line] = {value, time, vehicles, trucks};
  }
  if (topClass >= 0) {
    EventMaximum& event =
        events[line * classesPerLine + static_cast<std::size_t>(std::min(trucks, topClass))];
    if (value > event.value) {
      event = {value, time};
    }
  }
}

inline void EffectTracker::noteAll(double time) {
  for (std::size_t line = 0; line < lineCount; ++line) {
    note(line, effects[line][0], time, vehiclesOn, trucksOn);
  }
}

void EffectTracker::advanceBefore(double limit) {
  if (degree > 1) {
    advanceBefore<true>(limit);
  } else {
    advanceBefore<false>(limit);
  }
}

// The loop that every passage goes through, written out for straight and curved lines.
template <bool curved>
void EffectTracker::advanceBefore(double limit) {
  while (!passages.empty() && passages.top().time < limit) {
    double time = passages.top().time;
    if (curved) {
      moveTo(time);
    } else {
      double span = time - clock;
      for (Polynomial& effect : effects) {
        effect[0] += span * effect[1];  // what the cubic's form gives when its higher terms are 0
      }
      clock = time;
    }
    noteAll(time);  // just before the passages: a jump down may take the greatest value with it
    do {
      takeEarliest<curved>();
    } while (!passages.empty() && passages.top().time == time);
    if (vehiclesOn == 0) {
      // An empty bridge carries nothing, whatever rounding has left.
      std::fill(effects.begin(), effects.end(), Polynomial{});
    }
    noteAll(time);
  }
}

template <bool curved>
void EffectTracker::takeEarliest() {
  Passage& passage = passages.top();
  OnBridge& on = vehicles[static_cast<std::size_t>(passage.vehicle)];
  const TravelProfile& profile = profiles[on.vehicle.direction - 1];
  const std::array<double, 4>& rates = on.loadRates[static_cast<std::size_t>(passage.axle)];
  const TravelProfile::Change* change = &profile.change(passage.breakIndex, 0);
  for (Polynomial& effect : effects) {
    effect[0] += rates[0] * (*change)[0];
    effect[1] += rates[1] * (*change)[1];
    if (curved) {
      effect[2] += rates[2] * (*change)[2];
      effect[3] += rates[3] * (*change)[3];
    }
    ++change;
  }
  int truck = on.vehicle.isTruck ? 1 : 0;
  if (passage.axle == 0 && passage.breakIndex == 0) {
    ++vehiclesOn;
    trucksOn += truck;
  }
  int next = passage.breakIndex + 1;
  if (next < profile.breakCount()) {
    passage.breakIndex = static_cast<short>(next);
    passage.time = passageTime(on, passage.axle, next);
    passages.topChanged();
    return;
  }
  if (passage.axle == on.vehicle.axleCount - 1) {
    --vehiclesOn;
    trucksOn -= truck;
  }
  if (--on.axlesLeft == 0) {
    freeSlots.push_back(passage.vehicle);
  }
  passages.pop();
}

const std::vector<DailyMaximum>& EffectTracker::closeDay() {
  advanceBefore(secondsPerDay);
  moveTo(secondsPerDay);
  noteAll(secondsPerDay);
  closed = best;
  closedEvents = events;
  dayStart += hundredthsPerDay;
  clock = 0.0;
  for (OnBridge& on : vehicles) {
    on.entry = static_cast<double>(on.vehicle.stampHundredths - dayStart) / 100.0;
  }
  for (Passage& passage : passages.all()) {
    passage.time = passageTime(vehicles[static_cast<std::size_t>(passage.vehicle)], passage.axle,
                               passage.breakIndex);
  }
  passages.rebuild();
  startDay();
  return closed;
}

void EffectTracker::finishHistory() {
  advanceBefore(std::numeric_limits<double>::infinity());
  noteAll(clock);  // 0: the bridge is empty
  for (std::size_t line = 0; line < counters.size(); ++line) {
    counters[line].finish(tallies[line]);
  }
}

void EffectTracker::startDay() {
  for (std::size_t line = 0; line < lineCount; ++line) {
    best[line] = {-std::numeric_limits<double>::infinity(), 0.0, 0, 0};
  }
  std::fill(events.begin(), events.end(),
            EventMaximum{-std::numeric_limits<double>::infinity(), 0.0});
  noteAll(0.0);
}

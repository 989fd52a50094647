#include "load/EffectTracker.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "output/Calendar.h"

namespace {

constexpr double secondsPerDay = static_cast<double>(calendar::secondsPerDay);
constexpr std::int64_t hundredthsPerDay = calendar::secondsPerDay * 100;

using Polynomial = std::array<double, 4>;

double valueAt(const Polynomial& p, double s) {
  return p[0] + s * (p[1] + s * (p[2] + s * p[3]));
}

// The points in (0, span) where the cubic p turns: the roots of its derivative there.
int turningPoints(const Polynomial& p, double span, double* points) {
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

EffectTracker::EffectTracker(const InfluenceLine& line)
    : profiles{TravelProfile(line, 1), TravelProfile(line, 2)},
      degree(std::max(profiles[0].degree(), profiles[1].degree())) {
  startDay();
}

double EffectTracker::passageTime(const OnBridge& slot, int axle, int breakIndex) const {
  const TravelBreak& at = profiles[slot.vehicle.direction - 1].breaks()[breakIndex];
  return slot.entry + (slot.vehicle.axleOffsetsDm[axle] + at.distanceDm) / slot.vehicle.speed;
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
  double metresPerSecond = vehicle.speed / 10.0;
  on.speedPowers = {1.0, metresPerSecond, metresPerSecond * metresPerSecond,
                    metresPerSecond * metresPerSecond * metresPerSecond};
  for (int axle = 0; axle < vehicle.axleCount; ++axle) {
    passages.push_back({passageTime(on, axle, 0), slot, axle, 0});
    std::push_heap(passages.begin(), passages.end(), later);
  }
}

void EffectTracker::advanceBefore(double limit) {
  while (!passages.empty() && passages.front().time < limit) {
    double time = passages.front().time;
    moveTo(time);
    while (!passages.empty() && passages.front().time == time) {
      std::pop_heap(passages.begin(), passages.end(), later);
      Passage passage = passages.back();
      passages.pop_back();
      applyPassage(passage);
    }
    if (vehiclesOn == 0) {
      effect = {};  // an empty bridge carries nothing, whatever rounding has left
    }
    note(effect[0], time);
  }
}

void EffectTracker::moveTo(double time) {
  double span = time - clock;
  if (degree > 1) {
    double points[2];
    int count = turningPoints(effect, span, points);
    for (int i = 0; i < count; ++i) {
      note(valueAt(effect, points[i]), clock + points[i]);
    }
  }
  const Polynomial& p = effect;
  Polynomial moved = {valueAt(p, span), p[1] + span * (2.0 * p[2] + 3.0 * p[3] * span),
                      p[2] + 3.0 * p[3] * span, p[3]};
  effect = moved;
  clock = time;
  note(effect[0], time);
}

void EffectTracker::applyPassage(const Passage& passage) {
  OnBridge& on = vehicles[static_cast<std::size_t>(passage.vehicle)];
  const std::vector<TravelBreak>& breaks = profiles[on.vehicle.direction - 1].breaks();
  const TravelBreak& at = breaks[static_cast<std::size_t>(passage.breakIndex)];
  double load = on.vehicle.axleLoads[static_cast<std::size_t>(passage.axle)];
  for (std::size_t j = 0; j < 4; ++j) {
    effect[j] += load * at.change[j] * on.speedPowers[j];
  }
  bool firstAxle = passage.axle == 0;
  bool lastAxle = passage.axle == on.vehicle.axleCount - 1;
  if (firstAxle && passage.breakIndex == 0) {
    ++vehiclesOn;
    trucksOn += on.vehicle.isTruck ? 1 : 0;
  }
  int next = passage.breakIndex + 1;
  if (next < static_cast<int>(breaks.size())) {
    passages.push_back({passageTime(on, passage.axle, next), passage.vehicle, passage.axle, next});
    std::push_heap(passages.begin(), passages.end(), later);
  } else if (lastAxle) {
    --vehiclesOn;
    trucksOn -= on.vehicle.isTruck ? 1 : 0;
    freeSlots.push_back(passage.vehicle);
  }
}

void EffectTracker::note(double value, double time) {
  if (value > best.value) {
    best = {value, time, vehiclesOn, trucksOn};
  }
}

DailyMaximum EffectTracker::closeDay() {
  advanceBefore(secondsPerDay);
  moveTo(secondsPerDay);
  DailyMaximum day = best;
  dayStart += hundredthsPerDay;
  clock = 0.0;
  for (OnBridge& on : vehicles) {
    on.entry = static_cast<double>(on.vehicle.stampHundredths - dayStart) / 100.0;
  }
  for (Passage& passage : passages) {
    passage.time = passageTime(vehicles[static_cast<std::size_t>(passage.vehicle)],
                               passage.axle, passage.breakIndex);
  }
  std::make_heap(passages.begin(), passages.end(), later);
  startDay();
  return day;
}

void EffectTracker::startDay() {
  best = {-std::numeric_limits<double>::infinity(), 0.0, 0, 0};
  note(effect[0], 0.0);
}

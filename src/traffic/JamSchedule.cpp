#include "traffic/JamSchedule.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "base/Calendar.h"
#include "record/Vehicle.h"

namespace {

constexpr double infinity = std::numeric_limits<double>::infinity();
constexpr double secondsPerHour = calendar::secondsPerHour;
constexpr double secondsPerMinute = 60.0;

// A draw of `random` that is finite (its exponential is infinite for a zero word).
double finiteExponential(RandomGenerator& random) {
  double value = random.exponential();
  while (!std::isfinite(value)) {
    value = random.exponential();
  }
  return value;
}

}  // namespace

JamSchedule::JamSchedule(const JamSettings& settings,
                         const std::array<double, TrafficData::hoursPerDay>& directionFlows)
    : perDay(settings.perDay), meanSeconds(settings.meanMinutes * secondsPerMinute) {
  double dailyFlow = 0.0;
  for (double flow : directionFlows) {
    dailyFlow += flow > 0 ? flow : 0.0;
  }
  for (std::size_t hour = 0; hour < hourlyRates.size(); ++hour) {
    double flow = directionFlows[hour] > 0 ? directionFlows[hour] : 0.0;
    hourlyRates[hour] = dailyFlow > 0 ? settings.perDay * (flow / dailyFlow) / secondsPerHour : 0.0;
  }
  random.setExponentialLocation(0.0);
  random.setExponentialScale(1.0);
  nextStart = dailyFlow > 0 ? drawStartAfter(0.0) : infinity;
}

JamSchedule::Spell JamSchedule::spellAt(double time) {
  while (nextStart <= time) {
    addEpisode();
  }
  for (std::size_t i = 0; i < jams.size(); ++i) {
    if (time < jams[i].start) {
      return {false, jams[i].start};
    }
    if (time < jams[i].end) {
      while (i + 1 == jams.size() && nextStart <= jams[i].end) {
        addEpisode();  // an episode that starts before this one ends lengthens the jam
      }
      return {true, jams[i].end};
    }
  }
  return {false, nextStart};
}

void JamSchedule::forgetBefore(double time) {
  while (!jams.empty() && jams.front().end <= time) {
    jams.pop_front();
  }
}

void JamSchedule::addEpisode() {
  double start = nextStart;
  double end = start + finiteExponential(random) * meanSeconds;
  if (!jams.empty() && start <= jams.back().end) {
    jams.back().end = std::max(jams.back().end, end);
  } else {
    jams.push_back({start, end});
  }
  nextStart = drawStartAfter(start);
}

double JamSchedule::drawStartAfter(double from) {
  double remaining = finiteExponential(random);
  double time = from;
  // Every day holds perDay of the rates' integral: whole days are passed over at once, so
  // that rare jams cost no walk through their hours.
  double wholeDays = std::floor(remaining / perDay);
  time += wholeDays * calendar::secondsPerDay;
  remaining = std::max(remaining - wholeDays * perDay, 0.0);
  while (time < Vehicle::latestTime) {  // no run reaches a jam beyond any time stamp
    auto hour = static_cast<long long>(time / secondsPerHour);
    double hourEnd = static_cast<double>(hour + 1) * secondsPerHour;
    double rate = hourlyRates[static_cast<std::size_t>(hour % TrafficData::hoursPerDay)];
    double expected = rate * (hourEnd - time);
    if (expected > 0 && expected >= remaining) {
      return time + remaining / rate;
    }
    remaining -= expected;
    time = hourEnd;
  }
  return infinity;
}

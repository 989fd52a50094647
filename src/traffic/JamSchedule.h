// When one direction of the road is jammed. Episodes start at random, on average
// JamSettings::perDay a day, at a rate in each hour of the day proportional to the
// direction's flow in that hour, so that they gather in the busy hours; each lasts an
// exponentially distributed time of mean JamSettings::meanMinutes. The direction is jammed
// while any episode lasts: episodes that overlap make one jam. The episodes are drawn from the
// process-wide random stream as the lanes first need them, and forgotten once the lanes have
// passed them, so memory does not grow with the days.
#pragma once

#include <array>
#include <deque>

#include "data/TrafficData.h"
#include "random/RandomGenerator.h"
#include "traffic/TrafficPatterns.h"

class JamSchedule {
 public:
  // A stretch of time in one state: jammed or flowing freely, until `end` (s), where the
  // other state begins; infinite when it never does.
  struct Spell {
    bool jammed = false;
    double end = 0.0;
  };

  // directionFlows: the direction's vehicles per hour, all its lanes together, by hour of
  // day. A direction without flow has no jams.
  JamSchedule(const JamSettings& settings,
              const std::array<double, TrafficData::hoursPerDay>& directionFlows);
  JamSchedule(const JamSchedule&) = delete;
  JamSchedule& operator=(const JamSchedule&) = delete;
  virtual ~JamSchedule() = default;

  // The spell that holds `time` (s, from the run's start; jammed from an episode's start up
  // to, not including, its end). May draw.
  // REQUIRES: time is finite, not negative, and not before the last forgetBefore().
  Spell spellAt(double time);
  // The lanes will ask about no time before `time`: the jams that ended by then go.
  void forgetBefore(double time);

 private:
  struct Jam {
    double start = 0.0;
    double end = 0.0;
  };

  void addEpisode();
  // The next episode's start after `from`: the hourly rates' integral from `from` reaches a
  // standard exponential draw.
  double drawStartAfter(double from);

  std::array<double, TrafficData::hoursPerDay> hourlyRates{};  // episodes a second
  double perDay;                                               // episodes a day
  double meanSeconds;                                          // of an episode
  RandomGenerator random;
  std::deque<Jam> jams;  // in time order, disjoint, none ending before the forgotten time
  double nextStart;      // of the first episode not yet drawn
};

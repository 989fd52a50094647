#include <gtest/gtest.h>

#include <array>
#include <cmath>

#include "support/JamReference.h"
#include "support/SeededTest.h"
#include "traffic/JamSchedule.h"

namespace {

using Flows = std::array<double, TrafficData::hoursPerDay>;

// A day with quiet nights, two peaks and no flow at all from 1 to 4 h.
Flows dayProfile() {
  return {50,  0,   0,   0,   80,   300,  900,  1500, 1200, 800, 700, 700,
          750, 700, 750, 900, 1300, 1600, 1100, 700,  400,  250, 150, 100};
}

struct Walk {
  double jammedSeconds = 0.0;
  long long jams = 0;
  std::array<long long, 24> startsByHour{};
};

// Walks the schedule's spells over `days`, as the lanes do, forgetting what lies behind.
Walk walkSchedule(JamSchedule& schedule, int days) {
  Walk walk;
  double end = days * 86400.0;
  for (double time = 0.0; time < end;) {
    schedule.forgetBefore(time);
    JamSchedule::Spell spell = schedule.spellAt(time);
    EXPECT_GT(spell.end, time);
    double until = std::min(spell.end, end);
    if (spell.jammed) {
      walk.jammedSeconds += until - time;
    } else if (spell.end < end) {
      ++walk.jams;
      ++walk.startsByHour[static_cast<std::size_t>(static_cast<long long>(spell.end / 3600.0) %
                                                   24)];
    }
    time = until;
  }
  return walk;
}

class JamScheduleTest : public SeededTest {
 protected:
  JamScheduleTest() : SeededTest(41u) {}
};

TEST_F(JamScheduleTest, ShareOfTimeJammedIsThatOfOverlappingEpisodes) {
  struct Case {
    double perDay;
    double minutes;
  };
  const int days = 20000;
  for (Case c : {Case{1.0, 60.0}, Case{4.0, 120.0}}) {
    JamSchedule schedule({c.perDay, c.minutes}, dayProfile());
    Walk walk = walkSchedule(schedule, days);
    double share = walk.jammedSeconds / (days * 86400.0);
    Flows profile = dayProfile();
    double expected = expectedJammedShare({profile.begin(), profile.end()}, c.perDay, c.minutes);
    // About perDay * days episodes, each of exponential length: the total's relative
    // spread is near sqrt(2 / episodes), 1 % and 0.5 % here; four of them are allowed.
    double spread = std::sqrt(2.0 / (c.perDay * days));
    EXPECT_NEAR(share / expected, 1.0, 4 * spread) << c.perDay << " a day of " << c.minutes;
    EXPECT_LT(expected, c.perDay * c.minutes / 1440.0);  // overlapping episodes make one jam
  }
}

// Short, rare episodes hardly overlap: the jams start in each hour in proportion to its
// flow, none where there is no flow, and last their mean.
TEST_F(JamScheduleTest, JamsGatherInBusyHoursAndLastTheirMean) {
  const int days = 20000;
  JamSchedule schedule({2.0, 5.0}, dayProfile());
  Walk walk = walkSchedule(schedule, days);
  double daily = 0.0;
  for (double flow : dayProfile()) {
    daily += flow;
  }
  for (std::size_t hour = 0; hour < 24; ++hour) {
    double expected = walk.jams * dayProfile()[hour] / daily;
    EXPECT_NEAR(static_cast<double>(walk.startsByHour[hour]), expected, 4 * std::sqrt(expected) + 1)
        << "hour " << hour;
  }
  EXPECT_EQ(walk.startsByHour[1] + walk.startsByHour[2] + walk.startsByHour[3], 0);
  EXPECT_NEAR(static_cast<double>(walk.jams) / days, 2.0, 0.04);
  EXPECT_NEAR(walk.jammedSeconds / walk.jams / 60.0, 5.0, 0.15);
}

TEST_F(JamScheduleTest, DirectionWithoutFlowOrWithRareJamsAnswersAtOnce) {
  JamSchedule still({5.0, 60.0}, Flows{});
  JamSchedule::Spell spell = still.spellAt(1e6);
  EXPECT_FALSE(spell.jammed);
  EXPECT_TRUE(std::isinf(spell.end));

  JamSchedule rare({1e-12, 60.0}, dayProfile());  // one a trillion days: no walk through them
  spell = rare.spellAt(0.0);
  EXPECT_FALSE(spell.jammed);
  EXPECT_GT(spell.end, 1e15);

  JamSchedule vanishing({1e-300, 60.0}, dayProfile());  // rates below the smallest double
  EXPECT_FALSE(vanishing.spellAt(0.0).jammed);
}

TEST_F(JamScheduleTest, SameSeedGivesTheSameJams) {
  auto firstJams = [this] {
    reseed();
    JamSchedule schedule({3.0, 30.0}, dayProfile());
    std::vector<double> edges;
    for (double time = 0.0; edges.size() < 20;) {
      time = schedule.spellAt(time).end;
      edges.push_back(time);
    }
    return edges;
  };
  std::vector<double> first = firstJams();
  EXPECT_EQ(firstJams(), first);
}

}  // namespace

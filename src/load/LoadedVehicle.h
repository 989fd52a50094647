// A vehicle as a load effect sees it: when its first axle is at its entry end, how fast it
// travels, and where and how heavy its axles are.
#pragma once

#include <array>
#include <cstdint>

#include "record/RecordLayout.h"

struct LoadedVehicle {
  std::int64_t stampHundredths = 0;  // its time stamp, in hundredths of a second
  double speed = 0.0;                // dm/s, at least 1
  int direction = 1;                 // 1 or 2
  bool isTruck = false;
  int axleCount = 0;  // 1 to 9
  // Each axle's load (its weight times the lane factor and the unit conversion) and its
  // distance behind the first axle (dm).
  std::array<double, record_layout::maxAxles> axleLoads{};
  std::array<double, record_layout::maxAxles> axleOffsetsDm{};
};

// The fixed values every car is given, in the record's units.
#pragma once

namespace car_record {

constexpr double grossWeight = 20.0;  // weight unit of the site files
constexpr double axleWeight = 10.0;   // weight unit of the site files, each of two axles
constexpr double spacing = 40.0;      // dm
constexpr double length = 40.0;       // dm

}  // namespace car_record

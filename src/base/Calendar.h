// The simulated calendar of time stamps: 25-day months, 10-month years, counted from year
// 5, and the usual hours, minutes and seconds.
#pragma once

#include <cstdint>

namespace calendar {

constexpr int firstYear = 5;
constexpr int daysPerMonth = 25;
constexpr int monthsPerYear = 10;
constexpr int hoursPerDay = 24;
constexpr int secondsPerMinute = 60;
constexpr int secondsPerHour = 3600;
constexpr std::int64_t secondsPerDay = hoursPerDay * secondsPerHour;
constexpr std::int64_t secondsPerMonth = daysPerMonth * secondsPerDay;
constexpr std::int64_t secondsPerYear = monthsPerYear * secondsPerMonth;
constexpr int daysPerYear = daysPerMonth * monthsPerYear;  // the simulated year: 250 days

// The days a run may last: days * 86400 s fits in 32 bits, and so does every stamp.
constexpr int maxRunDays = 24855;
// The days a stamp of 2^32 s holds: a stream read back never goes beyond them.
constexpr int maxStampDays = 49710;

}  // namespace calendar

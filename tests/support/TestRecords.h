// Records made in a test, as a stream would hold them.
#pragma once

#include <cstdint>
#include <vector>

#include "record/RecordValues.h"

// A record stamped `hundredths` after the start of the first day, with its axles' weights
// (site weight unit) and spacings (dm); gross weight and length are their sums.
RecordValues recordAt(long long hundredths, int lane, int direction, std::int64_t speed,
                      const std::vector<std::int64_t>& weights,
                      const std::vector<std::int64_t>& spacings);

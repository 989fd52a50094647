#include "support/TestRecords.h"

RecordValues recordAt(long long hundredths, int lane, int direction, std::int64_t speed,
                      const std::vector<std::int64_t>& weights,
                      const std::vector<std::int64_t>& spacings) {
  RecordValues record;
  long long seconds = hundredths / 100;
  long long days = seconds / 86400;
  record.year = 5 + static_cast<int>(days / 250);
  record.month = 1 + static_cast<int>(days % 250 / 25);
  record.day = 1 + static_cast<int>(days % 25);
  record.hour = static_cast<int>(seconds % 86400 / 3600);
  record.minute = static_cast<int>(seconds % 3600 / 60);
  record.second = static_cast<int>(seconds % 60);
  record.hundredths = static_cast<int>(hundredths % 100);
  record.speed = speed;
  record.lane = lane;
  record.direction = direction;
  record.axleCount = static_cast<int>(weights.size());
  for (std::size_t i = 0; i < weights.size(); ++i) {
    record.axleWeights[i] = weights[i];
    record.grossWeight += weights[i];
    if (i < spacings.size()) {
      record.axleSpacings[i] = spacings[i];
      record.length += spacings[i];
    }
  }
  return record;
}

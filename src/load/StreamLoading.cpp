#include "load/StreamLoading.h"

#include <algorithm>

#include "output/Calendar.h"
#include "output/RecordStream.h"

namespace {

constexpr std::int64_t hundredthsPerDay = calendar::secondsPerDay * 100;

}  // namespace

bool loadStream(std::istream& in, const std::string& name, int days, LoadEffectEngine& engine,
                StreamReading* reading, std::string* error) {
  RecordStream stream(in);
  std::int64_t lastStamp = -1;
  RecordValues record;
  std::string why;
  for (RecordStream::Outcome outcome; (outcome = stream.next(&record, &why)) !=
                                      RecordStream::Outcome::end;) {
    std::string where = name + " line " + std::to_string(stream.lineNumber());
    if (outcome == RecordStream::Outcome::failed) {
      *error = name + " " + why;
      return false;
    }
    if (outcome == RecordStream::Outcome::notRecord) {
      if (!reading->skipBadLines) {
        *error = where + " is not a " + stream.formName() + " record: " + why;
        return false;
      }
      reading->skipped.note("line", std::string("not in the ") + stream.formName() + " record form",
                            stream.lineNumber());
      continue;
    }
    if (days > 0 && record.stampHundredths() >= days * hundredthsPerDay) {
      break;  // past the days asked for
    }
    if (!engine.add(record, &why)) {
      if (!reading->skipBadLines) {
        *error = where + ": " + why;
        return false;
      }
      bool early = record.stampHundredths() < lastStamp;
      reading->skipped.note("record", early ? "out of time order" : "that the load effects cannot take",
                            stream.lineNumber());
      continue;
    }
    lastStamp = record.stampHundredths();
    reading->highestLane = std::max(reading->highestLane, record.lane);
  }
  int lastDay = lastStamp < 0 ? 0 : static_cast<int>(lastStamp / hundredthsPerDay);
  engine.finish(days > 0 ? days : lastDay);
  return true;
}

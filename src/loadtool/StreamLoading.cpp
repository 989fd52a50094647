#include "loadtool/StreamLoading.h"

#include "output/Calendar.h"
#include "output/RecordStream.h"

namespace {

constexpr std::int64_t hundredthsPerDay = calendar::secondsPerDay * 100;

}  // namespace

bool loadStream(std::istream& in, const std::string& name, int days, LoadEffectEngine& engine,
                std::string* error) {
  RecordStream stream(in);
  std::int64_t lastStamp = -1;
  RecordValues record;
  std::string why;
  for (RecordStream::Outcome outcome; (outcome = stream.next(&record, &why)) !=
                                      RecordStream::Outcome::end;) {
    std::string where = "error: " + name + " line " + std::to_string(stream.lineNumber());
    if (outcome == RecordStream::Outcome::failed) {
      *error = "error: " + name + " " + why;
      return false;
    }
    if (outcome == RecordStream::Outcome::notRecord) {
      *error = where + " is not a " + stream.formName() + " record: " + why;
      return false;
    }
    if (days > 0 && record.stampHundredths() >= days * hundredthsPerDay) {
      break;  // past the days asked for
    }
    if (!engine.add(record, &why)) {
      *error = where + ": " + why;
      return false;
    }
    lastStamp = record.stampHundredths();
  }
  int lastDay = lastStamp < 0 ? 0 : static_cast<int>(lastStamp / hundredthsPerDay);
  engine.finish(days > 0 ? days : lastDay);
  return true;
}

#include "load/StreamLoading.h"

#include <algorithm>

#include "base/Calendar.h"
#include "cli/ProgramFrame.h"

namespace {

constexpr std::int64_t hundredthsPerDay = calendar::secondsPerDay * 100;

// A written stream as a source of records.
class StreamSource : public RecordSource {
 public:
  explicit StreamSource(std::istream& in) : stream(in) {}
  RecordStream::Outcome next(RecordValues* record, std::string* why) override {
    return stream.next(record, why);
  }
  std::string place() const override { return "line " + std::to_string(stream.lineNumber()); }
  long long number() const override { return stream.lineNumber(); }
  std::string formName() const override { return stream.formName(); }

 private:
  RecordStream stream;
};

}  // namespace

bool loadRecords(RecordSource& source, const std::string& name, int days, LoadEffectEngine& engine,
                 StreamReading* reading, std::string* error) {
  std::int64_t lastStamp = -1;
  RecordValues record;
  std::string why;
  for (RecordStream::Outcome outcome;
       (outcome = source.next(&record, &why)) != RecordStream::Outcome::end;) {
    if (reading->stop.due()) {
      *error = StopRequest::message;
      return false;
    }
    std::string where = name + " " + source.place();
    if (outcome == RecordStream::Outcome::failed) {
      *error = name + " " + why;
      return false;
    }
    if (outcome == RecordStream::Outcome::notRecord) {
      if (!reading->skipBadLines) {
        *error = where + " is not a " + source.formName() + " record: " + why;
        return false;
      }
      reading->skipped.note("line", "not in the " + source.formName() + " record form",
                            source.number());
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
      reading->skipped.note("record",
                            early ? "out of time order" : "that the load effects cannot take",
                            source.number());
      continue;
    }
    lastStamp = record.stampHundredths();
    reading->highestLane = std::max(reading->highestLane, record.lane);
  }
  int lastDay = lastStamp < 0 ? 0 : static_cast<int>(lastStamp / hundredthsPerDay);
  if (days == 0 && lastDay == 0) {
    // No day to report: the maxima would be a header alone, which no fit can take.
    *error = name + (lastStamp < 0 ? " holds no records" : " ends within its first day") +
             ", so it has no day to report; accepted: a stream of velmora (its last record "
             "is past its last day), or --days N";
    return false;
  }
  engine.finish(days > 0 ? days : lastDay);
  return true;
}

bool loadStream(std::istream& in, const std::string& name, int days, LoadEffectEngine& engine,
                StreamReading* reading, std::string* error) {
  StreamSource source(in);
  return loadRecords(source, name, days, engine, reading, error);
}

bool laneFactorsFitRecords(const LoadSettings& settings, const StreamReading& reading,
                           const std::string& name, std::string* error) {
  std::size_t factors = settings.laneFactors.size();
  if (factors == 0 || factors == static_cast<std::size_t>(reading.highestLane)) {
    return true;
  }
  *error = "--lane-factors gives " +
           program_frame::countOf(static_cast<long long>(factors), "factor") + "; " + name +
           " has " + program_frame::countOf(reading.highestLane, "lane") +
           "; accepted: one factor for every lane";
  return false;
}

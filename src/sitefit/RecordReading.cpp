#include "sitefit/RecordReading.h"

#include <algorithm>
#include <cmath>
#include <fstream>

#include "base/Calendar.h"
#include "cli/InputFile.h"
#include "record/RecordLayout.h"
#include "sitefit/MeasuredRecords.h"
#include "traffic/DrawnQuantity.h"

namespace {

constexpr std::int64_t hundredthsPerDay = calendar::secondsPerDay * 100;

// Reads the records file at path line by line: visit(records, &vehicle) for every record and
// visit(records, nullptr, why) for every line that is none. False, with *error, when the file
// cannot be opened or read.
template <typename Visit>
bool readEachRecord(const RecordsToRead& input, Visit visit, std::string* error) {
  std::ifstream in;
  std::string problem = openInput(input.path, in);
  if (!problem.empty()) {
    *error = "cannot read the records file \"" + input.path + "\": " + problem;
    return false;
  }
  MeasuredRecords records(in, input.siteUnitsPerWeight);
  std::string why;
  if (!records.visitLines([&](const MeasuredVehicle* vehicle,
                              const std::string& reason) { visit(records, vehicle, reason); },
                          &why)) {
    *error = "the records file \"" + input.path + "\" " + why;
    return false;
  }
  return true;
}

}  // namespace

bool findDays(const RecordsToRead& input, DaySpan* span, std::string* error) {
  std::int64_t first = std::numeric_limits<std::int64_t>::max();
  std::int64_t last = -1;
  auto note = [&](const MeasuredRecords& records, const MeasuredVehicle* vehicle,
                  const std::string&) {
    span->dated = records.formName() == "station CSV";
    if (vehicle != nullptr) {
      first = std::min(first, vehicle->day);
      last = std::max(last, vehicle->day);
    }
  };
  if (!readEachRecord(input, note, error)) {
    return false;
  }
  span->first = span->dated ? first : 0;
  span->days = input.days;
  if (span->days == 0) {
    span->days =
        last < 0
            ? 0
            : static_cast<int>(std::min<std::int64_t>(last - span->first, RecordsToRead::maxDays));
  }
  if (span->days < 1) {
    *error = "the records of \"" + input.path +
             "\" do not reach a second day, so no whole day is known; give --days N";
    return false;
  }
  return true;
}

namespace {

// Why a record is left out for its day, or "" when it is not.
std::string leftOutByDay(const MeasuredVehicle& vehicle, const DaySpan& span,
                         const RecordsToRead& input, Reading* reading) {
  std::int64_t day = vehicle.day - span.first;
  if (day < 0 || day >= span.days) {
    return "after the " + std::to_string(span.days) + " days";
  }
  if (vehicle.weekend && !input.allDays) {
    reading->weekendDaysLeftOut.insert(day);
    return "on Saturdays and Sundays (--all-days fits them)";
  }
  return "";
}

// Whether a weight of the record is too large for its field of the record.
bool heavierThanARecordHolds(const RecordValues& values) {
  bool heavy = values.grossWeight > record_layout::largestValue(record_layout::grossWeight);
  for (int axle = 0; axle < values.axleCount && axle < record_layout::maxAxles; ++axle) {
    heavy = heavy || values.axleWeights[static_cast<std::size_t>(axle)] >
                         record_layout::largestOfWidth(record_layout::axleWeightWidth);
  }
  return heavy;
}

// Notes a truck whose axle weights do not add up to its gross weight within 5 %.
void checkAxleSum(const RecordValues& values, long long line, Reading* reading) {
  if (SiteTallies::countsAsCar(values)) {
    return;
  }
  double sum = 0.0;
  for (int axle = 0; axle < values.axleCount && axle < record_layout::maxAxles; ++axle) {
    sum += static_cast<double>(values.axleWeights[static_cast<std::size_t>(axle)]);
  }
  auto gross = static_cast<double>(values.grossWeight);
  if (std::fabs(sum - gross) > 0.05 * gross) {
    reading->noted.note("truck", "whose axle weights miss their gross weight by more than 5 %",
                        line);
  }
}

}  // namespace

bool readRecords(const RecordsToRead& input, const DaySpan& span, SiteTallies* tallies,
                 Reading* reading, std::string* error) {
  auto take = [&](const MeasuredRecords& records, const MeasuredVehicle* vehicle,
                  const std::string& reason) {
    ++reading->lines;
    long long line = records.lineNumber();
    if (vehicle == nullptr) {
      reading->leftOut.note("line", reason, line);
      if (reading->notRecords++ == 0) {
        reading->firstNotRecord = line;
        reading->whyNotRecord = reason;
      }
      return;
    }
    auto gross = static_cast<double>(vehicle->values.grossWeight);
    bool multiAxle = vehicle->values.axleCount > 2;
    reading->multiAxle += multiAxle;
    reading->lightMultiAxle += multiAxle && gross < grossWeightRange.low;
    reading->overweight += gross > heavyGrossWeightRange.high;
    reading->lightest = std::min(reading->lightest, vehicle->values.grossWeight);
    reading->heaviest = std::max(reading->heaviest, vehicle->values.grossWeight);
    std::string why = leftOutByDay(*vehicle, span, input, reading);
    bool byDay = !why.empty();
    if (!byDay && heavierThanARecordHolds(vehicle->values)) {
      why =
          "heavier than a record holds (above 9999 in all or 999 on an axle, in units of the "
          "tables)";
    }
    std::int64_t day = vehicle->day - span.first;
    if (why.empty() &&
        !tallies->add(vehicle->values, day * hundredthsPerDay + vehicle->hundredthsOfDay, &why)) {
      why = "with " + why;
    }
    if (!why.empty()) {
      reading->leftOut.note("record", why, line);
      reading->unfit += !byDay;
      return;
    }
    checkAxleSum(vehicle->values, line, reading);
    reading->fittedDays.insert(day);
    ++reading->records;
  };
  if (!readEachRecord(input, take, error)) {
    return false;
  }
  tallies->finish();
  if (2 * reading->notRecords > reading->lines) {
    *error = "the records file \"" + input.path + "\" has " + std::to_string(reading->notRecords) +
             " lines that are no records among " + std::to_string(reading->lines) +
             " (the first is line " + std::to_string(reading->firstNotRecord) + ": " +
             reading->whyNotRecord +
             "); accepted: a file of records with fewer lines that are none";
    return false;
  }
  return true;
}

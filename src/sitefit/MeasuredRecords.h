// The vehicle records velmora-fit reads, in any of three forms: velmora's fixed-column and
// CSV records (their simulated calendar has working days only), and a station's CSV, told by
// a `datetime` column in its header. A station's header names its columns in any order, with
// velmora's CSV names (`speed_dm_per_s`, `gross_weight`, `axles`, `direction`, `lane`,
// `axle1_weight`, `axle1_spacing_dm`, ...); `datetime` is the local time as ISO 8601
// ("2024-03-05T07:31:22.45", a space for the T, the fraction optional, no zone), and its days
// are real calendar dates. Weights are taken into the site weight unit as they are read.
#pragma once

#include <cstdint>
#include <istream>
#include <string>
#include <vector>

#include "base/BoundedLine.h"
#include "base/Calendar.h"
#include "record/RecordStream.h"
#include "record/RecordValues.h"

// One measured vehicle: its record's numbers, weights in the site weight unit, and when it
// passed. The record's calendar fields are not used.
struct MeasuredVehicle {
  RecordValues values;
  std::int64_t day = 0;              // days from 1970-01-01, or the simulated day from 0
  std::int64_t hundredthsOfDay = 0;  // from midnight
  bool weekend = false;              // a Saturday or Sunday; never in the simulated calendar
};

// "2024-03-05T07:31:22.45" (or with a space, fraction optional) as a day number from
// 1970-01-01 and hundredths of the day, and whether the day is a Saturday or Sunday. False,
// with *why, for anything else; a time zone ("Z", "+01:00") is named as such.
bool readDateTime(const std::string& text, MeasuredVehicle* vehicle, std::string* why);

class MeasuredRecords {
 public:
  // weightFactor: site weight units per unit of the records' weights. REQUIRES: in outlives
  // this and can seek back to its start.
  MeasuredRecords(std::istream& in, double weightFactor) : in(in), weightFactor(weightFactor) {}

  // Reads every line: visit(&vehicle, "") for each record, visit(nullptr, why) for each line
  // that is none. False, with *error, when the records cannot be read at all: a station header
  // that lacks a needed column or has one velmora-fit does not know, a time zone, a read error.
  template <typename Visit>
  bool visitLines(Visit visit, std::string* error);

  long long lineNumber() const { return lines; }
  // "station CSV", "CSV" or "fixed-column".
  std::string formName() const { return formText; }

 private:
  // The station header's columns, by what they hold: -1 for a column it lacks.
  struct Columns {
    int datetime = -1;
    int speed = -1;
    int grossWeight = -1;
    int length = -1;
    int axles = -1;
    int direction = -1;
    int lane = -1;
    int trackWidth = -1;
    std::vector<int> axleWeights;   // axle 1 first
    std::vector<int> axleSpacings;  // behind axle 1 first
    std::size_t count = 0;
  };

  // Why line number is refused as no text (too long, a NUL byte, a read error).
  static std::string refusedLine(long long number, LineRead read);
  bool readHeader(const std::string& header, std::string* error);
  // The station line's vehicle. False, with *why, when it is none; *zone when its datetime
  // has a time zone.
  bool readStationLine(const std::string& line, MeasuredVehicle* vehicle, std::string* why,
                       bool* zone) const;
  void takeWeights(RecordValues* values) const;
  template <typename Visit>
  bool visitVelmoraRecords(Visit visit, std::string* error);

  std::istream& in;
  double weightFactor;
  Columns columns;
  long long lines = 0;
  std::string formText;
};

// The longest line of a station's records that is read: far beyond any vehicle's.
constexpr std::size_t maxStationLineLength = RecordStream::maxLineLength;

// Reads the first line of in into *line, without its line end or a UTF-8 byte-order mark;
// in is left after it.
LineRead firstLineOf(std::istream& in, std::string* line);

template <typename Visit>
bool MeasuredRecords::visitLines(Visit visit, std::string* error) {
  std::string header;
  LineRead first = firstLineOf(in, &header);
  if (first != LineRead::line && first != LineRead::end) {
    *error = refusedLine(1, first);
    return false;
  }
  if (header.find("datetime") == std::string::npos || header.find(',') == std::string::npos) {
    in.clear();
    in.seekg(0);
    return visitVelmoraRecords(visit, error);
  }
  formText = "station CSV";
  lines = 1;
  if (!readHeader(header, error)) {
    return false;
  }
  std::string line;
  for (LineRead read; (read = readBoundedLine(in, &line, maxStationLineLength)) != LineRead::end;) {
    ++lines;
    if (read != LineRead::line) {
      *error = refusedLine(lines, read);
      return false;
    }
    MeasuredVehicle vehicle;
    std::string why;
    bool zone = false;
    if (readStationLine(line, &vehicle, &why, &zone)) {
      visit(&vehicle, why);
    } else if (zone) {
      *error = "line " + std::to_string(lines) + " " + why +
               "; accepted: local time without a zone, as 2024-03-05T07:31:22.45";
      return false;
    } else {
      visit(nullptr, why);
    }
  }
  return true;
}

template <typename Visit>
bool MeasuredRecords::visitVelmoraRecords(Visit visit, std::string* error) {
  RecordStream stream(in);
  std::string why;
  bool read = stream.visitLines(
      [&](const RecordValues* record) {
        lines = stream.lineNumber();
        formText = stream.formName();
        if (record == nullptr) {
          visit(nullptr, std::string("not in the ") + stream.formName() + " record form");
          return;
        }
        MeasuredVehicle vehicle;
        vehicle.values = *record;
        takeWeights(&vehicle.values);
        constexpr std::int64_t hundredthsPerDay = calendar::secondsPerDay * 100;
        vehicle.day = record->stampHundredths() / hundredthsPerDay;
        vehicle.hundredthsOfDay = record->stampHundredths() % hundredthsPerDay;
        visit(&vehicle, "");
      },
      &why);
  if (!read) {
    *error = why;
    if (why.find("a CSV header") != std::string::npos) {
      *error += ", or a station header with a `datetime` column";
    }
  }
  return read;
}

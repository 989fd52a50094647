// One generated vehicle: where and when it arrives, its speed, weights, length and axles,
// and its fixed-column text record. The arrival time is held as a calendar stamp of
// hundredths of a second on 25-day months and 10-month years, starting in year 5.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "record/RecordValues.h"

struct Axle {
  double weight = 0.0;   // same unit as the gross weight
  double spacing = 0.0;  // dm to the next axle; 0 for the last axle
};

class Vehicle {
 public:
  // Room formatRecord and formatCsvRecord need for any record: at most 33 fields of at most
  // 20 characters and a separator each, the zero, and one character that a field may
  // write past its end.
  static constexpr int maxRecordLength = 33 * 21 + 2;
  // s: the times a stamp holds (2^32 s, about 198 simulated years, twice the longest run).
  static constexpr double latestTime = 4294967296.0;

  Vehicle() = default;
  virtual ~Vehicle() = default;

  void setDirection(int value) { direction = value; }  // 1 or 2
  int getDirection() const { return direction; }
  void setLane(int value) { lane = value; }  // lane index + 1
  int getLane() const { return lane; }
  void setSpeed(double value) { speed = value; }  // dm/s
  double getSpeed() const { return speed; }       // dm/s
  void setHeadCode(int value) { headCode = value; }
  void setGvw(double value) { gvw = value; }  // weight unit of the site files
  double getGvw() const { return gvw; }
  void setTrackWidth(double value) { trackWidth = value; }  // m
  // axleCount = n, then n + 1 axle entries of weight and spacing 0 are appended.
  void setAxleCount(int n);
  int getAxleCount() const { return axleCount; }
  void setLength(double value) { length = value; }  // dm
  double getLength() const { return length; }       // dm
  // Weights in the site files' unit, spacings in dm to the next axle.
  // REQUIRES: index below the number of axle entries.
  void setAxleWeight(int index, double value) { axleEntry(index).weight = value; }
  void setAxleSpacing(int index, double value) { axleEntry(index).spacing = value; }
  double getAxleWeight(int index) const { return axleEntry(index).weight; }
  double getAxleSpacing(int index) const { return axleEntry(index).spacing; }

  // Fills the calendar stamp from t seconds since the start of the first day.
  // REQUIRES: 0 <= t < latestTime.
  void setTime(double t);
  // The time the stamp stands for: t cut down to whole hundredths.
  double getTime() const;
  // "day/month/year hour:minute:second", no leading zeros, no hundredths.
  std::string timeText() const;
  // Writes the fixed-column record and a terminating zero (no line end) into buffer, which
  // holds at least maxRecordLength characters. Returns the record's length.
  int formatRecord(char* buffer) const;
  // The same numbers as comma-separated values, in the columns of csvHeader(): the stamp
  // in seconds with two decimals first, no head code, and every axle position.
  int formatCsvRecord(char* buffer) const;
  // The record's numbers as it shows them (rounded, the stamp's fields).
  RecordValues recordValues() const;
  // The CSV form's header line (no line end): column names with their units.
  static std::string csvHeader();

  // Vehicles are made and released millions of times: their storage is kept for reuse
  // (single-threaded, like the rest of the program).
  static void* operator new(std::size_t size);
  static void operator delete(void* storage, std::size_t size);

 private:
  // What the record shows in a leading field from the day to the track width, and in an
  // axle's weight or spacing (0 for an axle the vehicle does not have): the one list of the
  // record's values, from which both forms and recordValues() are written.
  std::int64_t leadingValue(record_layout::Field field) const;
  std::int64_t axleValue(int axle, bool spacing) const;

  // The axle entries live in the vehicle itself (trucks have up to 5 axles, and one entry
  // more) unless there are more than inlineAxleEntries of them.
  static constexpr int inlineAxleEntries = 6;
  Axle& axleEntry(int index) { return axleStorage()[index]; }
  const Axle& axleEntry(int index) const {
    return const_cast<Vehicle*>(this)->axleStorage()[index];
  }
  Axle* axleStorage() { return axleEntries <= inlineAxleEntries ? inlineAxles : extraAxles.data(); }

  int direction = 0;   // 1 or 2
  int lane = 0;        // lane index + 1
  double speed = 0.0;  // dm/s
  int headCode = 0;
  int year = 0;   // from 5
  int month = 0;  // 1 to 10
  int day = 0;    // 1 to 25
  int hour = 0;
  int minute = 0;
  int second = 0;
  int hundredths = 0;
  double gvw = 0.0;         // weight unit of the site files
  double trackWidth = 0.0;  // m
  int axleCount = 0;
  double length = 0.0;  // dm
  int axleEntries = 0;  // axleCount + 1 after setAxleCount
  Axle inlineAxles[inlineAxleEntries];
  std::vector<Axle> extraAxles;  // all entries, once they outgrow inlineAxles

  // The whole seconds of the stamp.
  std::int64_t stampSeconds() const;
  // Fills the calendar fields but hundredths from a whole number of seconds.
  void setCalendar(std::int64_t wholeSeconds);
  // The calendar stamp by repeated division, for times setTime cannot take the fast way.
  void setTimeByDivision(double t);
};

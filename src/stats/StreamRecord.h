// One record of an output file, as far as a stream summary needs it: the fields of the
// first 34 columns. They stand in place but for the lane, which widens the record on
// roads of 10 lanes or more; the axle fields after them may shift right when a value
// outgrows its width.
#pragma once

#include <string>

struct StreamRecord {
  int day = 0;  // 1 to 25
  int month = 0;
  int year = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int hundredths = 0;
  int speed = 0;        // dm/s
  int grossWeight = 0;  // weight unit of the site files
  int length = 0;       // dm
  int axles = 0;
  int direction = 0;  // 1 or 2
  int lane = 0;       // from 1

  // Seconds from the start of the first day.
  double time() const;
  // "day/month/year hour:minute:second.hundredths", the clock zero-padded: "1/1/5 5:09:01.11".
  std::string timeText() const;
  // A car carries the fixed values of the generator: two axles, its gross weight and length.
  bool isCar() const;
};

// Reads line into record. False when the line is not a record: shorter than 77 characters
// (and one more for each lane digit past the first), a field that is not a number in
// place, or a value outside its range.
bool parseRecord(const std::string& line, StreamRecord& record);

// Reads a line of the CSV form (velmora --format csv) into record. False when the line is
// not such a record: not 32 fields, a field that is not a whole number (time_s aside), or
// a value outside its range.
bool parseCsvRecord(const std::string& line, StreamRecord& record);

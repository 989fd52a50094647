// Reads the records of a written stream back into the numbers they show, in either form:
// the fixed-column record, where a value too wide for its field pushes the rest of the
// line right, and the CSV form's lines.
#pragma once

#include <cstdint>
#include <string>

#include "record/RecordValues.h"

// Reads a fixed-column record. A line longer than the record's width holds overflowed
// fields; when they can be split in more than one way, the split whose axle spacings add
// up to the length and whose axle weights add up to the gross weight (within their
// rounding) is taken. False, with *why set, for a line that is not a record or whose
// split the sums leave open.
bool readFixedRecord(const std::string& line, RecordValues* record, std::string* why);

// Reads a line of the CSV form, in the columns of Vehicle::csvHeader(). False, with *why
// set, for a line that is not such a record.
bool readCsvRecord(const std::string& line, RecordValues* record, std::string* why);

// Fills *record from the numbers of one record in record_fields order (from the day to the
// last axle's weight; record_fields::count of them). False, with *why set, for a stamp,
// axle count, direction or lane out of its range.
bool readRecordFields(const std::int64_t* values, RecordValues* record, std::string* why);

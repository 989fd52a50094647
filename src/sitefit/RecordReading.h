// How velmora-fit reads a records file: its days (from the first day's midnight; for dated
// records Monday to Friday unless all days are asked for), the records it leaves out and
// why, and the tallies of those it fits.
#pragma once

#include <cstdint>
#include <limits>
#include <set>
#include <string>

#include "record/SkippedLines.h"
#include "sitefit/SiteTallies.h"

// What to read: the records file, the days to fit and the records' weight unit.
struct RecordsToRead {
  static constexpr int maxDays = 1000000;

  std::string path;
  int days = 0;                     // 0: the days before the last record's
  bool allDays = false;             // Saturdays and Sundays of dated records too
  double siteUnitsPerWeight = 1.0;  // site weight units in one unit of the records' weights
};

// The days of the records: from the first day's midnight, the days before the last record's.
struct DaySpan {
  std::int64_t first = 0;  // the day number of the first day
  int days = 0;
  bool dated = false;  // real calendar dates, with weekends
};

// What reading the records gave beyond the tallies.
struct Reading {
  long long lines = 0;    // records and lines that are none
  long long records = 0;  // fitted
  long long unfit = 0;    // records of the fitted days that fit no table
  long long notRecords = 0;
  long long firstNotRecord = 0;
  std::string whyNotRecord;
  SkippedLines leftOut;
  SkippedLines noted;  // used, but worth a look
  std::set<std::int64_t> fittedDays;
  std::set<std::int64_t> weekendDaysLeftOut;
  long long multiAxle = 0;       // records of 3 axles or more
  long long lightMultiAxle = 0;  // of those, the ones lighter than the lightest truck
  long long overweight = 0;      // records heavier than the heaviest truck
  std::int64_t lightest = std::numeric_limits<std::int64_t>::max();  // gross weights read
  std::int64_t heaviest = std::numeric_limits<std::int64_t>::min();
};

// The days of the records at input, by one reading. False, with *error, when the file cannot
// be read or reaches no second day.
bool findDays(const RecordsToRead& input, DaySpan* span, std::string* error);

// Reads the records of span's days into tallies, and what it leaves out into reading. False,
// with *error, when the file cannot be read, or its lines that are no records are more than
// half its lines.
bool readRecords(const RecordsToRead& input, const DaySpan& span, SiteTallies* tallies,
                 Reading* reading, std::string* error);

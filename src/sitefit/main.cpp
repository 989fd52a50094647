// velmora-fit: a site's tables fitted from its measured vehicle records.
#include <array>
#include <cmath>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <limits>
#include <set>
#include <string>
#include <vector>

#include "cli/ExitStatus.h"
#include "cli/InputFile.h"
#include "cli/OptionParser.h"
#include "cli/OutputFile.h"
#include "cli/ProgramFrame.h"
#include "data/NumberText.h"
#include "data/RunFolderFiles.h"
#include "output/Calendar.h"
#include "output/SkippedLines.h"
#include "run/RunConfig.h"
#include "sitefit/MeasuredRecords.h"
#include "sitefit/SiteTableFiles.h"
#include "sitefit/SiteTallies.h"
#include "traffic/DrawnQuantity.h"

namespace {

namespace fs = std::filesystem;

const char* const program = "velmora-fit";
constexpr int maxDays = 1000000;
constexpr std::int64_t hundredthsPerDay = calendar::secondsPerDay * 100;

const char* const usage =
    "usage: velmora-fit [--days N] [--all-days] [--weight-unit kg|t|kN|site]\n"
    "                   [--catch-up-length M] [--headway-table] -o FOLDER RECORDS\n"
    "\n"
    "Fits a site's tables to its vehicle records and writes FlowR.csv, Class%.csv,\n"
    "GVWpdf.csv, ASall.csv, AW2&3.csv, AW4&5.csv and, when the records have trucks of 6\n"
    "to 9 axles, HV6to9.csv into FOLDER, in the layouts velmora reads; then prints the\n"
    "lane counts and car fraction for VLMin.txt. RECORDS is velmora's fixed-column or CSV\n"
    "form, or a station's CSV: a header that names its columns in any order with\n"
    "velmora's CSV names, and a `datetime` column (2024-03-05T07:31:22.45, local time)\n"
    "for the calendar columns. Cars are records with the car's fixed values or two-axle\n"
    "vehicles below 35 weight units; records that fit no table are counted and left out.\n"
    "The hourly flows are those that the free-flow traffic models need to give the\n"
    "measured headways, allowing for the minimum headways they keep.\n"
    "\n"
    "options:\n"
    "  -o FOLDER            where the site files go (made when missing)\n"
    "  --days N             the records' days from the first day's midnight (default: the\n"
    "                       days before the last record's, which is taken as incomplete)\n"
    "  --all-days           fit Saturdays and Sundays of dated records too (default:\n"
    "                       Monday to Friday, as the simulated year has working days)\n"
    "  --weight-unit UNIT   the records' weights: kg, t, kN or site (default), the unit the\n"
    "                       tables are written in; others are written in units of 100 kg\n"
    "  --catch-up-length M  the catch-up length in m that the runs will use (default 50)\n"
    "  --headway-table      also write NHM.csv, the headway table of traffic model 0\n"
    "  --help, --version\n";

// A weight unit of the records: its name and the site weight units (100 kg) in one of it.
struct WeightUnit {
  const char* name;
  double siteUnits;
};
constexpr double kilogramsPerKilonewton = 1000.0 / 9.80665;
const WeightUnit weightUnits[] = {
    {"site", 1.0}, {"kg", 0.01}, {"t", 10.0}, {"kN", kilogramsPerKilonewton / 100.0}};

struct Options {
  std::string records;
  std::string folder;
  int days = 0;                                      // 0: from the records
  double catchUpLength = RunConfig::defaultCatchUpLength;  // m
  bool headwayTable = false;
  bool allDays = false;
  WeightUnit weightUnit = weightUnits[0];
};

bool readCatchUpLength(const std::string& text, double* metres) {
  return readNumberText(text, metres) && *metres >= 0 && *metres <= RunConfig::maxDistance;
}

bool refuse(const std::string& message, std::string* error) {
  *error = message;
  return false;
}

bool takeOption(const GivenOption& option, Options* options, std::string* error) {
  const std::string& text = option.value;
  if (option.name == "--headway-table") {
    options->headwayTable = true;
  } else if (option.name == "--all-days") {
    options->allDays = true;
  } else if (option.name == "--weight-unit") {
    for (const WeightUnit& unit : weightUnits) {
      options->weightUnit = text == unit.name ? unit : options->weightUnit;
    }
    if (text != options->weightUnit.name) {
      return refuse("--weight-unit is \"" + text + "\"; accepted: kg, t, kN or site", error);
    }
  } else if (option.name == "-o") {
    options->folder = text;
  } else if (option.name == "--days") {
    long long days = 0;
    if (!readWholeText(text, 1, maxDays, &days)) {
      return refuse("--days is \"" + text + "\"; accepted: a whole number from 1 to " +
                        std::to_string(maxDays),
                    error);
    }
    options->days = static_cast<int>(days);
  } else if (!readCatchUpLength(text, &options->catchUpLength)) {
    return refuse("--catch-up-length is \"" + text + "\"; accepted: 0 to " +
                      std::to_string(static_cast<int>(RunConfig::maxDistance)) + " m",
                  error);
  }
  return true;
}

bool readOptions(const CommandArguments& given, Options* options, std::string* error) {
  for (const GivenOption& option : given.options) {
    if (!takeOption(option, options, error)) {
      return false;
    }
  }
  if (given.operands.size() > 1) {
    return refuse("velmora-fit takes one records file; found \"" + given.operands[0] +
                      "\" and \"" + given.operands[1] + "\"",
                  error);
  }
  if (given.operands.empty() || options->folder.empty()) {
    return refuse("velmora-fit needs a records file and -o FOLDER", error);
  }
  options->records = given.operands[0];
  return true;
}

// The tables about to be written replace no input: the records are not in the folder under
// a table's name, nor linked there.
bool tablesSpareTheRecords(const Options& options, std::string* error) {
  std::error_code failure;
  if (fs::exists(options.folder, failure) && !fs::is_directory(options.folder, failure)) {
    return refuse("-o is \"" + options.folder + "\", which is a file; accepted: a folder",
                  error);
  }
  if (!fs::is_directory(options.folder, failure)) {
    return true;  // made new, so nothing in it can be an input
  }
  std::vector<OutputRequest> outputs;
  for (const std::string& name : siteTableNames(options.headwayTable)) {
    outputs.push_back({"-o", options.folder + "/" + name});
  }
  return checkOutputs(outputs, {options.records}, error);
}

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

// Reads the records file at path line by line: visit(records, &vehicle) for every record and
// visit(records, nullptr, why) for every line that is none. False, with *error, when the file
// cannot be opened or read.
template <typename Visit>
bool readEachRecord(const Options& options, Visit visit, std::string* error) {
  std::ifstream in;
  std::string problem = openInput(options.records, in);
  if (!problem.empty()) {
    *error = "cannot read the records file \"" + options.records + "\": " + problem;
    return false;
  }
  MeasuredRecords records(in, options.weightUnit.siteUnits);
  std::string why;
  if (!records.visitLines(
          [&](const MeasuredVehicle* vehicle, const std::string& reason) {
            visit(records, vehicle, reason);
          },
          &why)) {
    *error = "the records file \"" + options.records + "\" " + why;
    return false;
  }
  return true;
}

bool findDays(const Options& options, DaySpan* span, std::string* error) {
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
  if (!readEachRecord(options, note, error)) {
    return false;
  }
  span->first = span->dated ? first : 0;
  span->days = options.days;
  if (span->days == 0) {
    span->days = last < 0 ? 0 : static_cast<int>(std::min<std::int64_t>(last - span->first, maxDays));
  }
  if (span->days < 1) {
    *error = "the records of \"" + options.records +
             "\" do not reach a second day, so no whole day is known; give --days N";
    return false;
  }
  return true;
}

// Why a record is left out for its day, or "" when it is not.
std::string leftOutByDay(const MeasuredVehicle& vehicle, const DaySpan& span,
                         const Options& options, Reading* reading) {
  std::int64_t day = vehicle.day - span.first;
  if (day < 0 || day >= span.days) {
    return "after the " + std::to_string(span.days) + " days";
  }
  if (vehicle.weekend && !options.allDays) {
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

bool readRecords(const Options& options, const DaySpan& span, SiteTallies* tallies,
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
    std::string why = leftOutByDay(*vehicle, span, options, reading);
    bool byDay = !why.empty();
    if (!byDay && heavierThanARecordHolds(vehicle->values)) {
      why = "heavier than a record holds (above 9999 in all or 999 on an axle, in units of the "
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
  if (!readEachRecord(options, take, error)) {
    return false;
  }
  tallies->finish();
  if (2 * reading->notRecords > reading->lines) {
    *error = "the records file \"" + options.records + "\" has " +
             std::to_string(reading->notRecords) + " lines that are no records among " +
             std::to_string(reading->lines) + " (the first is line " +
             std::to_string(reading->firstNotRecord) + ": " + reading->whyNotRecord +
             "); accepted: a file of records with fewer lines that are none";
    return false;
  }
  return true;
}
std::string listOf(const std::vector<std::string>& names) {
  std::string text;
  for (std::size_t i = 0; i < names.size(); ++i) {
    text += (i == 0 ? "" : i + 1 == names.size() ? " and " : ", ") + names[i];
  }
  return text;
}

// The days fitted, by kind, for records of real calendar dates.
std::string daysText(const Reading& reading, const Options& options) {
  std::string text =
      "Days: " + program_frame::countOf(static_cast<long long>(reading.fittedDays.size()), "day") +
      (options.allDays ? " fitted, Saturdays and Sundays included" : " fitted, Monday to Friday");
  if (!reading.weekendDaysLeftOut.empty()) {
    text += "; " +
            program_frame::countOf(static_cast<long long>(reading.weekendDaysLeftOut.size()),
                                   "Saturday or Sunday", "Saturdays and Sundays") +
            " left out (--all-days fits them)";
  }
  return text + "\n";
}

// The lanes whose records miss some of the fitted days.
std::string laneDaysText(const SiteTallies& tallies, int days) {
  std::string text;
  for (std::size_t lane = 0; lane < tallies.lanes().size(); ++lane) {
    auto laneDays = static_cast<int>(tallies.lanes()[lane].days.size());
    if (laneDays < days) {
      text += "Lane " + std::to_string(lane + 1) + " has records on " + std::to_string(laneDays) +
              " of the " + std::to_string(days) + " days: its flows are taken from those\n";
    }
  }
  return text;
}

std::string orderText(const SiteTallies& tallies) {
  if (tallies.outOfOrder() == 0) {
    return "";
  }
  std::string text = "Put " + program_frame::countOf(tallies.outOfOrder(), "record") +
                     " that came out of time order within their lane in time order";
  if (tallies.tooLate() > 0) {
    text += "; " + program_frame::countOf(tallies.tooLate(), "record") +
            " came too late and give no headway";
  }
  return text + "\n";
}

void report(const Reading& reading, const SiteTallies& tallies, const SiteTables& tables,
            const DaySpan& span, int days, const Options& options,
            const std::vector<std::string>& warnings) {
  std::cout << "Fitted " << reading.records << " records over " << days
            << " days: " << tallies.cars() << " cars, " << tallies.trucks() << " trucks\n";
  std::cout << (span.dated ? daysText(reading, options) : "") << laneDaysText(tallies, days)
            << reading.leftOut.report("Left out") << reading.noted.report("Kept")
            << orderText(tallies);
  std::cout << "Wrote " << listOf(writtenTableNames(tables)) << " into \"" << options.folder
            << "\"" << (options.weightUnit.siteUnits != 1.0 ? ", weights in units of 100 kg" : "")
            << "\n"
            << "For VLMin.txt: lanes in direction 1 " << tables.lanesDir1
            << ", lanes in direction 2 " << tables.lanesDir2 << ", car fraction "
            << std::setprecision(4) << tables.carFraction << "\n";
  for (const std::string& warning : warnings) {
    std::cerr << "warning: " << warning << "\n";
  }
}

// Why the records make no site, with the unit their gross weights suggest.
std::string unusableText(const Reading& reading, const SiteTallies& tallies,
                         const Options& options) {
  std::string text = tallies.trucks() == 0
                         ? "the records hold no trucks"
                         : "most records fit no table: " + std::to_string(reading.unfit) +
                               " left out for what they hold, " +
                               std::to_string(reading.records) + " fitted";
  long long vehicles = reading.lines - reading.notRecords;
  if (vehicles > 0) {
    text += "; their gross weights run from " + std::to_string(reading.lightest) + " to " +
            std::to_string(reading.heaviest) + " in the unit " + options.weightUnit.name;
  }
  if (2 * reading.overweight > vehicles) {
    text += ", most above " + numberText(heavyGrossWeightRange.high) +
            ": if they are in kg, give --weight-unit kg";
  } else if (2 * reading.lightMultiAxle > reading.multiAxle && reading.multiAxle > 0) {
    text += ", most of 3 axles or more below " + numberText(grossWeightRange.low) +
            ": if they are in t, give --weight-unit t";
  }
  return text + "; accepted: trucks of 2 to 9 axles weighing " + rangeText(grossWeightRange) +
         " (2 to 5 axles) or " + rangeText(heavyGrossWeightRange) +
         " (6 to 9 axles) site weight units";
}

// A fit without trucks of 6 to 9 axles leaves no table of them from an earlier fit behind.
bool removeEarlierHeavyTable(const SiteTables& tables, const Options& options,
                             std::string* error) {
  std::string path = options.folder + "/" + run_folder_files::heavyTrucks;
  std::error_code failure;
  if (tables.heavyTrucks || !fs::exists(path, failure)) {
    return true;
  }
  if (!fs::remove(path, failure)) {
    *error = "cannot remove the earlier " + std::string(run_folder_files::heavyTrucks) + " \"" +
             path + "\": " + failure.message();
    return false;
  }
  std::cout << "Removed the earlier " << run_folder_files::heavyTrucks
            << ": these records have no trucks of 6 to 9 axles\n";
  return true;
}

int fitSite(const Options& options) {
  std::string error;
  DaySpan span;
  SiteTallies tallies(options.catchUpLength);
  Reading reading;
  SiteTables tables;
  std::vector<std::string> warnings;
  if (!tablesSpareTheRecords(options, &error) || !findDays(options, &span, &error) ||
      !readRecords(options, span, &tallies, &reading, &error)) {
    return program_frame::report(error, exit_status::refused);
  }
  int days = span.dated ? static_cast<int>(reading.fittedDays.size()) : span.days;
  if (tallies.trucks() == 0 || reading.unfit > reading.records) {
    return program_frame::report(unusableText(reading, tallies, options), exit_status::refused);
  }
  if (!fitSiteTables(tallies, days, options.headwayTable, &tables, &warnings, &error)) {
    return program_frame::report(error, exit_status::refused);
  }
  std::error_code failure;
  fs::create_directories(options.folder, failure);
  if (failure) {
    return program_frame::report("cannot make the folder \"" + options.folder +
                                     "\": " + failure.message(),
                                 exit_status::failure);
  }
  if (!writeSiteTables(tables, options.folder, &error) ||
      !removeEarlierHeavyTable(tables, options, &error)) {
    return program_frame::report(error, exit_status::failure);
  }
  report(reading, tallies, tables, span, days, options, warnings);
  return program_frame::finishConsole();
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<KnownOption> known = {{"-o", true, "a folder"},
                                         {"--days", true},
                                         {"--all-days", false},
                                         {"--weight-unit", true, "kg, t, kN or site"},
                                         {"--catch-up-length", true},
                                         {"--headway-table", false}};
  return program_frame::runTool<Options>(std::vector<std::string>(argv + 1, argv + argc), program,
                                        usage, known, readOptions, fitSite);
}

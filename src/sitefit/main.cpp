// velmora-fit: a site's tables fitted from its measured vehicle records.
#include <cstdint>
#include <filesystem>
#include <iomanip>
#include <iostream>
#include <string>
#include <vector>

#include "base/Refusal.h"
#include "base/text/NumberText.h"
#include "cli/ExitStatus.h"
#include "cli/OptionParser.h"
#include "cli/OutputFile.h"
#include "cli/ProgramFrame.h"
#include "data/RunFolderFiles.h"
#include "run/RunConfig.h"
#include "sitefit/RecordReading.h"
#include "sitefit/SiteTableFiles.h"
#include "sitefit/SiteTallies.h"
#include "traffic/DrawnQuantity.h"

namespace {

namespace fs = std::filesystem;

const char* const program = "velmora-fit";

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
  RecordsToRead input;
  std::string folder;
  double catchUpLength = RunConfig::defaultCatchUpLength;  // m
  bool headwayTable = false;
  WeightUnit weightUnit = weightUnits[0];
};

bool readCatchUpLength(const std::string& text, double* metres) {
  return readNumberText(text, metres) && *metres >= 0 && *metres <= RunConfig::maxDistance;
}

bool takeOption(const GivenOption& option, Options* options, std::string* error) {
  const std::string& text = option.value;
  if (option.name == "--headway-table") {
    options->headwayTable = true;
  } else if (option.name == "--all-days") {
    options->input.allDays = true;
  } else if (option.name == "--weight-unit") {
    for (const WeightUnit& unit : weightUnits) {
      options->weightUnit = text == unit.name ? unit : options->weightUnit;
    }
    if (text != options->weightUnit.name) {
      return refuse("--weight-unit is \"" + text + "\"; accepted: kg, t, kN or site", error);
    }
    options->input.siteUnitsPerWeight = options->weightUnit.siteUnits;
  } else if (option.name == "-o") {
    options->folder = text;
  } else if (option.name == "--days") {
    long long days = 0;
    if (!readWholeText(text, 1, RecordsToRead::maxDays, &days)) {
      return refuse("--days is \"" + text + "\"; accepted: a whole number from 1 to " +
                        std::to_string(RecordsToRead::maxDays),
                    error);
    }
    options->input.days = static_cast<int>(days);
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
    return refuse("velmora-fit takes one records file; found \"" + given.operands[0] + "\" and \"" +
                      given.operands[1] + "\"",
                  error);
  }
  if (given.operands.empty() || options->folder.empty()) {
    return refuse("velmora-fit needs a records file and -o FOLDER", error);
  }
  options->input.path = given.operands[0];
  return true;
}

// The tables about to be written replace no input: the records are not in the folder under
// a table's name, nor linked there.
bool tablesSpareTheRecords(const Options& options, std::string* error) {
  std::error_code failure;
  if (fs::exists(options.folder, failure) && !fs::is_directory(options.folder, failure)) {
    return refuse("-o is \"" + options.folder + "\", which is a file; accepted: a folder", error);
  }
  if (!fs::is_directory(options.folder, failure)) {
    return true;  // made new, so nothing in it can be an input
  }
  std::vector<OutputRequest> outputs;
  for (const std::string& name : siteTableNames(options.headwayTable)) {
    outputs.push_back({"-o", options.folder + "/" + name});
  }
  return checkOutputs(outputs, {options.input.path}, error);
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
      (options.input.allDays ? " fitted, Saturdays and Sundays included"
                             : " fitted, Monday to Friday");
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
  std::cout << "Wrote " << listOf(writtenTableNames(tables)) << " into \"" << options.folder << "\""
            << (options.weightUnit.siteUnits != 1.0 ? ", weights in units of 100 kg" : "") << "\n"
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
                               " left out for what they hold, " + std::to_string(reading.records) +
                               " fitted";
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
bool removeEarlierHeavyTable(const SiteTables& tables, const Options& options, std::string* error) {
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
  if (!tablesSpareTheRecords(options, &error) || !findDays(options.input, &span, &error) ||
      !readRecords(options.input, span, &tallies, &reading, &error)) {
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
    return program_frame::report(
        "cannot make the folder \"" + options.folder + "\": " + failure.message(),
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
  const std::vector<KnownOption> known = {
      {"-o", true, "a folder"},    {"--days", true},
      {"--all-days", false},       {"--weight-unit", true, "kg, t, kN or site"},
      {"--catch-up-length", true}, {"--headway-table", false}};
  return program_frame::runTool<Options>(std::vector<std::string>(argv + 1, argv + argc), program,
                                         usage, known, readOptions, fitSite);
}

// velmora-fit: a site's tables fitted from its measured vehicle records.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <string>
#include <vector>

#include "cli/ExitStatus.h"
#include "cli/InputFile.h"
#include "cli/OptionParser.h"
#include "cli/OutputFile.h"
#include "cli/ProgramFrame.h"
#include "data/NumberText.h"
#include "output/Calendar.h"
#include "output/SkippedLines.h"
#include "output/RecordStream.h"
#include "run/RunConfig.h"
#include "sitefit/SiteTableFiles.h"
#include "sitefit/SiteTallies.h"

namespace {

namespace fs = std::filesystem;

const char* const program = "velmora-fit";
constexpr int maxDays = 1000000;
constexpr std::int64_t hundredthsPerDay = calendar::secondsPerDay * 100;

const char* const usage =
    "usage: velmora-fit [--days N] [--catch-up-length M] [--headway-table] -o FOLDER RECORDS\n"
    "\n"
    "Fits a site's tables to its vehicle records (velmora's fixed-column or CSV form, told\n"
    "by the CSV header line) and writes FlowR.csv, Class%.csv, GVWpdf.csv, ASall.csv,\n"
    "AW2&3.csv and AW4&5.csv into FOLDER, in the layouts velmora reads; then prints the lane\n"
    "counts and car fraction for VLMin.txt. Cars are records with the car's fixed values or\n"
    "two-axle vehicles below 35 weight units; records that fit no table are counted and left\n"
    "out. The hourly flows are those that the free-flow traffic models need to give the\n"
    "measured headways, allowing for the minimum headways they keep.\n"
    "\n"
    "options:\n"
    "  -o FOLDER            where the site files go (made when missing)\n"
    "  --days N             the records' days from the first day's midnight (default: the\n"
    "                       days before the last record's, which is taken as incomplete)\n"
    "  --catch-up-length M  the catch-up length in m that the runs will use (default 50)\n"
    "  --headway-table      also write NHM.csv, the headway table of traffic model 0\n"
    "  --help, --version\n";

struct Options {
  std::string records;
  std::string folder;
  int days = 0;                                      // 0: from the records
  double catchUpLength = RunConfig::defaultCatchUpLength;  // m
  bool headwayTable = false;
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

// What reading the records gave beyond the tallies.
struct Reading {
  long long records = 0;
  SkippedLines leftOut;
};

// Reads the records file at path line by line: visit(stream, record) for every record, and
// visit(stream, nullptr) for every line that is no record. False, with *error, when the file
// cannot be opened or read to its end.
template <typename Visit>
bool readEachRecord(const std::string& path, Visit visit, std::string* error) {
  std::ifstream in;
  std::string problem = openInput(path, in);
  if (!problem.empty()) {
    *error = "cannot read the records file \"" + path + "\": " + problem;
    return false;
  }
  RecordStream stream(in);
  std::string why;
  if (!stream.visitLines([&](const RecordValues* record) { visit(stream, record); }, &why)) {
    *error = "the records file \"" + path + "\" " + why;
    return false;
  }
  return true;
}

// The days of the records: those before the day of the last record.
bool countDays(const std::string& path, int* days, std::string* error) {
  std::int64_t last = -1;
  auto latest = [&](const RecordStream&, const RecordValues* record) {
    last = record ? std::max(last, record->stampHundredths()) : last;
  };
  if (!readEachRecord(path, latest, error)) {
    return false;
  }
  *days = last < 0 ? 0 : static_cast<int>(last / hundredthsPerDay);
  if (*days < 1) {
    *error = "the records of \"" + path +
             "\" do not reach a second day, so no whole day is known; give --days N";
    return false;
  }
  return true;
}

bool readRecords(const std::string& path, int days, SiteTallies* tallies, Reading* reading,
                 std::string* error) {
  auto take = [&](const RecordStream& stream, const RecordValues* record) {
    std::string why;
    long long line = stream.lineNumber();
    if (record == nullptr) {
      reading->leftOut.note("line", std::string("not in the ") + stream.formName() + " record form",
                            line);
    } else if (record->stampHundredths() >= days * hundredthsPerDay) {
      reading->leftOut.note("record", "after the " + std::to_string(days) + " days", line);
    } else if (!tallies->add(*record, &why)) {
      reading->leftOut.note("record", "with " + why, line);
    } else {
      ++reading->records;
    }
  };
  return readEachRecord(path, take, error);
}

void report(const Reading& reading, const SiteTallies& tallies, const SiteTables& tables, int days,
            const Options& options, const std::vector<std::string>& warnings) {
  std::cout << "Fitted " << reading.records << " records over " << days
            << " days: " << tallies.cars() << " cars, " << tallies.trucks() << " trucks\n";
  std::cout << reading.leftOut.report("Left out");
  std::cout << "Wrote FlowR.csv, Class%.csv, GVWpdf.csv, ASall.csv, AW2&3.csv"
            << (tables.headwayRows.empty() ? " and AW4&5.csv" : ", AW4&5.csv and NHM.csv")
            << " into \"" << options.folder << "\"\n"
            << "For VLMin.txt: lanes in direction 1 " << tables.lanesDir1
            << ", lanes in direction 2 " << tables.lanesDir2 << ", car fraction "
            << std::setprecision(4) << tables.carFraction << "\n";
  for (const std::string& warning : warnings) {
    std::cerr << "warning: " << warning << "\n";
  }
}

int fitSite(const Options& options) {
  std::string error;
  int days = options.days;
  SiteTallies tallies(options.catchUpLength);
  Reading reading;
  SiteTables tables;
  std::vector<std::string> warnings;
  if (!tablesSpareTheRecords(options, &error) ||
      (days == 0 && !countDays(options.records, &days, &error)) ||
      !readRecords(options.records, days, &tallies, &reading, &error) ||
      !fitSiteTables(tallies, days, options.headwayTable, &tables, &warnings, &error)) {
    return program_frame::report(error, exit_status::refused);
  }
  std::error_code failure;
  fs::create_directories(options.folder, failure);
  if (failure) {
    return program_frame::report("cannot make the folder \"" + options.folder +
                                     "\": " + failure.message(),
                                 exit_status::failure);
  }
  if (!writeSiteTables(tables, options.folder, &error)) {
    return program_frame::report(error, exit_status::failure);
  }
  report(reading, tallies, tables, days, options, warnings);
  return program_frame::finishConsole();
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<KnownOption> known = {{"-o", true, "a folder"},
                                         {"--days", true},
                                         {"--catch-up-length", true},
                                         {"--headway-table", false}};
  return program_frame::runTool<Options>(std::vector<std::string>(argv + 1, argv + argc), program,
                                        usage, known, readOptions, fitSite);
}

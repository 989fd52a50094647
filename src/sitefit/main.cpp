// velmora-fit: a site's tables fitted from its measured vehicle records.
#include <charconv>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <iostream>
#include <map>
#include <string>
#include <vector>

#include "output/Calendar.h"
#include "output/RecordStream.h"
#include "run/RunConfig.h"
#include "sitefit/SiteTableFiles.h"
#include "sitefit/SiteTallies.h"

namespace {

constexpr int exitRefused = 2;
constexpr int exitFailure = 1;
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
  double catchUpLength = RunConfig().catchUpLength;  // m
  bool headwayTable = false;
};

bool readCatchUpLength(const std::string& text, double* metres) {
  auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), *metres);
  return status == std::errc() && end == text.data() + text.size() && *metres >= 0 &&
         *metres <= RunConfig::maxDistance;
}

bool parseOptions(const std::vector<std::string>& arguments, Options* options, std::string* error) {
  for (std::size_t i = 0; i < arguments.size(); ++i) {
    const std::string& argument = arguments[i];
    bool takesValue = argument == "-o" || argument == "--days" || argument == "--catch-up-length";
    if (takesValue && i + 1 >= arguments.size()) {
      *error = "error: " + argument + " needs a value";
      return false;
    }
    if (argument == "--headway-table") {
      options->headwayTable = true;
    } else if (argument == "-o") {
      options->folder = arguments[++i];
    } else if (argument == "--days") {
      const std::string& text = arguments[++i];
      auto [end, status] = std::from_chars(text.data(), text.data() + text.size(), options->days);
      if (status != std::errc() || end != text.data() + text.size() || options->days < 1 ||
          options->days > maxDays) {
        *error = "error: --days is \"" + text + "\"; accepted: a whole number from 1 to " +
                 std::to_string(maxDays);
        return false;
      }
    } else if (argument == "--catch-up-length") {
      const std::string& text = arguments[++i];
      if (!readCatchUpLength(text, &options->catchUpLength)) {
        *error = "error: --catch-up-length is \"" + text + "\"; accepted: 0 to " +
                 std::to_string(static_cast<int>(RunConfig::maxDistance)) + " m";
        return false;
      }
    } else if (argument.size() > 1 && argument[0] == '-') {
      *error = "error: unknown option \"" + argument + "\"";
      return false;
    } else if (options->records.empty()) {
      options->records = argument;
    } else {
      *error = "error: velmora-fit takes one records file; found \"" + options->records +
               "\" and \"" + argument + "\"";
      return false;
    }
  }
  if (options->records.empty() || options->folder.empty()) {
    *error = "error: velmora-fit needs a records file and -o FOLDER";
    return false;
  }
  return true;
}

// What reading the records gave beyond the tallies.
struct Reading {
  long long records = 0;
  std::map<std::string, long long> leftOut;  // by reason
  long long firstNotRecord = 0;              // line number, 0 when none
};

// Reads the records file at path line by line: visit(stream, record) for every record, and
// visit(stream, nullptr) for every line that is no record. False, with *error, when the file
// cannot be opened or read to its end.
template <typename Visit>
bool readEachRecord(const std::string& path, Visit visit, std::string* error) {
  std::error_code failure;
  std::ifstream in;
  if (std::filesystem::is_regular_file(path, failure)) {
    in.open(path, std::ios::binary);
  }
  if (!in.is_open()) {
    *error = "error: the records file \"" + path + "\" is not a readable file";
    return false;
  }
  RecordStream stream(in);
  RecordValues record;
  std::string why;
  for (RecordStream::Outcome outcome;
       (outcome = stream.next(&record, &why)) != RecordStream::Outcome::end;) {
    if (outcome == RecordStream::Outcome::failed) {
      *error = "error: the records file \"" + path + "\" " + why;
      return false;
    }
    visit(stream, outcome == RecordStream::Outcome::record ? &record : nullptr);
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
    *error = "error: the records of \"" + path +
             "\" do not reach a second day, so no whole day is known; give --days N";
    return false;
  }
  return true;
}

bool readRecords(const std::string& path, int days, SiteTallies* tallies, Reading* reading,
                 std::string* error) {
  auto take = [&](const RecordStream& stream, const RecordValues* record) {
    std::string why;
    if (record == nullptr) {
      ++reading->leftOut["lines that are no " + std::string(stream.formName()) + " records"];
      reading->firstNotRecord =
          reading->firstNotRecord ? reading->firstNotRecord : stream.lineNumber();
    } else if (record->stampHundredths() >= days * hundredthsPerDay) {
      ++reading->leftOut["records after the " + std::to_string(days) + " days"];
    } else if (!tallies->add(*record, &why)) {
      ++reading->leftOut["records with " + why];
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
  for (const auto& [reason, count] : reading.leftOut) {
    std::cout << "Left out " << count << " " << reason;
    if (reason.compare(0, 5, "lines") == 0) {
      std::cout << " (the first is line " << reading.firstNotRecord << ")";
    }
    std::cout << "\n";
  }
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
  std::error_code failure;
  if ((days == 0 && !countDays(options.records, &days, &error)) ||
      !readRecords(options.records, days, &tallies, &reading, &error) ||
      !fitSiteTables(tallies, days, options.headwayTable, &tables, &warnings, &error)) {
    std::cerr << error << std::endl;
    return exitRefused;
  }
  std::filesystem::create_directories(options.folder, failure);
  if (failure || !writeSiteTables(tables, options.folder, &error)) {
    std::cerr << (failure ? "error: cannot make the folder \"" + options.folder + "\"" : error)
              << std::endl;
    return exitFailure;
  }
  report(reading, tallies, tables, days, options, warnings);
  return std::cout.good() ? 0 : exitFailure;
}

}  // namespace

int main(int argc, char** argv) {
  std::vector<std::string> arguments(argv + 1, argv + argc);
  if (!arguments.empty() && (arguments[0] == "--help" || arguments[0] == "--version")) {
    std::cout << (arguments[0] == "--help" ? std::string(usage)
                                           : std::string("velmora-fit ") + VELMORA_VERSION + "\n");
    return 0;
  }
  Options options;
  std::string error;
  if (!parseOptions(arguments, &options, &error)) {
    std::cerr << error << "\n\n" << usage;
    return exitRefused;
  }
  return fitSite(options);
}

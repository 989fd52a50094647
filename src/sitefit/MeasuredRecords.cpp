#include "sitefit/MeasuredRecords.h"

#include <algorithm>
#include <cmath>

#include "base/text/NumberText.h"
#include "cli/ProgramFrame.h"
#include "record/RecordLayout.h"

namespace {

std::vector<std::string> fieldsOf(const std::string& line) {
  std::vector<std::string> fields;
  std::string::size_type start = 0;
  for (std::string::size_type comma; (comma = line.find(',', start)) != std::string::npos;
       start = comma + 1) {
    fields.push_back(line.substr(start, comma - start));
  }
  fields.push_back(line.substr(start));
  for (std::string& field : fields) {
    std::string::size_type first = field.find_first_not_of(" \t\"");
    std::string::size_type last = field.find_last_not_of(" \t\"");
    field = first == std::string::npos ? "" : field.substr(first, last - first + 1);
  }
  return fields;
}

bool digitsAt(const std::string& text, std::size_t at, std::size_t count, int* value) {
  if (at + count > text.size()) {
    return false;
  }
  *value = 0;
  for (std::size_t i = at; i < at + count; ++i) {
    if (text[i] < '0' || text[i] > '9') {
      return false;
    }
    *value = *value * 10 + (text[i] - '0');
  }
  return true;
}

// Days from 1970-01-01 to a date of the proleptic Gregorian calendar.
std::int64_t daysFromCivil(int year, int month, int day) {
  int y = month <= 2 ? year - 1 : year;
  int era = (y >= 0 ? y : y - 399) / 400;
  int yearOfEra = y - era * 400;
  int dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + day - 1;
  int dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return static_cast<std::int64_t>(era) * 146097 + dayOfEra - 719468;
}

int daysInMonth(int year, int month) {
  static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : days[month - 1];
}

// The number a field of a station line holds, rounded half up to a whole number.
bool wholeOf(const std::string& text, double factor, std::int64_t* value) {
  double number = 0.0;
  if (!readNumberText(text, &number) || std::fabs(number * factor) > 1e15) {
    return false;
  }
  *value = static_cast<std::int64_t>(std::floor(number * factor + 0.5));
  return true;
}

// A station header may name the axles of vehicles that no record holds; their trucks are
// counted and left out.
constexpr int maxHeaderAxles = 99;

const char* const knownColumns =
    "datetime, speed_dm_per_s, gross_weight, length_dm, axles, direction, lane, "
    "track_width_dm, axleK_weight and axleK_spacing_dm (K from 1)";

}  // namespace

bool readDateTime(const std::string& text, MeasuredVehicle* vehicle, std::string* why) {
  int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
  bool shape = text.size() >= 19 && digitsAt(text, 0, 4, &year) && text[4] == '-' &&
               digitsAt(text, 5, 2, &month) && text[7] == '-' && digitsAt(text, 8, 2, &day) &&
               (text[10] == 'T' || text[10] == ' ') && digitsAt(text, 11, 2, &hour) &&
               text[13] == ':' && digitsAt(text, 14, 2, &minute) && text[16] == ':' &&
               digitsAt(text, 17, 2, &second);
  std::size_t end = 19;
  int hundredths = 0;
  if (shape && end < text.size() && (text[end] == '.' || text[end] == ',')) {
    std::size_t digits = 0;
    for (++end; end < text.size() && text[end] >= '0' && text[end] <= '9'; ++end, ++digits) {
      hundredths = digits < 2 ? hundredths * 10 + (text[end] - '0') : hundredths;
    }
    hundredths *= digits == 1 ? 10 : 1;
    shape = digits > 0;
  }
  if (shape && end < text.size() && (text[end] == 'Z' || text[end] == '+' || text[end] == '-')) {
    *why = "has the datetime \"" + text + "\" with a time zone";
    return false;
  }
  if (!shape || end != text.size() || month < 1 || month > 12 || day < 1 ||
      day > daysInMonth(year, month) || hour > 23 || minute > 59 || second > 59) {
    *why = "no datetime as 2024-03-05T07:31:22.45";
    return false;
  }
  vehicle->day = daysFromCivil(year, month, day);
  vehicle->hundredthsOfDay = ((hour * 60 + minute) * 60 + second) * 100 + hundredths;
  std::int64_t weekday = ((vehicle->day % 7) + 10) % 7;  // 0 Monday .. 6 Sunday; day 0 a Thursday
  vehicle->weekend = weekday >= 5;
  return true;
}

LineRead firstLineOf(std::istream& in, std::string* line) {
  line->clear();
  LineRead read = readBoundedLine(in, line, maxStationLineLength);
  if (line->compare(0, 3, "\xEF\xBB\xBF") == 0) {
    line->erase(0, 3);
  }
  return read;
}

std::string MeasuredRecords::refusedLine(long long number, LineRead read) {
  if (read == LineRead::readError) {
    return lineReadProblem(read, maxStationLineLength);
  }
  return "line " + std::to_string(number) + " " + lineReadProblem(read, maxStationLineLength) +
         "; accepted: vehicle records, one a line";
}

bool MeasuredRecords::readHeader(const std::string& header, std::string* error) {
  std::vector<std::string> names = fieldsOf(header);
  columns.count = names.size();
  const std::pair<const char*, int*> single[] = {{"datetime", &columns.datetime},
                                                 {"speed_dm_per_s", &columns.speed},
                                                 {"gross_weight", &columns.grossWeight},
                                                 {"length_dm", &columns.length},
                                                 {"axles", &columns.axles},
                                                 {"direction", &columns.direction},
                                                 {"lane", &columns.lane},
                                                 {"track_width_dm", &columns.trackWidth}};
  for (std::size_t i = 0; i < names.size(); ++i) {
    const std::string& name = names[i];
    if (std::find(names.begin(), names.begin() + static_cast<std::ptrdiff_t>(i), name) !=
        names.begin() + static_cast<std::ptrdiff_t>(i)) {
      *error = "line 1 is a station header that names the column `" + name +
               "` twice; accepted: each column once";
      return false;
    }
    bool known = false;
    for (const auto& [column, index] : single) {
      known = known || name == column;
      *index = name == column ? static_cast<int>(i) : *index;
    }
    for (int axle = 1; axle <= maxHeaderAxles; ++axle) {
      std::string prefix = "axle" + std::to_string(axle);
      for (auto [suffix, list] : {std::pair{"_weight", &columns.axleWeights},
                                  std::pair{"_spacing_dm", &columns.axleSpacings}}) {
        if (name == prefix + suffix && axle <= record_layout::maxAxles) {
          list->resize(std::max<std::size_t>(list->size(), static_cast<std::size_t>(axle)), -1);
          (*list)[static_cast<std::size_t>(axle - 1)] = static_cast<int>(i);
        }
        known = known || name == prefix + suffix;  // axles past the record's are not read
      }
    }
    if (!known) {
      *error = "line 1 is a station header with a column `" + name +
               "` that velmora-fit does not know; accepted: " + knownColumns;
      return false;
    }
  }
  const std::pair<const char*, int> needed[] = {{"speed_dm_per_s", columns.speed},
                                                {"gross_weight", columns.grossWeight},
                                                {"axles", columns.axles},
                                                {"direction", columns.direction},
                                                {"lane", columns.lane}};
  std::string lacking;
  for (const auto& [name, index] : needed) {
    lacking = lacking.empty() && index < 0 ? name : lacking;
  }
  for (std::size_t axle = 0; lacking.empty() && axle < 2; ++axle) {
    if (columns.axleWeights.size() <= axle || columns.axleWeights[axle] < 0) {
      lacking = "axle" + std::to_string(axle + 1) + "_weight";
    }
  }
  for (std::size_t axle = 0; lacking.empty() && axle < columns.axleWeights.size(); ++axle) {
    if (columns.axleWeights[axle] < 0) {
      lacking = "axle" + std::to_string(axle + 1) + "_weight";
    } else if (axle + 1 < columns.axleWeights.size() &&
               (columns.axleSpacings.size() <= axle || columns.axleSpacings[axle] < 0)) {
      lacking = "axle" + std::to_string(axle + 1) + "_spacing_dm";
    }
  }
  if (!lacking.empty()) {
    *error = "line 1 is a station header without the column `" + lacking +
             "`; accepted: " + knownColumns +
             ", the first seven but length_dm and track_width_dm needed, and the "
             "weights and spacings of axles 1 to the most a vehicle has";
    return false;
  }
  return true;
}

bool MeasuredRecords::readStationLine(const std::string& line, MeasuredVehicle* vehicle,
                                      std::string* why, bool* zone) const {
  std::vector<std::string> fields = fieldsOf(line);
  if (fields.size() != columns.count) {
    *why = "with " + program_frame::countOf(static_cast<long long>(fields.size()), "field") +
           " where the header has " + std::to_string(columns.count);
    return false;
  }
  auto field = [&](int index) { return fields[static_cast<std::size_t>(index)]; };
  if (!readDateTime(field(columns.datetime), vehicle, why)) {
    *zone = why->find("time zone") != std::string::npos;
    *why = *zone ? *why : "with " + *why;
    return false;
  }
  RecordValues& r = vehicle->values;
  long long axles = 0, direction = 0, lane = 0;
  bool counts = readWholeText(field(columns.axles), 0, 99, &axles) &&
                readWholeText(field(columns.direction), -99, 99, &direction) &&
                readWholeText(field(columns.lane), -9999, 9999, &lane);
  if (!counts) {
    *why = "with axles, direction or lane not a whole number (axles 0 to 99)";
    return false;
  }
  bool numbers = wholeOf(field(columns.speed), 1.0, &r.speed) &&
                 wholeOf(field(columns.grossWeight), 1.0, &r.grossWeight);
  if (!numbers) {
    *why = "with a field that holds no number";
    return false;
  }
  r.axleCount = static_cast<int>(axles);
  r.direction = static_cast<int>(direction);
  r.lane = static_cast<int>(lane);
  if (r.axleCount > record_layout::maxAxles) {
    return true;  // a truck of more axles than any table holds, left out as such
  }
  if (r.axleCount > static_cast<int>(columns.axleWeights.size())) {
    *why = "of a vehicle with more axles than the header's axle columns";
    return false;
  }
  std::int64_t length = 0;
  for (int axle = 0; axle < r.axleCount; ++axle) {
    auto at = static_cast<std::size_t>(axle);
    bool spaced = axle + 1 >= r.axleCount ||
                  wholeOf(field(columns.axleSpacings[at]), 1.0, &r.axleSpacings[at]);
    if (!wholeOf(field(columns.axleWeights[at]), 1.0, &r.axleWeights[at]) || !spaced) {
      *why = "with a field that holds no number";
      return false;
    }
    length += axle + 1 < r.axleCount ? r.axleSpacings[at] : 0;
  }
  r.length = length;
  if (columns.length >= 0 && !wholeOf(field(columns.length), 1.0, &r.length)) {
    *why = "with a field that holds no number";
    return false;
  }
  takeWeights(&r);
  return true;
}

void MeasuredRecords::takeWeights(RecordValues* values) const {
  auto convert = [this](std::int64_t weight) {
    return static_cast<std::int64_t>(std::floor(static_cast<double>(weight) * weightFactor + 0.5));
  };
  values->grossWeight = convert(values->grossWeight);
  for (std::int64_t& weight : values->axleWeights) {
    weight = convert(weight);
  }
}

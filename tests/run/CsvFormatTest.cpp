// The CSV form of a run holds exactly the numbers of its fixed-column form, and standard
// tools read it with numeric columns throughout.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "record/FixedWidth.h"
#include "record/RecordLayout.h"
#include "support/ProgramRun.h"
#include "support/SampleFolderTest.h"
#include "support/TextLines.h"

namespace {

namespace layout = record_layout;

std::vector<std::int64_t> numbersOf(const std::string& row) {
  std::vector<std::int64_t> numbers;
  std::istringstream in(row);
  for (std::string field; std::getline(in, field, ',');) {
    numbers.push_back(std::stoll(field));
  }
  return numbers;
}

// The fixed-column record of a CSV row's numbers (after time_s): every field right-aligned
// in its width, written in full when it does not fit, as the program writes it.
std::string fixedRecordOf(const std::vector<std::int64_t>& numbers) {
  char text[1024];
  char* out = fixed_width::putAny(text, 1001, layout::widthOf(layout::headCode));
  std::size_t next = 0;
  for (int field = layout::day; field < layout::leadingFieldCount; ++field) {
    out = fixed_width::putAny(out, numbers[next++],
                              layout::widthOf(static_cast<layout::Field>(field)));
  }
  for (int axle = 0; axle < layout::maxAxles; ++axle) {
    out = fixed_width::putAny(out, numbers[next++], layout::axleWeightWidth);
    if (axle + 1 < layout::maxAxles) {
      out = fixed_width::putAny(out, numbers[next++], layout::axleSpacingWidth);
    }
  }
  return std::string(text, out);
}

class CsvFormatTest : public SampleFolderTest {
 protected:
  // The lines the program writes for the four-lane motorway over `days`, in a format.
  std::vector<std::string> run(const std::string& format, int days) {
    std::vector<std::string> values = defaultValues();
    values[2] = std::to_string(days);
    values[3] = values[4] = "1";
    values[6] = values[7] = "2";
    writeParameters(values);
    ProgramRun program = runCommand(std::string(VELMORA_PROGRAM) + " --seed 5 --format " + format);
    EXPECT_EQ(program.status, 0) << program.errors;
    return linesOf(folder.read("TrafOut.txt"));
  }
};

TEST_F(CsvFormatTest, HoldsExactlyTheNumbersOfTheFixedColumns) {
  std::vector<std::string> fixed = run("fixed", 5);
  std::vector<std::string> csv = run("csv", 5);
  ASSERT_EQ(csv.size(), fixed.size() + 1);
  ASSERT_GT(fixed.size(), 100000u);
  EXPECT_EQ(csv[0].rfind("time_s,day,month,year,hour,minute,second,hundredths,speed_dm_per_s,"
                         "gross_weight,length_dm,axles,direction,lane,track_width_dm,axle1_weight,"
                         "axle1_spacing_dm,axle2_weight,",
                         0),
            0u);
  long long widened = 0;
  for (std::size_t i = 0; i < fixed.size(); ++i) {
    const std::string& row = csv[i + 1];
    std::size_t comma = row.find(',');
    std::vector<std::int64_t> numbers = numbersOf(row.substr(comma + 1));
    ASSERT_EQ(numbers.size(), 31u) << row;
    ASSERT_EQ(fixedRecordOf(numbers), fixed[i]) << i;
    // time_s is the stamp in seconds, with the hundredths as its two decimals.
    std::int64_t days = ((numbers[2] - 5) * 10 + numbers[1] - 1) * 25 + numbers[0] - 1;
    std::int64_t seconds = days * 86400 + numbers[3] * 3600 + numbers[4] * 60 + numbers[5];
    char cents[4];
    std::snprintf(cents, sizeof cents, "%02d", static_cast<int>(numbers[6]));
    ASSERT_EQ(row.substr(0, comma), std::to_string(seconds) + "." + cents) << row;
    widened += fixed[i].size() > static_cast<std::size_t>(layout::recordLength);
  }
  EXPECT_GT(widened, 0);  // overflowing fields were part of the comparison
}

// velmora-stats' summary of the stream, but for the lines that name the form.
std::string summaryOf(const std::string& file) {
  ProgramRun stats = runCommand(std::string(VELMORA_STATS_PROGRAM) + " " + file);
  EXPECT_EQ(stats.status, 0) << stats.errors;
  std::string kept;
  for (const std::string& line : linesOf(stats.console)) {
    bool namesTheForm = line.rfind("Stream summary of", 0) == 0 || line.rfind("Form:", 0) == 0 ||
                        line.rfind("Records with a value wider", 0) == 0;
    kept += namesTheForm ? "" : line + "\n";
  }
  return kept;
}

TEST_F(CsvFormatTest, VelmoraStatsReadsBothFormsAlike) {
  run("fixed", 2);
  std::rename("TrafOut.txt", "fixed.txt");
  run("csv", 2);
  std::string csv = summaryOf("TrafOut.txt");
  EXPECT_EQ(csv, summaryOf("fixed.txt"));
  EXPECT_NE(csv.find("Lines that are not records: 0\n"), std::string::npos) << csv;
  ProgramRun fixedStats = runCommand(std::string(VELMORA_STATS_PROGRAM) + " fixed.txt");
  EXPECT_NE(fixedStats.console.find("Records with a value wider than its column: "),
            std::string::npos);
}

TEST_F(CsvFormatTest, PandasReadsEveryColumnAsNumbers) {
  run("csv", 1);
  ProgramRun check = runCommand(
      "/usr/bin/python3 -c \"import pandas, sys; f = pandas.read_csv(\\\"TrafOut.txt\\\"); "
      "sys.exit(0 if len(f) > 1000 and all(str(t) in (\\\"int64\\\", \\\"float64\\\") "
      "for t in f.dtypes) else 1)\"");
  EXPECT_EQ(check.status, 0) << check.errors;
}

}  // namespace

#include "sitefit/SiteTableFiles.h"

#include <sstream>

#include "cli/OutputFile.h"
#include "data/RunFolderFiles.h"

namespace {

std::string number(double value) {
  std::ostringstream text;
  text.precision(7);
  text << (value == 0 ? 0.0 : value);  // no "-0"
  return text.str();
}

// A mixture block: line c holds component c of every mixture.
void writeBlock(std::ostream& out, const std::vector<NormalMixture>& mixtures) {
  for (int c = 0; c < NormalMixture::componentCount; ++c) {
    for (std::size_t m = 0; m < mixtures.size(); ++m) {
      const NormalComponent& component = mixtures[m].components[c];
      out << (m > 0 ? "," : "") << number(component.weight) << ',' << number(component.mean) << ','
          << number(component.stdDev);
    }
    out << '\n';
  }
}

// Per lane the values of a row, then their mean (total: their sum), which the loader skips.
template <typename Value>
void writeLaneRow(std::ostream& out, const std::vector<Value>& rows, std::size_t column,
                  bool total) {
  double sum = 0.0;
  for (const Value& row : rows) {
    out << number(row[column]) << ',';
    sum += row[column];
  }
  out << number(total ? sum : sum / static_cast<double>(rows.size())) << '\n';
}

void writeFlows(std::ostream& out, const SiteTables& tables) {
  for (std::size_t hour = 0; hour < 24; ++hour) {
    writeLaneRow(out, tables.flows, hour, true);
  }
}

void writeClassShares(std::ostream& out, const SiteTables& tables) {
  for (int axles = minTruckAxles; axles < firstHeavyAxles; ++axles) {
    writeLaneRow(out, tables.classShares, static_cast<std::size_t>(axles - minTruckAxles), false);
  }
}

void writeHeavyTrucks(std::ostream& out, const SiteTables& tables) {
  for (int axles = firstHeavyAxles; axles <= maxTruckAxles; ++axles) {
    writeLaneRow(out, tables.classShares, static_cast<std::size_t>(axles - minTruckAxles), false);
  }
  for (int axles = firstHeavyAxles; axles <= maxTruckAxles; ++axles) {
    auto c = static_cast<std::size_t>(axles - minTruckAxles);
    out << axles << "-axle trucks: gross weights, direction 1 then direction 2\n";
    writeBlock(out, {tables.grossWeights[0][c], tables.grossWeights[1][c]});
    out << axles << "-axle trucks: axle spacings (dm)\n";
    writeBlock(out, tables.spacings[c]);
    out << axles << "-axle trucks: axle weights by gross-weight band (means of axles 1 to " << axles
        << ", then their deviations)\n";
    for (const TrafficData::HeavyBandRow& row :
         tables.heavyBandRows[static_cast<std::size_t>(axles - firstHeavyAxles)]) {
      for (int i = 0; i < 2 * axles; ++i) {
        const TrafficData::AxleStats& stats = row[static_cast<std::size_t>(i % axles)];
        out << (i > 0 ? "," : "") << number(i < axles ? stats.mean : stats.stdDev);
      }
      out << '\n';
    }
  }
}

void writeSpeedsAndGrossWeights(std::ostream& out, const SiteTables& tables) {
  for (int direction = 1; direction <= 2; ++direction) {
    std::vector<NormalMixture> block = {tables.speeds[direction - 1]};
    const auto& classes = tables.grossWeights[direction - 1];
    block.insert(block.end(), classes.begin(), classes.begin() + (firstHeavyAxles - minTruckAxles));
    writeBlock(out, block);
    if (direction == 1) {
      out << "direction 2\n";
    }
  }
}

void writeSpacings(std::ostream& out, const SiteTables& tables) {
  for (int axles = minTruckAxles; axles < firstHeavyAxles; ++axles) {
    if (axles > minTruckAxles) {
      out << axles << "-axle\n";
    }
    writeBlock(out, tables.spacings[static_cast<std::size_t>(axles - minTruckAxles)]);
  }
}

void writeAxleWeights23(std::ostream& out, const SiteTables& tables) {
  writeBlock(out, tables.axleWeights[0]);
  out << "3-axle trucks\n";
  writeBlock(out, tables.axleWeights[1]);
}

void writeAxleWeights45(std::ostream& out, const SiteTables& tables) {
  for (int table = 0; table < 2; ++table) {
    if (table == 1) {
      out << "5-axle trucks\n";
    }
    for (const std::array<double, 6>& row : tables.bandRows[table]) {
      for (std::size_t i = 0; i < row.size(); ++i) {
        out << (i > 0 ? "," : "") << number(row[i]);
      }
      out << '\n';
    }
  }
}

void writeHeadwayTable(std::ostream& out, const SiteTables& tables) {
  out << tables.headwayRows.size() - 2 << ",flow bands\n";
  for (const std::array<double, 4>& row : tables.headwayRows) {
    for (std::size_t i = 0; i < row.size(); ++i) {
      out << (i > 0 ? "," : "") << number(row[i]);
    }
    out << '\n';
  }
}

}  // namespace

namespace {

using TableWriter = void (*)(std::ostream&, const SiteTables&);

// The files in the order they are written, each with its writer.
const std::pair<const char*, TableWriter> tableFiles[] = {
    {run_folder_files::flows, writeFlows},
    {run_folder_files::classShares, writeClassShares},
    {run_folder_files::grossWeights, writeSpeedsAndGrossWeights},
    {run_folder_files::axleSpacings, writeSpacings},
    {run_folder_files::axleWeights23, writeAxleWeights23},
    {run_folder_files::axleWeights45, writeAxleWeights45},
    {run_folder_files::heavyTrucks, writeHeavyTrucks},
    {run_folder_files::headways, writeHeadwayTable},
};

// Whether the tables have the file that write writes.
bool hasFile(const SiteTables& tables, TableWriter write) {
  return (write != writeHeadwayTable || !tables.headwayRows.empty()) &&
         (write != writeHeavyTrucks || tables.heavyTrucks);
}

}  // namespace

std::vector<std::string> siteTableNames(bool headwayTable) {
  std::vector<std::string> names;
  for (const auto& [name, write] : tableFiles) {
    if (write != writeHeadwayTable || headwayTable) {
      names.push_back(name);
    }
  }
  return names;
}

std::vector<std::string> writtenTableNames(const SiteTables& tables) {
  std::vector<std::string> names;
  for (const auto& [name, write] : tableFiles) {
    if (hasFile(tables, write)) {
      names.push_back(name);
    }
  }
  return names;
}

bool writeSiteTables(const SiteTables& tables, const std::string& folder, std::string* error) {
  for (const auto& [name, write] : tableFiles) {
    if (!hasFile(tables, write)) {
      continue;
    }
    OutputFile out("the site table " + std::string(name), folder + "/" + name);
    if (!out.open(error)) {
      return false;
    }
    write(out.stream(), tables);
    if (!out.commit(error)) {
      return false;
    }
  }
  return true;
}

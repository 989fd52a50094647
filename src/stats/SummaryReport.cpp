#include "stats/SummaryReport.h"

#include <cmath>
#include <cstdio>
#include <sstream>

#include "base/Calendar.h"

namespace {

constexpr double kmhPerDecimetrePerSecond = 0.36;

std::string format(const char* pattern, double value) {
  char text[64];
  std::snprintf(text, sizeof text, pattern, value);
  return text;
}

std::string column(const std::string& text, std::size_t width) {
  return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

std::string column(long long value, std::size_t width) {
  return column(std::to_string(value), width);
}

void writeLanes(std::ostream& out, const StreamSummary& summary,
                const std::vector<int>& truckClasses) {
  out << "Vehicles per lane\n"
      << "  lane  direction   vehicles       cars     trucks";
  for (int axles : truckClasses) {
    out << column(std::to_string(axles) + "-axle", 9);
  }
  out << "    other\n";
  for (int lane = 1; lane <= summary.highestLane(); ++lane) {
    long long all = summary.vehiclesOfLane(lane);
    long long cars = summary.vehicles(lane, VehicleClass::car);
    out << column(lane, 6) << column(summary.directionOfLane(lane), 11) << column(all, 11)
        << column(cars, 11) << column(all - cars, 11);
    for (int axles : truckClasses) {
      out << column(summary.vehicles(lane, truckClass(axles)), 9);
    }
    out << column(summary.vehicles(lane, VehicleClass::other), 9) << "\n";
  }
  out << "\n";
}

void writeHourlyProfile(std::ostream& out, const StreamSummary& summary,
                        const SiteExpectation* site) {
  out << "Hourly profile: mean vehicles per hour of day over " << summary.days() << " day"
      << (summary.days() == 1 ? "" : "s") << (site ? " (generated / expected)" : "") << "\n"
      << "  hour";
  for (int lane = 1; lane <= summary.highestLane(); ++lane) {
    out << column("lane " + std::to_string(lane), site ? 19 : 10);
  }
  out << "\n";
  for (int hour = 0; hour < 24; ++hour) {
    out << column(hour, 6);
    for (int lane = 1; lane <= summary.highestLane(); ++lane) {
      double count = static_cast<double>(summary.vehiclesInHour(lane, hour));
      double generated = count / summary.days();
      std::string cell = format("%.1f", generated);
      if (site != nullptr && lane <= site->lanes()) {
        double expected = site->hourlyVehicles(lane, hour, summary);
        bool marked = beyondNoise(count, expected * summary.days());
        // Both numbers in widths of their own, so that the slashes stand in one column.
        cell = column(cell, 7) + " / " + column(format("%.1f", expected), 7) + (marked ? "*" : " ");
      }
      out << column(cell, site ? 19 : 10);
    }
    out << "\n";
  }
  out << "\n";
}

double percentOf(double part, double whole) {
  return whole > 0 ? 100 * part / whole : 0.0;
}

void writeJams(std::ostream& out, const StreamSummary& summary) {
  const PatternFinder& found = summary.patterns();
  double streamSeconds = static_cast<double>(summary.days()) * calendar::secondsPerDay;
  out << "Jams: runs of " << PatternFinder::minJamVehicles
      << " or more consecutive vehicles of a direction at one speed\n"
      << "  direction   jams   jammed (h)   of the time   jammed vehicles   of the vehicles\n";
  for (int direction = 1; direction <= 2; ++direction) {
    const PatternFinder::DirectionJams& jams = found.jams(direction);
    double hours = jams.jammedSeconds / calendar::secondsPerHour;
    out << column(direction, 11) << column(jams.jams, 7) << column(format("%.2f", hours), 13)
        << column(format("%.2f %%", percentOf(jams.jammedSeconds, streamSeconds)), 14)
        << column(jams.jammedVehicles, 18)
        << column(format("%.2f %%", percentOf(static_cast<double>(jams.jammedVehicles),
                                              static_cast<double>(jams.vehicles))),
                  18)
        << "\n";
  }
  out << "\n";
}

void writePlatoons(std::ostream& out, const StreamSummary& summary) {
  const PatternFinder& found = summary.patterns();
  out << "Platoons: consecutive trucks of a lane at one speed outside jams, each within "
      << format("%.0f", PatternFinder::platoonGapLimit())
      << " m of the one ahead (rear axle to front axle)\n"
      << "  trucks in platoons: " << found.platoonTrucks() << " of " << found.trucks() << " ("
      << format("%.2f %%", percentOf(static_cast<double>(found.platoonTrucks()),
                                     static_cast<double>(found.trucks())))
      << ")\n";
  out << "  trucks   platoons\n";
  for (int size = 2; size <= PatternFinder::largestSizeKept; ++size) {
    if (found.platoons(size) > 0) {
      std::string label =
          std::to_string(size) + (size == PatternFinder::largestSizeKept ? " or more" : "");
      out << column(label, 8) << column(found.platoons(size), 11) << "\n";
    }
  }
  const std::vector<long long>& gaps = found.platoonGaps();
  out << "  gap (m, nearest)   gaps\n";
  for (std::size_t bin = 0; bin < gaps.size(); ++bin) {
    if (gaps[bin] > 0) {
      double centre = static_cast<double>(bin) * PatternFinder::gapBinWidth;
      out << column(format("%.0f", centre), 17) << column(gaps[bin], 7) << "\n";
    }
  }
  out << "\n";
}

void writePercentiles(std::ostream& out, const StreamSummary& summary) {
  out << "Gross weight (weight unit of the site files) and speed (km/h) per class\n"
      << "  class             vehicles   weight:  5th   50th   95th    max   speed:  5th   50th"
         "   95th    max\n";
  for (int c = 0; c < vehicleClassCount; ++c) {
    auto vehicleClass = static_cast<VehicleClass>(c);
    std::vector<long long> weights = summary.grossWeightsOfClass(vehicleClass);
    const std::vector<long long>& speeds = summary.speedsOfClass(vehicleClass);
    long long count = summary.vehiclesOfClass(vehicleClass);
    if (count == 0) {
      continue;
    }
    out << "  " << className(vehicleClass)
        << std::string(16 - std::string(className(vehicleClass)).size(), ' ') << column(count, 10)
        << "         ";
    for (double share : {0.05, 0.5, 0.95}) {
      out << column(percentile(weights, share), 5) << "  ";
    }
    out << column(maximum(weights), 5) << "          ";
    for (double share : {0.05, 0.5, 0.95}) {
      out << column(format("%.0f", percentile(speeds, share) * kmhPerDecimetrePerSecond), 5)
          << "  ";
    }
    out << column(format("%.0f", maximum(speeds) * kmhPerDecimetrePerSecond), 5) << "\n";
  }
  out << "\n";
}

void writeHeaviest(std::ostream& out, const StreamSummary& summary) {
  out << "Heaviest vehicles\n  rank  gross weight  axles  lane  time (day/month/year)\n";
  int rank = 0;
  for (const StreamSummary::Heavy& heavy : summary.heaviest()) {
    out << column(++rank, 6) << column(heavy.grossWeight, 14) << column(heavy.axles, 7)
        << column(heavy.lane, 6) << "  " << heavy.time << "\n";
  }
  out << "\n";
}

void writeUnparseable(std::ostream& out, const StreamSummary& summary) {
  if (summary.widened() > 0) {
    out << "Records with a value wider than its column: " << summary.widened()
        << " (the fields after it stand further right, so a fixed-column reader misreads "
           "them; velmora --format csv writes the same numbers without this)\n";
  }
  out << "Lines that are not records: " << summary.unparseable();
  if (summary.unparseable() > 0) {
    out << " (line";
    out << (summary.unparseable() > 1 ? "s " : " ");
    for (std::size_t i = 0; i < summary.unparseableLines().size(); ++i) {
      out << (i > 0 ? ", " : "") << summary.unparseableLines()[i];
    }
    if (summary.unparseable() > static_cast<long long>(summary.unparseableLines().size())) {
      out << ", ...";
    }
    out << ")";
  }
  out << "\n";
}

void writeSiteComparison(std::ostream& out, const StreamSummary& summary,
                         const SiteExpectation& site, const std::vector<int>& truckClasses) {
  out << "\nSite comparison with the run folder " << site.folder()
      << " (* marks a difference larger than sampling noise)\n";
  double vehicles = static_cast<double>(summary.records());
  double cars = static_cast<double>(summary.vehiclesOfClass(VehicleClass::car));
  out << "Car fraction: expected " << format("%.3f", site.carShare()) << ", generated "
      << format("%.3f", vehicles > 0 ? cars / vehicles : 0.0)
      << (beyondNoise(cars, site.carShare() * vehicles, vehicles) ? " *" : "") << "\n\n";

  out << "Class shares of trucks per lane, % (generated / expected)\n"
      << "  lane";
  for (int axles : truckClasses) {
    out << column(std::to_string(axles) + "-axle", 16);
  }
  out << "\n";
  for (int lane = 1; lane <= site.lanes() && lane <= summary.highestLane(); ++lane) {
    double trucks = static_cast<double>(summary.vehiclesOfLane(lane) -
                                        summary.vehicles(lane, VehicleClass::car));
    out << column(lane, 6);
    for (int axles : truckClasses) {
      double count = static_cast<double>(summary.vehicles(lane, truckClass(axles)));
      double expected = site.truckShare(lane, axles);
      bool marked = beyondNoise(count, expected * trucks, trucks);
      out << column(format("%.1f", trucks > 0 ? 100 * count / trucks : 0.0) + " / " +
                        format("%.1f", 100 * expected) + (marked ? "*" : " "),
                    16);
    }
    out << "\n";
  }
  out << "\nGross-weight distributions (largest gap between generated and expected shares)\n"
      << "  class              trucks     gap   noise limit\n";
  for (int axles : truckClasses) {
    DistributionGap gap = grossWeightGap(summary, site, axles);
    if (gap.trucks == 0) {
      continue;
    }
    out << "  " << axles << "-axle trucks  " << column(gap.trucks, 10)
        << column(format("%.4f", gap.distance), 8) << column(format("%.4f", gap.limit), 14)
        << (gap.distance > gap.limit ? " *" : "") << "\n";
  }
}

}  // namespace

std::vector<int> shownTruckClasses(const StreamSummary& summary, const SiteExpectation* site) {
  std::vector<int> classes;
  for (int axles = minTruckAxles; axles <= maxTruckAxles; ++axles) {
    bool heavy = axles >= firstHeavyAxles;
    if (!heavy || summary.vehiclesOfClass(truckClass(axles)) > 0 ||
        (site != nullptr && site->hasHeavyTrucks())) {
      classes.push_back(axles);
    }
  }
  return classes;
}

bool beyondNoise(double observed, double expected, double trials) {
  if (!std::isfinite(expected)) {
    return false;
  }
  double variance = trials > 0 ? expected * (1 - expected / trials) : expected;
  return std::fabs(observed - expected) > 3 * std::sqrt(variance) + 0.5;
}

DistributionGap grossWeightGap(const StreamSummary& summary, const SiteExpectation& site,
                               int axles) {
  VehicleClass vehicleClass = truckClass(axles);
  const std::vector<long long>& first = summary.grossWeights(vehicleClass, 1);
  const std::vector<long long>& second = summary.grossWeights(vehicleClass, 2);
  DistributionGap gap;
  const long long byDirection[2] = {total(first), total(second)};
  gap.trucks = byDirection[0] + byDirection[1];
  if (gap.trucks == 0) {
    return gap;
  }
  double trucks = static_cast<double>(gap.trucks);
  long long running = 0;
  for (int weight = 0; weight <= StreamSummary::maxGrossWeight; ++weight) {
    running += first[static_cast<std::size_t>(weight)] + second[static_cast<std::size_t>(weight)];
    // A record shows weight w for every gross weight from w - 0.5 up to w + 0.5.
    double expected = 0.0;
    for (int direction = 1; direction <= 2; ++direction) {
      double share = static_cast<double>(byDirection[direction - 1]) / trucks;
      if (share > 0) {
        expected += share * site.grossWeightWithin(axles, direction, 0.0, weight + 0.5);
      }
    }
    gap.distance =
        std::max(gap.distance, std::fabs(static_cast<double>(running) / trucks - expected));
  }
  gap.limit = 1.63 / std::sqrt(trucks);
  return gap;
}

std::string summaryText(const std::string& source, const StreamSummary& summary,
                        const SiteExpectation* site) {
  std::ostringstream out;
  out << "Stream summary of " << source << "\n"
      << (summary.isCsv() ? "Form: CSV records\n" : "") << "Records: " << summary.records()
      << " over " << summary.days() << " day" << (summary.days() == 1 ? "" : "s") << "; cars "
      << summary.vehiclesOfClass(VehicleClass::car) << ", trucks "
      << summary.records() - summary.vehiclesOfClass(VehicleClass::car) << "\n\n";
  std::vector<int> truckClasses = shownTruckClasses(summary, site);
  writeLanes(out, summary, truckClasses);
  writeHourlyProfile(out, summary, site);
  writePercentiles(out, summary);
  writeJams(out, summary);
  writePlatoons(out, summary);
  writeHeaviest(out, summary);
  writeUnparseable(out, summary);
  if (site != nullptr) {
    writeSiteComparison(out, summary, *site, truckClasses);
  }
  return out.str();
}

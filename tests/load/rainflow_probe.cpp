// Counts the history read from standard input, one value a line, and writes each counted
// cycle as "range cycles" in the order counted; with "CATEGORY STRESS_PER_UNIT" as
// arguments, then a last line "damage D" on that detail category's S-N curve. For the
// reference test in Python.
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>

#include "load/FatigueTally.h"
#include "load/RainflowCounter.h"

namespace {

struct PrintedCycles {
  FatigueTally* tally = nullptr;
  void count(double range, double cycles) {
    std::printf("%.17g %.1f\n", range, cycles);
    if (tally) {
      tally->count(range, cycles);
    }
  }
};

}  // namespace

int main(int argc, char** argv) {
  FatigueOfEffect settings;
  if (argc == 3) {
    settings.curves.emplace_back(std::atof(argv[1]), 1.0);
    settings.stressPerUnit = std::atof(argv[2]);
  }
  FatigueTally tally(settings);
  PrintedCycles printed;
  printed.tally = argc == 3 ? &tally : nullptr;
  RainflowCounter counter;
  for (std::string line; std::getline(std::cin, line);) {
    counter.add(std::stod(line), printed);
  }
  counter.finish(printed);
  if (argc == 3) {
    std::printf("damage %.17g\n", tally.damage()[0]);
  }
  return 0;
}

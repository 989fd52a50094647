// Counts the history read from standard input, one value a line, and writes each counted
// cycle as "range cycles" in the order counted: for the reference test in Python.
#include <cstdio>
#include <iostream>
#include <string>

#include "load/RainflowCounter.h"

namespace {

struct PrintedCycles {
  void count(double range, double cycles) { std::printf("%.17g %.1f\n", range, cycles); }
};

}  // namespace

int main() {
  RainflowCounter counter;
  PrintedCycles printed;
  for (std::string line; std::getline(std::cin, line);) {
    counter.add(std::stod(line), printed);
  }
  counter.finish(printed);
  return 0;
}

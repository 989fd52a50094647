// Rainflow counting of a history given value by value, in time order, by the three-point
// rule of ASTM E1049-85: of the three latest reversals (peaks and valleys) still open, the
// older range Y is counted once the newer range X is at least as large: as a full cycle, or
// as a half cycle when Y holds the history's first point, which then moves on. At the end
// every range still open counts as a half cycle.
//
// Reversals are found as the values come: consecutive equal values are one point, and a
// value that goes on in the direction of travel only moves the running extreme. With a gate
// G above 0, a turn is a reversal only once the history has come back G or more from the
// running extreme (hysteresis filtering); with 0 every turn is one.
//
// The ranges still open are kept as a stack whose ranges first grow and then shrink, so it
// holds no more points than there are distinct values still open: its memory does not grow
// with the length of the history.
#pragma once

#include <cmath>
#include <vector>

class RainflowCounter {
 public:
  // REQUIRES: gate >= 0 (the values' unit).
  explicit RainflowCounter(double gate = 0.0) : gate(gate) {}

  // Takes the history's next value; counted cycles go to sink.count(range, cycles), range
  // >= 0 in the values' unit and cycles 1 or 0.5.
  template <class Sink>
  void add(double value, Sink& sink) {
    if (direction > 0 ? value >= running : direction < 0 ? value <= running : false) {
      running = value;  // the run goes on, or stays level
      return;
    }
    takeTurn(value, sink);
  }
  // Ends the history: its last running extreme is a reversal, and every range still open
  // counts as a half cycle. The counter then starts a new history.
  template <class Sink>
  void finish(Sink& sink);
  // The reversals still open, oldest first (the first is the history's start point).
  const std::vector<double>& openReversals() const { return residue; }

 private:
  template <class Sink>
  void takeTurn(double value, Sink& sink);
  template <class Sink>
  void pushReversal(double reversal, Sink& sink);

  double gate;
  std::vector<double> residue;  // reversals not yet counted, the start point first
  double running = 0.0;         // the extreme of the run under way
  int direction = 0;            // of that run: +1 rising, -1 falling, 0 none yet
};

template <class Sink>
void RainflowCounter::takeTurn(double value, Sink& sink) {
  if (residue.empty()) {
    residue.push_back(value);  // the start point
    running = value;
    return;
  }
  double back = std::abs(value - running);
  if (value == running || back < gate) {
    return;  // level, or a turn the gate filters out
  }
  if (direction != 0) {
    pushReversal(running, sink);
  }
  direction = value > running ? 1 : -1;
  running = value;
}

template <class Sink>
void RainflowCounter::pushReversal(double reversal, Sink& sink) {
  residue.push_back(reversal);
  while (residue.size() >= 3) {
    std::size_t n = residue.size();
    double x = std::abs(residue[n - 1] - residue[n - 2]);
    double y = std::abs(residue[n - 2] - residue[n - 3]);
    if (x < y) {
      return;
    }
    if (n == 3) {  // Y holds the start point: half a cycle, and the start moves on
      sink.count(y, 0.5);
      residue.erase(residue.begin());
    } else {
      sink.count(y, 1.0);
      residue.erase(residue.end() - 3, residue.end() - 1);
    }
  }
}

template <class Sink>
void RainflowCounter::finish(Sink& sink) {
  if (direction != 0) {
    pushReversal(running, sink);
  }
  for (std::size_t i = 1; i < residue.size(); ++i) {
    sink.count(std::abs(residue[i] - residue[i - 1]), 0.5);
  }
  residue.clear();
  direction = 0;
  running = 0.0;
}

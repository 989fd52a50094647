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
// The reversals still open are kept as a stack whose ranges shrink from the oldest to the
// newest (a newer range at least as large closes the one before it), so the stack holds
// each value at most once and its memory does not grow with the length of the history.
#pragma once

#include <algorithm>
#include <cassert>
#include <cmath>
#include <cstddef>
#include <limits>
#include <vector>

class RainflowCounter {
 public:
  // REQUIRES: gate >= 0 (the values' unit).
  explicit RainflowCounter(double gate = 0.0) : gate(gate) { assert(gate >= 0.0); }

  // Takes the history's next value; counted cycles go to sink.count(range, cycles), range
  // >= 0 in the values' unit and cycles 1 or 0.5.
  template <class Sink>
  void add(double value, Sink& sink) {
    if ((value - running) * direction >= 0.0) {
      running = value;  // the run goes on, or stays level
      return;
    }
    takeTurn(value, sink);
  }
  // Ends the history: its last running extreme is a reversal, and every range still open
  // counts as a half cycle. The counter then starts a new history.
  template <class Sink>
  void finish(Sink& sink);
  // How many reversals are still open, the history's start point among them.
  std::size_t openCount() const { return top - first; }

 private:
  template <class Sink>
  void takeTurn(double value, Sink& sink);
  template <class Sink>
  void pushReversal(double reversal, Sink& sink);
  void makeRoom();
  // The running extreme lies apart from the reversal before it by a turn the gate keeps.
  bool leftBehind(double reversal) const {
    return running != reversal && std::abs(running - reversal) >= gate;
  }

  double gate;
  // The reversals not yet counted are stack[first] (the start point) to stack[top - 1].
  std::vector<double> stack;
  std::size_t first = 0;
  std::size_t top = 0;
  double running = 0.0;  // the extreme of the run under way
  // Of that run: 1 rising, -1 falling (rising until it turns); NaN before the start point,
  // so that the first value, like no other, fails the test of a run going on.
  double direction = std::numeric_limits<double>::quiet_NaN();
};

template <class Sink>
void RainflowCounter::takeTurn(double value, Sink& sink) {
  if (top == first) {
    makeRoom();
    stack[top++] = value;  // the start point
    running = value;
    direction = 1.0;
    return;
  }
  if (value == running || std::abs(value - running) < gate) {
    return;  // level, or a turn the gate filters out
  }
  if (top - first > 1 || leftBehind(stack[first])) {
    pushReversal(running, sink);  // not the start point turning back at once
  }
  direction = -direction;
  running = value;
}

template <class Sink>
void RainflowCounter::pushReversal(double reversal, Sink& sink) {
  if (top == stack.size()) {
    makeRoom();
  }
  stack[top++] = reversal;
  while (top - first >= 3) {
    double x = std::abs(stack[top - 1] - stack[top - 2]);
    double y = std::abs(stack[top - 2] - stack[top - 3]);
    if (x < y) {
      return;
    }
    if (top - first == 3) {  // Y holds the start point: half a cycle, and the start moves on
      sink.count(y, 0.5);
      ++first;
    } else {
      sink.count(y, 1.0);
      stack[top - 3] = stack[top - 1];
      top -= 2;
    }
  }
}

inline void RainflowCounter::makeRoom() {
  if (first > 0) {
    std::copy(stack.begin() + static_cast<std::ptrdiff_t>(first),
              stack.begin() + static_cast<std::ptrdiff_t>(top), stack.begin());
    top -= first;
    first = 0;
  }
  if (top == stack.size()) {
    stack.resize(2 * stack.size() + 16);
  }
}

template <class Sink>
void RainflowCounter::finish(Sink& sink) {
  if (top > first && leftBehind(stack[top - 1])) {
    pushReversal(running, sink);
  }
  for (std::size_t i = first + 1; i < top; ++i) {
    sink.count(std::abs(stack[i] - stack[i - 1]), 0.5);
  }
  first = top = 0;
  direction = std::numeric_limits<double>::quiet_NaN();
  running = 0.0;
}

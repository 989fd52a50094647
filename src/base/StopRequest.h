// A request to stop a long loop, for whoever runs the loop in process and must be able to
// interrupt it (an interactive session). The loop asks at every step; the question itself is
// put only every 65,536th time, so that it costs the loop nothing. With no question, the loop
// is never stopped.
#pragma once

#include <functional>
#include <utility>

class StopRequest {
 public:
  StopRequest() = default;
  // question() is true once the loop must stop.
  explicit StopRequest(std::function<bool()> question) : question(std::move(question)) {}

  // True when the loop must stop now; puts the question only every 65,536th call.
  bool due() { return question && (++steps & askMask) == 0 && question(); }

  // What a stopped loop reports.
  static constexpr const char* message = "stopped on request";

 private:
  static constexpr unsigned askMask = (1u << 16) - 1;
  std::function<bool()> question;
  unsigned steps = 0;
};

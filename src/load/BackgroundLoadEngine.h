// A load-effect engine on a thread of its own: vehicles are handed over in blocks, so that
// making vehicles and following their load effects overlap. The rows are the same bytes as
// the engine writes when the caller feeds it directly.
#pragma once

#include <atomic>
#include <ostream>
#include <string>
#include <vector>

#include "base/BlockHandover.h"
#include "load/LoadEffectEngine.h"
#include "record/RecordValues.h"

class BackgroundLoadEngine {
 public:
  static constexpr std::size_t blockSize = 2048;  // vehicles handed over at a time

  // As LoadEffectEngine's: writes the headers to out, events and the fatigue streams (when
  // given), which must outlive this. REQUIRES: at least one effect.
  BackgroundLoadEngine(const LoadSettings& settings, std::ostream& out,
                       std::ostream* events = nullptr, FatigueStreams fatigue = {});
  BackgroundLoadEngine(const BackgroundLoadEngine&) = delete;
  BackgroundLoadEngine& operator=(const BackgroundLoadEngine&) = delete;
  // Stops the thread; the rows of days finish() did not reach are not written.
  virtual ~BackgroundLoadEngine() = default;

  // Queues the next vehicle, in time order. False once the engine has refused a vehicle
  // (refusal() says which and why); nothing is taken after it.
  bool add(const RecordValues& vehicle);
  // Waits until every queued vehicle is taken, then writes the rows of the days up to
  // `days` not yet written. False, writing nothing more, when a vehicle was refused.
  bool finish(int days);
  // "the vehicle of lane <n> at <time>: <why>", once a vehicle was refused.
  const std::string& refusal() const { return refusalText; }

 private:
  void handOver();
  // Feeds the block to the engine, up to a vehicle it refuses; on the engine's thread.
  void takeBlock(std::vector<RecordValues>& block);

  LoadEffectEngine engine;
  std::vector<RecordValues> filling;  // queued by the caller
  std::atomic<bool> refused{false};
  std::string refusalText;                            // written by the thread before refused is set
  BlockHandover<std::vector<RecordValues>> handover;  // started last, stopped first
};

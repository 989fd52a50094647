// Collects the vehicles of a run in arrival order and writes them to a stream (the output
// file, which the run opens) in blocks of `capacity`, one record per line, announcing each block on
// standard output with "Flushing buffer of <n> vehicles at <time of the block's last vehicle>". A
// vehicle's record is formed as soon as it is added, while the vehicle is fresh in memory, and the
// vehicle is then released. A flushed block is written by a background thread while the next block
// fills, so the program's own work and the system's work of writing overlap; the bytes written are
// the same. Memory stays bounded whatever the capacity: once a block's records fill handOffBytes
// they are handed over early, and the block's announcement follows when it completes. A stream that
// cannot be written is not reported here: failed() and finish() tell.
#pragma once

#include <atomic>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "base/BlockHandover.h"
#include "record/RecordLayout.h"
#include "record/Vehicle.h"

class VehicleWriter {
 public:
  // Writes to sink, which must outlive the writer; blocks hold bufferSize records. The CSV
  // form starts with its header line.
  VehicleWriter(std::ostream& sink, int bufferSize,
                RecordFormat format = RecordFormat::fixedColumns);
  VehicleWriter(const VehicleWriter&) = delete;
  VehicleWriter& operator=(const VehicleWriter&) = delete;
  // Waits for the blocks already handed over to be written. Records added since the last
  // flush() are not written: call flush() and finish() first.
  virtual ~VehicleWriter() = default;

  // The most record bytes a block holds before they are handed over to be written.
  static constexpr std::size_t handOffBytes = std::size_t{1} << 20;
  // Adds the vehicle's record, flushing first when the block already holds `capacity`.
  void add(std::unique_ptr<Vehicle> vehicle);
  // Announces the block and hands it over to be written, then starts an empty one. An
  // empty block prints and writes nothing. Waits only for the previous block's write.
  void flush();
  // Waits until every block handed over has reached the stream and flushed it. False when
  // the stream was not good to start with or a write failed.
  bool finish();
  // True once the stream is known to be failed.
  bool failed() const { return writeFailed; }
  // The system's reason for the first failure; read it after finish().
  const std::string& failureReason() const { return reason; }

 private:
  struct RecordBlock {
    std::vector<char> bytes;  // records, one per line
    std::size_t length = 0;   // bytes in use
  };
  // A block with room for the records of bufferSize vehicles, up to handOffBytes.
  static RecordBlock emptyBlock(int bufferSize);
  // Hands the records added so far to the writing thread, once it is done with the last.
  void handOver();
  // Writes a block to the stream; on the writing thread.
  void writeBlock(RecordBlock& records);
  void noteFailure();

  std::ostream& out;
  RecordBlock block;  // the records added since the last flush
  int count = 0;      // records in block
  int capacity = 0;   // records held before a flush
  RecordFormat recordFormat;
  std::unique_ptr<Vehicle> lastVehicle;  // the most recent one, whose time the flush names
  std::atomic<bool> writeFailed{false};
  std::string reason;                   // written by the writing thread before writeFailed is set
  BlockHandover<RecordBlock> handover;  // started last, stopped first
};

// Collects the vehicles of a run in arrival order and writes them to the output file in
// blocks of `capacity`, one record per line, announcing each block on standard output
// with "Flushing buffer of <n> vehicles at <time of the block's last vehicle>".
// A vehicle's record is formed as soon as it is added, while the vehicle is fresh in
// memory, and the vehicle is then released; the block of records reaches the file at
// flush. A file that cannot be opened or written is not reported here: failed() tells.
#pragma once

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "output/Vehicle.h"

class VehicleWriter {
 public:
  // Creates or truncates fileName for writing and makes room for bufferSize records.
  VehicleWriter(const std::string& fileName, int bufferSize);
  VehicleWriter(const VehicleWriter&) = delete;
  VehicleWriter& operator=(const VehicleWriter&) = delete;
  // Closes the file; whatever the stream still holds reaches it.
  virtual ~VehicleWriter() = default;

  // Sets the capacity and makes room for that many records (for at most
  // maxReservedVehicles up front: a larger block grows as it fills).
  void reserve(int newCapacity);
  static constexpr int maxReservedVehicles = 1000000;
  // Adds the vehicle's record, flushing first when the block already holds `capacity`.
  void add(std::unique_ptr<Vehicle> vehicle);
  // Announces and writes the block, then empties it. An empty block prints and writes
  // nothing. Each block reaches the system before flush returns.
  void flush();
  // True once the file could not be opened or a block could not be written.
  bool failed() const { return !file.good(); }
  // The system's reason for the first failure; empty while nothing failed.
  const std::string& failureReason() const { return reason; }

 private:
  void noteFailure();

  std::ofstream file;
  std::vector<char> block;  // the records added since the last flush, one per line
  std::size_t blockLength = 0;  // characters of block in use
  int count = 0;                // records in the block
  int capacity = 0;             // records held before a flush
  std::unique_ptr<Vehicle> lastVehicle;  // the most recent one, whose time the flush names
  std::string reason;
};

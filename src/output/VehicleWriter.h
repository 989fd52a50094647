// Collects the vehicles of a run in arrival order and writes them to the output file in
// blocks of `capacity`, one record per line, announcing each block on standard output
// with "Flushing buffer of <n> vehicles at <time of the block's last vehicle>".
// The writer owns the vehicles it is given and releases each once its record is written.
// A file that cannot be opened or written is not reported here: failed() tells.
#pragma once

#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "output/Vehicle.h"

class VehicleWriter {
 public:
  // Creates or truncates fileName for writing and makes room for bufferSize vehicles.
  VehicleWriter(const std::string& fileName, int bufferSize);
  VehicleWriter(const VehicleWriter&) = delete;
  VehicleWriter& operator=(const VehicleWriter&) = delete;
  // Closes the file; whatever the stream still holds reaches it.
  virtual ~VehicleWriter() = default;

  // Sets the capacity and makes room for that many vehicles (for at most
  // maxReservedVehicles up front: a larger buffer grows as it fills).
  void reserve(int newCapacity);
  static constexpr int maxReservedVehicles = 1000000;
  // Appends vehicle, flushing first when the buffer already holds `capacity` vehicles.
  void add(std::unique_ptr<Vehicle> vehicle);
  // Announces and writes the buffered vehicles, then empties the buffer. An empty buffer
  // prints and writes nothing. Each block reaches the system before flush returns.
  void flush();
  // True once the file could not be opened or a block could not be written.
  bool failed() const { return !file.good(); }
  // The system's reason for the first failure; empty while nothing failed.
  const std::string& failureReason() const { return reason; }

 private:
  void writeRecords();
  void noteFailure();

  std::ofstream file;
  std::vector<std::unique_ptr<Vehicle>> buffer;  // added since the last flush, in order
  int count = 0;                                 // always buffer.size()
  int capacity = 0;                              // vehicles held before a flush
  std::string block;                             // the records of one flush, reused
  std::string reason;
};

#include "output/VehicleWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>

VehicleWriter::VehicleWriter(const std::string& fileName, int bufferSize) {
  errno = 0;
  file.open(fileName, std::ios::out | std::ios::trunc);
  noteFailure();
  reserve(bufferSize);
}

void VehicleWriter::reserve(int newCapacity) {
  capacity = newCapacity;
  if (capacity > 0) {
    buffer.reserve(static_cast<std::size_t>(std::min(capacity, maxReservedVehicles)));
  }
}

void VehicleWriter::add(std::unique_ptr<Vehicle> vehicle) {
  if (count >= capacity) {
    flush();
  }
  ++count;
  buffer.push_back(std::move(vehicle));
}

void VehicleWriter::flush() {
  if (buffer.empty()) {
    return;
  }
  std::cout << "Flushing buffer of " << buffer.size() << " vehicles at "
            << buffer.back()->timeText() << std::endl;
  writeRecords();
  count = 0;
  buffer.clear();
}

void VehicleWriter::writeRecords() {
  block.clear();
  char record[Vehicle::maxRecordLength];
  for (const auto& vehicle : buffer) {
    int length = vehicle->formatRecord(record);
    block.append(record, static_cast<std::size_t>(length));
    block.push_back('\n');
  }
  errno = 0;
  file.write(block.data(), static_cast<std::streamsize>(block.size()));
  file.flush();
  noteFailure();
}

void VehicleWriter::noteFailure() {
  if (!file.good() && reason.empty()) {
    reason = std::strerror(errno != 0 ? errno : EIO);
  }
}

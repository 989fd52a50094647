#include "output/VehicleWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>

namespace {

constexpr std::size_t typicalRecordLine = 78;  // 77 characters and the line end

}  // namespace

VehicleWriter::VehicleWriter(const std::string& fileName, int bufferSize) {
  errno = 0;
  file.open(fileName, std::ios::out | std::ios::trunc);
  noteFailure();
  reserve(bufferSize);
}

void VehicleWriter::reserve(int newCapacity) {
  capacity = newCapacity;
  auto records = static_cast<std::size_t>(std::clamp(capacity, 1, maxReservedVehicles));
  block.resize(std::max(block.size(), records * typicalRecordLine + Vehicle::maxRecordLength));
}

void VehicleWriter::add(std::unique_ptr<Vehicle> vehicle) {
  if (count >= capacity) {
    flush();
  }
  if (block.size() < blockLength + Vehicle::maxRecordLength + 1) {
    block.resize(2 * block.size() + Vehicle::maxRecordLength + 1);
  }
  blockLength += static_cast<std::size_t>(vehicle->formatRecord(block.data() + blockLength));
  block[blockLength++] = '\n';
  ++count;
  lastVehicle = std::move(vehicle);
}

void VehicleWriter::flush() {
  if (count == 0) {
    return;
  }
  std::cout << "Flushing buffer of " << count << " vehicles at " << lastVehicle->timeText()
            << std::endl;
  errno = 0;
  file.write(block.data(), static_cast<std::streamsize>(blockLength));
  file.flush();
  noteFailure();
  blockLength = 0;
  count = 0;
}

void VehicleWriter::noteFailure() {
  if (!file.good() && reason.empty()) {
    reason = std::strerror(errno != 0 ? errno : EIO);
  }
}

#include "output/VehicleWriter.h"

#include <iostream>

VehicleWriter::VehicleWriter(const std::string& fileName, int bufferSize)
    : file(fileName, std::ios::out | std::ios::trunc) {
  reserve(bufferSize);
}

void VehicleWriter::reserve(int newCapacity) {
  capacity = newCapacity;
  if (capacity > 0) {
    buffer.reserve(static_cast<std::size_t>(capacity));
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
  file.write(block.data(), static_cast<std::streamsize>(block.size()));
}

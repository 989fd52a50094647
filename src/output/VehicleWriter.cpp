#include "output/VehicleWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>

namespace {

constexpr std::size_t typicalRecordLine = 78;  // 77 characters and the line end

}  // namespace

VehicleWriter::VehicleWriter(std::ostream& sink, int bufferSize, RecordFormat format)
    : out(sink), recordFormat(format) {
  errno = 0;
  if (recordFormat == RecordFormat::csv) {
    out << Vehicle::csvHeader() << '\n';
  }
  noteFailure();
  reserve(bufferSize);
  writer = std::thread(&VehicleWriter::writeBlocks, this);
}

VehicleWriter::~VehicleWriter() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    closing = true;
  }
  changed.notify_all();
  writer.join();
}

void VehicleWriter::reserve(int newCapacity) {
  capacity = newCapacity;
  auto records = static_cast<std::size_t>(std::max(capacity, 1));
  std::size_t size = std::min(records, handOffBytes / typicalRecordLine + 1) * typicalRecordLine +
                     Vehicle::maxRecordLength + 1;
  block.resize(size);
  writing.resize(size);
}

void VehicleWriter::add(std::unique_ptr<Vehicle> vehicle) {
  if (count >= capacity) {
    flush();
  }
  if (block.size() < blockLength + Vehicle::maxRecordLength + 1) {
    if (blockLength >= handOffBytes) {
      handOver();
    } else {
      block.resize(2 * block.size() + Vehicle::maxRecordLength + 1);
    }
  }
  char* record = block.data() + blockLength;
  int length = recordFormat == RecordFormat::csv ? vehicle->formatCsvRecord(record)
                                                 : vehicle->formatRecord(record);
  blockLength += static_cast<std::size_t>(length);
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
  handOver();
  count = 0;
}

void VehicleWriter::handOver() {
  {
    std::unique_lock<std::mutex> lock(mutex);
    changed.wait(lock, [this] { return !hasWork; });
    std::swap(block, writing);
    writingLength = blockLength;
    hasWork = true;
  }
  changed.notify_all();
  blockLength = 0;
  if (block.size() < Vehicle::maxRecordLength + 1) {
    block.resize(writing.size());
  }
}

bool VehicleWriter::finish() {
  std::unique_lock<std::mutex> lock(mutex);
  changed.wait(lock, [this] { return !hasWork; });
  return !writeFailed;
}

void VehicleWriter::writeBlocks() {
  std::unique_lock<std::mutex> lock(mutex);
  while (true) {
    changed.wait(lock, [this] { return hasWork || closing; });
    if (!hasWork) {
      return;
    }
    lock.unlock();
    errno = 0;
    out.write(writing.data(), static_cast<std::streamsize>(writingLength));
    out.flush();
    lock.lock();
    noteFailure();
    hasWork = false;
    changed.notify_all();
  }
}

void VehicleWriter::noteFailure() {
  if (!out.good() && !writeFailed) {
    reason = std::strerror(errno != 0 ? errno : EIO);
    writeFailed = true;
  }
}

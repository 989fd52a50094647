#include "record/VehicleWriter.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <iostream>

namespace {

constexpr std::size_t typicalRecordLine = 78;  // 77 characters and the line end

}  // namespace

VehicleWriter::VehicleWriter(std::ostream& sink, int bufferSize, RecordFormat format)
    : out(sink),
      block(emptyBlock(bufferSize)),
      capacity(bufferSize),
      recordFormat(format),
      handover([this](RecordBlock& records) { writeBlock(records); }, emptyBlock(bufferSize)) {
  errno = 0;
  if (recordFormat == RecordFormat::csv) {
    out << Vehicle::csvHeader() << '\n';
  }
  noteFailure();
}

VehicleWriter::RecordBlock VehicleWriter::emptyBlock(int bufferSize) {
  auto records = static_cast<std::size_t>(std::max(bufferSize, 1));
  std::size_t size = std::min(records, handOffBytes / typicalRecordLine + 1) * typicalRecordLine +
                     Vehicle::maxRecordLength + 1;
  return {std::vector<char>(size), 0};
}

void VehicleWriter::add(std::unique_ptr<Vehicle> vehicle) {
  if (count >= capacity) {
    flush();
  }
  if (block.bytes.size() < block.length + Vehicle::maxRecordLength + 1) {
    if (block.length >= handOffBytes) {
      handOver();
    } else {
      block.bytes.resize(2 * block.bytes.size() + Vehicle::maxRecordLength + 1);
    }
  }
  char* record = block.bytes.data() + block.length;
  int length = recordFormat == RecordFormat::csv ? vehicle->formatCsvRecord(record)
                                                 : vehicle->formatRecord(record);
  block.length += static_cast<std::size_t>(length);
  block.bytes[block.length++] = '\n';
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
  std::size_t size = block.bytes.size();
  handover.handOver(block);
  block.length = 0;
  if (block.bytes.size() < Vehicle::maxRecordLength + 1) {
    block.bytes.resize(size);
  }
}

bool VehicleWriter::finish() {
  handover.waitUntilTaken();
  return !writeFailed;
}

void VehicleWriter::writeBlock(RecordBlock& records) {
  errno = 0;
  out.write(records.bytes.data(), static_cast<std::streamsize>(records.length));
  out.flush();
  noteFailure();
}

void VehicleWriter::noteFailure() {
  if (!out.good() && !writeFailed) {
    reason = std::strerror(errno != 0 ? errno : EIO);
    writeFailed = true;
  }
}

#include "port/hardware_port.h"

namespace velmo::port {

HardwarePort::HardwarePort(std::unique_ptr<ParallelPortLines> lines,
                           std::unique_ptr<PortBackend> mirror)
    : lines_(std::move(lines)), mirror_(std::move(mirror)) {}

void HardwarePort::writeData(std::uint8_t value) {
  lines_->write(value);
  mirror_->writeData(value);
}

std::uint8_t HardwarePort::readData() {
  if (const auto value = lines_->read()) return *value;
  return mirror_->readData();
}

}  // namespace velmo::port

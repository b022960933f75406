// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/port_service.h"

#include <string>

#include "port/velmo_port.h"

namespace velmo::port {

PortService::PortService(const PortEnvironment& environment) {
  const PortSetting setting = parsePortSetting(environment);
  if (!environment.tracePath.empty()) {
    trace_ = std::make_unique<PortTrace>(environment.tracePath, clock_);
  }
  register_ = makeDataRegister(setting);
}

void PortService::out(std::int32_t port, std::int32_t value) {
  requireDataRegister(port);
  const auto byte = static_cast<std::uint8_t>(value & 0xFF);
  register_->writeData(byte);
  if (trace_) trace_->record(PortTrace::Direction::kOut, port, byte);
}

std::uint8_t PortService::in(std::int32_t port) {
  requireDataRegister(port);
  const std::uint8_t byte = register_->readData();
  if (trace_) trace_->record(PortTrace::Direction::kIn, port, byte);
  return byte;
}

void PortService::requireDataRegister(std::int32_t port) const {
  if (port != kDataPort) {
    throw PortAccessError("The port library drives only the parallel port's data register, port " +
                          std::to_string(kDataPort) + " (0x378), not port " + std::to_string(port) +
                          ".");
  }
}

}  // namespace velmo::port

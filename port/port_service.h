// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>

#include "port/data_register.h"
#include "port/port_setting.h"
#include "port/port_trace.h"
#include "timers/clock.h"

namespace velmo::port {

// What stands behind the library's C entries: the register of the backend
// that VELMO_PORT chose and the trace that VELMO_PORT_TRACE asked for.
class PortService {
 public:
  // Sets up trace and register from environment. A trace that cannot be
  // opened is an error here, before any port is touched: a recording that
  // silently misses accesses would be worse than a program that stops and
  // says why. Throws PortAccessError.
  explicit PortService(const PortEnvironment& environment);

  // Writes the low 8 bits of value to the data register at port. Throws
  // PortAccessError, also for any port but the data register.
  void out(std::int32_t port, std::int32_t value);

  // The byte in the data register at port. Throws PortAccessError.
  std::uint8_t in(std::int32_t port);

 private:
  void requireDataRegister(std::int32_t port) const;

  MonotonicClock clock_;
  std::unique_ptr<PortTrace> trace_;
  std::unique_ptr<DataRegister> register_;
};

}  // namespace velmo::port

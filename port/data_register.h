// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <stdexcept>

namespace velmo::port {

// A port access that failed. what() names what failed, the reason and what
// to do about it.
class PortAccessError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The data register of one parallel port, as one backend drives it: the
// simulated register (the default), or output lines with a register beside
// them.
class DataRegister {
 public:
  virtual ~DataRegister() = default;

  // Drives the eight data lines with value until the next write. Throws
  // PortAccessError.
  virtual void writeData(std::uint8_t value) = 0;

  // The byte on the data lines, normally the last one written. Throws
  // PortAccessError.
  virtual std::uint8_t readData() = 0;
};

}  // namespace velmo::port

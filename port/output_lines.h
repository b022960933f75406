// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>

namespace velmo::port {

// The eight output lines of a device: the data lines of a real parallel
// port, or DMX channels.
class OutputLines {
 public:
  virtual ~OutputLines() = default;

  // Drives the lines with value. Throws PortAccessError.
  virtual void write(std::uint8_t value) = 0;

  // The byte on the lines, or nothing when this kind of device cannot read
  // its lines back. Throws PortAccessError.
  virtual std::optional<std::uint8_t> read() = 0;
};

}  // namespace velmo::port

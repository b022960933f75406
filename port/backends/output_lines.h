// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "port/data_register.h"

namespace velmo::port {

// The device behind output lines cannot be reached now (olad is not
// running, went away or does not answer); a later try may reach it.
class OutputAwayError : public PortAccessError {
 public:
  using PortAccessError::PortAccessError;
};

// The eight output lines of a device: the data lines of a real parallel
// port, DMX channels, relays or GPIO lines.
class OutputLines {
 public:
  virtual ~OutputLines() = default;

  // Drives the lines with value. Throws OutputAwayError, or PortAccessError
  // for a failure that trying again will not mend.
  virtual void write(std::uint8_t value) = 0;

  // The byte on the lines, or nothing when this kind of device cannot read
  // its lines back. Throws PortAccessError.
  virtual std::optional<std::uint8_t> read() = 0;

  // Makes sure the device can be reached, reaching it anew after it was
  // away, and learns how it takes writes. Throws as write. Nothing to do for
  // a device that cannot go away.
  virtual void check() {}

  // Lets go of the device, so that another process may take it; check()
  // takes it again. What the lines do meanwhile is the device's (relays
  // latch; GPIO lines are released).
  virtual void release() {}

  // For lines that learn by themselves that their device is reached anew
  // (a broker connection made again): a descriptor that is readable then,
  // until the next check(). The device's state is unknown then: it must be
  // driven again. -1 for lines that do not learn it.
  virtual int reachedDescriptor() const { return -1; }

  // What the user should hear once about the device, after check() first
  // reached it ("headline\ndetails", as a notice), such as lines that
  // drive nothing on it; "" when nothing.
  virtual std::string takeRemark() { return {}; }
};

}  // namespace velmo::port

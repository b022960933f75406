// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "port/backends/output_lines.h"

struct parport;

namespace velmo::port {

// The data lines of a parallel port through libieee1284 (ppdev, /dev/port or
// direct I/O, whichever the machine offers). The port is opened shared at
// construction and claimed only around each access, so several programs can
// take turns on it.
class Ieee1284Lines final : public OutputLines {
 public:
  // Opens the port that libieee1284 lists as name. Throws PortAccessError
  // naming the port, the reason and the fix: no such port (listing the ports
  // found, or saying that there are none), access denied, port busy.
  explicit Ieee1284Lines(const std::string& name);
  ~Ieee1284Lines() override;
  Ieee1284Lines(const Ieee1284Lines&) = delete;
  Ieee1284Lines& operator=(const Ieee1284Lines&) = delete;

  void write(std::uint8_t value) override;
  std::optional<std::uint8_t> read() override;

 private:
  void claim();

  std::string name_;
  parport* port_ = nullptr;
};

}  // namespace velmo::port

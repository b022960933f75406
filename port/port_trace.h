// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>

#include "system/file_descriptor.h"
#include "timers/clock.h"

namespace velmo::port {

// Appends one line per port access to a file that several programs may share:
//   <nanoseconds on clock> out <port> <value>
//   <nanoseconds on clock> in <port> <value>
// Each line is one write() on a descriptor opened with O_APPEND, so lines of
// different processes never mix.
class PortTrace {
 public:
  enum class Direction { kOut, kIn };

  // Opens (creating with mode 0600) the trace at path, never through a
  // symbolic link. Throws PortAccessError naming the path and the reason
  // when it cannot, at once for a named pipe that no program reads.
  PortTrace(const std::string& path, const Clock& clock);

  // Appends the line for one access. Throws PortAccessError when the line
  // cannot be written whole.
  void record(Direction direction, int port, std::uint8_t value);

 private:
  std::string path_;
  const Clock& clock_;
  FileDescriptor file_;
};

}  // namespace velmo::port

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "port/backends/output_lines.h"
#include "system/file_descriptor.h"

namespace velmo::port {

// The eight relays of a serial relay board (see serial_frame.h) through
// termios: the port opened raw at 9600 baud, 8N1, without flow control, and
// exclusive (TIOCEXCL), so that no other program's bytes interleave.
class SerialLines final : public OutputLines {
 public:
  // Opens nothing yet.
  explicit SerialLines(std::string device);
  ~SerialLines() override;
  SerialLines(const SerialLines&) = delete;
  SerialLines& operator=(const SerialLines&) = delete;

  // Sends the frames of the relays whose state changed, of all eight after
  // the port was opened; waits for the port to take them 2 s at most.
  // Throws OutputAwayError when it does not, or the port went away.
  void write(std::uint8_t value) override;

  std::optional<std::uint8_t> read() override { return std::nullopt; }

  // Opens the port unless open, or checks that it is still there. Throws
  // PortAccessError naming the port and the fix: no such port (with the
  // serial ports there are), permission denied (with the group to join),
  // in use, not a serial port; OutputAwayError when an open port went away.
  void check() override;

  // Closes the port, exclusive no more, so that another process may open it.
  void release() override;

 private:
  void open();
  void send(const std::uint8_t* bytes, std::size_t size);
  [[noreturn]] void fail(const std::string& what);

  std::string device_;
  FileDescriptor port_;
  std::optional<std::uint8_t> relays_;  // as last sent; nothing after opening
};

}  // namespace velmo::port

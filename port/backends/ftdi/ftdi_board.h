// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "port/backends/output_lines.h"

struct ftdi_context;

namespace velmo::port {

// The eight relays on D0 to D7 of a board with an FTDI FT245R or FT232R,
// through libftdi: every pin an output in bit-bang mode, one byte per
// write. The relays keep their state when the board is let go.
class FtdiBoard final : public OutputLines {
 public:
  // device: in libftdi's device-string forms, "" for the first FT245R or
  // FT232R (0403:6001). Opens nothing yet.
  explicit FtdiBoard(std::string device);
  ~FtdiBoard() override;
  FtdiBoard(const FtdiBoard&) = delete;
  FtdiBoard& operator=(const FtdiBoard&) = delete;

  // Throws OutputAwayError when the board went away.
  void write(std::uint8_t value) override;
  std::optional<std::uint8_t> read() override { return std::nullopt; }

  // Opens the board and sets bit-bang mode unless open, or checks that it
  // still answers. Throws PortAccessError naming the board and the fix: no
  // such board (with the boards there are), permission denied (the udev
  // rule), in use; OutputAwayError when an open board went away.
  void check() override;

  // Closes the board; bit-bang mode and the pins stay as they are.
  void release() override;

 private:
  void open();
  [[noreturn]] void away(const std::string& what);
  std::string name() const;

  std::string device_;
  ftdi_context* context_ = nullptr;
};

}  // namespace velmo::port

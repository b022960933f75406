// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "port/backends/output_lines.h"

struct gpiod_chip;
struct gpiod_line;

namespace velmo::port {

// Up to eight Linux GPIO lines of one chip through libgpiod (1.6): each
// requested as an output for the consumer "velmo", active low where the
// relay switches on low; line N of the port drives the Nth. Let go, the
// lines are released.
class GpioLines final : public OutputLines {
 public:
  // chip: a name, path, label or number; lines: an offset or a line name
  // each, with a leading ! for active low. Opens nothing yet.
  GpioLines(std::string chip, std::vector<std::string> lines);
  ~GpioLines() override;
  GpioLines(const GpioLines&) = delete;
  GpioLines& operator=(const GpioLines&) = delete;

  // Sets the lines whose value changed (all of them after requesting).
  // Throws OutputAwayError when the chip went away.
  void write(std::uint8_t value) override;
  std::optional<std::uint8_t> read() override { return std::nullopt; }

  // Opens the chip and requests the lines unless requested. Throws
  // PortAccessError naming what is wrong and the fix: no such chip (with
  // the chips there are), no such line (with the chip's lines), a line in
  // use (by whom), permission denied (the group to join).
  void check() override;

  void release() override;

 private:
  void open();
  gpiod_line* find(const std::string& line) const;
  std::string chipName() const;

  std::string chip_;
  std::vector<std::string> lines_;
  gpiod_chip* opened_ = nullptr;
  std::vector<gpiod_line*> requested_;
  std::optional<std::uint8_t> values_;  // as set; nothing after requesting
};

}  // namespace velmo::port

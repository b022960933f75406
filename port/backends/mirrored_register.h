// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <utility>

#include "port/backends/output_lines.h"
#include "port/data_register.h"
#include "port/register/simulated_register.h"

namespace velmo::port {

// Output lines whose every byte written is mirrored into a simulated
// register, so that the port monitor shows the real lines too. Lines that
// cannot be read back read the mirror, which holds the last byte written.
class MirroredRegister final : public DataRegister {
 public:
  MirroredRegister(std::unique_ptr<OutputLines> lines, const RegisterLocation& mirror)
      : lines_(std::move(lines)), mirror_(mirror) {}

  // Writes the lines first; the mirror only takes a byte the lines took.
  void writeData(std::uint8_t value) override {
    lines_->write(value);
    mirror_.writeData(value);
  }

  std::uint8_t readData() override {
    if (const auto value = lines_->read()) return *value;
    return mirror_.readData();
  }

 private:
  std::unique_ptr<OutputLines> lines_;
  SimulatedRegister mirror_;
};

}  // namespace velmo::port

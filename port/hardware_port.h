#pragma once

#include <cstdint>
#include <memory>
#include <optional>

#include "port/port_backend.h"

namespace velmo::port {

// The eight data lines of a real parallel port.
class ParallelPortLines {
 public:
  virtual ~ParallelPortLines() = default;

  // Drives the lines with value. Throws PortAccessError.
  virtual void write(std::uint8_t value) = 0;

  // The byte on the lines, or nothing when this kind of port cannot read its
  // data lines back. Throws PortAccessError.
  virtual std::optional<std::uint8_t> read() = 0;
};

// A real port whose every byte written is mirrored into a simulated register,
// so that the port monitor shows the real lines too. A port that cannot read
// its data lines back reads the mirror, which holds the last byte written.
class HardwarePort final : public PortBackend {
 public:
  HardwarePort(std::unique_ptr<ParallelPortLines> lines, std::unique_ptr<PortBackend> mirror);

  // Writes the lines first; the mirror only takes a byte the lines took.
  void writeData(std::uint8_t value) override;
  std::uint8_t readData() override;

 private:
  std::unique_ptr<ParallelPortLines> lines_;
  std::unique_ptr<PortBackend> mirror_;
};

}  // namespace velmo::port

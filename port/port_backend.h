#pragma once

#include <cstdint>
#include <stdexcept>

namespace velmo::port {

// I/O address of the only register the library drives: the first parallel
// port's data register.
inline constexpr int kDataRegisterPort = 888;

// A port access that failed. what() names what failed, the reason and what
// to do about it.
class PortAccessError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// The data register of one parallel port: the simulated register (the
// default) or real hardware.
class PortBackend {
 public:
  virtual ~PortBackend() = default;

  // Drives the eight data lines with value until the next write. Throws
  // PortAccessError.
  virtual void writeData(std::uint8_t value) = 0;

  // The byte on the data lines, normally the last one written. Throws
  // PortAccessError.
  virtual std::uint8_t readData() = 0;
};

}  // namespace velmo::port

#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "shared/port.h"

namespace velmo::test {

// A simulated data register that logs every access as "in 888 <byte>" or
// "out 888 <byte>" into a log shared with other observers.
class RecordingPort final : public Port {
 public:
  explicit RecordingPort(std::vector<std::string>& log) : log_(log) {}

  int reg = 0;  // the register; tests set it to play another program's write

 protected:
  void writeByte(int port, std::uint8_t value) override {
    reg = value;
    log_.push_back("out " + std::to_string(port) + " " + std::to_string(value));
  }
  std::uint8_t readByte(int port) override {
    log_.push_back("in " + std::to_string(port) + " " + std::to_string(reg));
    return static_cast<std::uint8_t>(reg);
  }

 private:
  std::vector<std::string>& log_;
};

}  // namespace velmo::test

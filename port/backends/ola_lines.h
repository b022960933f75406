// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <optional>

#include "port/backends/output_lines.h"
#include "port/port_setting.h"

struct OlaPortSender;

namespace velmo::port {

struct OlaModule;

// Eight DMX channels of an OLA universe as data lines (255 set, 0 clear),
// through the OLA module libvelmoport-ola.so. The module is loaded from the
// folder of the code that holds this class (the port library's), the first
// time an OLA port is opened, and stays loaded: only then does the process
// need OLA's libraries.
class OlaLines final : public OutputLines {
 public:
  // Loads the module; connects to nothing yet. Throws PortAccessError naming
  // what failed and what to do: the module missing or unusable, or a
  // library it needs missing (with the Debian package that brings it).
  explicit OlaLines(const OlaTarget& target);
  ~OlaLines() override;
  OlaLines(const OlaLines&) = delete;
  OlaLines& operator=(const OlaLines&) = delete;

  // Returns once olad has taken the frame. Throws OutputAwayError when olad
  // cannot be reached (not running, gone, not answering), PortAccessError
  // when it has no such universe.
  void write(std::uint8_t value) override;

  // DMX output cannot be read back.
  std::optional<std::uint8_t> read() override { return std::nullopt; }

  // Connects to olad unless connected and learns the universe's merge mode.
  // Throws as write.
  void check() override;

 private:
  void throwUnlessDone(int outcome) const;

  const OlaModule& module_;
  OlaPortSender* sender_;
};

}  // namespace velmo::port

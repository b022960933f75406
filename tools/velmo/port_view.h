// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "port/port_setting.h"

namespace velmo::cli {

// What the velmo command needs of a port setting (a VELMO_PORT or --port
// value): the target the programs on it are named for on the session bus,
// and the register that portmonitor shows for it. Everything velmo takes
// from port/ goes through this file.
struct PortView {
  std::string target;               // port::targetName: "" for the default register
  port::RegisterLocation location;  // the simulated register, or the one that mirrors the port
};

// The view of environment.port. Throws port::PortAccessError for a value
// that is not a port setting, with the valid forms.
PortView viewPort(const port::PortEnvironment& environment);

// Whether value is a port setting that viewPort takes.
bool isPortSetting(std::string_view value);

// The register's byte now, without creating the register (0 when it is
// missing). Throws port::PortAccessError when it cannot be read.
std::uint8_t readRegister(const PortView& view);

}  // namespace velmo::cli

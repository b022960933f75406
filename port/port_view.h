// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "port/register/register_watcher.h"
#include "port/register/simulated_register.h"

namespace velmo::port {

// The port as the tools (portmonitor, velmo, velmo-remote) see it: what a
// port setting (a VELMO_PORT or --port value) names, and the shared register
// that shows its lines, whatever backend drives them. The tools take nothing
// else from the port library's internals.
struct PortView {
  // The canonical target, the same for every way of writing it: programs on
  // one target share its lines, and their bus names carry it. "" for the
  // default simulated register.
  std::string target;
  RegisterLocation location;  // the register every write goes to first
};

// VELMO_PORT as this process got it, "" when unset.
std::string environmentPortSetting();

// The view of setting, read as the port library reads VELMO_PORT. Touches no
// port. Throws PortAccessError with the valid forms when it is no setting.
PortView viewPort(const std::string& setting);

// Whether setting is a port setting viewPort takes.
bool isPortSetting(std::string_view setting);

// The register's byte now, without creating the register (0 when it is
// missing). Throws PortAccessError when it cannot be read.
std::uint8_t readRegister(const PortView& view);

// The DMX channels that "UNIVERSE[:CHANNEL][@RPCPORT]" names, as
// VELMO_PORT=ola:... names them, for a tool's option of that form: eight
// channels from firstChannel of universe, on the olad of rpcPort; nothing
// when text is not of that form. Throws PortAccessError that names option
// and gives the range of a number out of it.
struct DmxChannels {
  std::uint32_t universe = 0;
  unsigned firstChannel = 1;
  unsigned rpcPort = 9010;
};
std::optional<DmxChannels> dmxChannelsOf(std::string_view text, std::string_view option);

// A watcher that follows the register live (see RegisterWatcher). Throws
// PortAccessError.
std::unique_ptr<RegisterWatcher> watchRegister(const PortView& view);

}  // namespace velmo::port

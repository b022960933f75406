// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <memory>
#include <string>

#include "port/register_watcher.h"
#include "tools/remote/remote_options.h"

namespace velmo::remote {

// The port target the remote serves: the programs' bus names carry its text,
// and its register shows the lines.
struct PortTarget {
  std::string text;  // port::targetName: "" for the default register
  port::RegisterLocation location;
};

// The target that setting names, read as the port library reads VELMO_PORT.
// Throws port::PortAccessError with what is valid when it is not a setting.
PortTarget selectPortTarget(const std::string& setting);

// VELMO_PORT as this process got it, "" when unset.
std::string portSettingFromEnvironment();

// "UNIVERSE[:CHANNEL][@RPCPORT]" as --dmx-in names DMX channels, read as the
// port library reads an OLA target; nothing when text is not of that form.
// Throws OptionError that gives the range of a number out of it.
std::optional<DmxSource> dmxSourceOf(const std::string& text);

// A watcher on the target's register.
std::unique_ptr<port::RegisterWatcher> watchRegister(const PortTarget& target);

}  // namespace velmo::remote

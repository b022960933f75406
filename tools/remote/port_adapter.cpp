// SPDX-License-Identifier: GPL-3.0-or-later
// Everything the remote takes from the port library is here, in one place.
#include "tools/remote/port_adapter.h"

#include "port/port_setting.h"

namespace velmo::remote {

PortTarget selectPortTarget(const std::string& setting) {
  port::PortEnvironment environment = port::PortEnvironment::current();
  environment.port = setting;
  const port::PortSetting parsed = port::parsePortSetting(environment);
  return {port::targetName(parsed), port::registerOf(parsed)};
}

std::string portSettingFromEnvironment() {
  return port::PortEnvironment::current().port;
}

std::optional<DmxSource> dmxSourceOf(const std::string& text) {
  try {
    const auto target = port::parseOlaTarget(text, "--dmx-in \"" + text + "\"");
    if (!target) return std::nullopt;
    return DmxSource{target->universe, target->firstChannel, target->rpcPort};
  } catch (const port::PortAccessError& error) {
    throw OptionError(error.what());
  }
}

std::unique_ptr<port::RegisterWatcher> watchRegister(const PortTarget& target) {
  return std::make_unique<port::RegisterWatcher>(target.location);
}

}  // namespace velmo::remote

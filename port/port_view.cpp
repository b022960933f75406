// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/port_view.h"

#include "port/port_setting.h"

namespace velmo::port {

std::string environmentPortSetting() {
  return PortEnvironment::current().port;
}

PortView viewPort(const std::string& setting) {
  PortEnvironment environment = PortEnvironment::current();
  environment.port = setting;
  const PortSetting parsed = parsePortSetting(environment);
  return {targetName(parsed), registerOf(parsed)};
}

bool isPortSetting(std::string_view setting) {
  try {
    viewPort(std::string(setting));
    return true;
  } catch (const PortAccessError&) {
    return false;
  }
}

std::uint8_t readRegister(const PortView& view) {
  return SimulatedRegister(view.location).peek();
}

std::optional<DmxChannels> dmxChannelsOf(std::string_view text, std::string_view option) {
  const auto target = parseOlaTarget(text, option);
  if (!target) return std::nullopt;
  return DmxChannels{target->universe, target->firstChannel, target->rpcPort};
}

std::unique_ptr<RegisterWatcher> watchRegister(const PortView& view) {
  return std::make_unique<RegisterWatcher>(view.location);
}

}  // namespace velmo::port

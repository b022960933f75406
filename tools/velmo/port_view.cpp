// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/velmo/port_view.h"

#include "port/register/simulated_register.h"

namespace velmo::cli {

PortView viewPort(const port::PortEnvironment& environment) {
  const port::PortSetting setting = port::parsePortSetting(environment);
  return {port::targetName(setting), port::registerOf(setting)};
}

bool isPortSetting(std::string_view value) {
  port::PortEnvironment environment = port::PortEnvironment::current();
  environment.port = value;
  try {
    port::parsePortSetting(environment);
    return true;
  } catch (const port::PortAccessError&) {
    return false;
  }
}

std::uint8_t readRegister(const PortView& view) {
  return port::SimulatedRegister(view.location).peek();
}

}  // namespace velmo::cli

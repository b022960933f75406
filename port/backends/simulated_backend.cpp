// SPDX-License-Identifier: GPL-3.0-or-later
// The backend table's row of the simulated register: "", "sim" or "sim:PATH".
#include "port/port_setting.h"
#include "port/register/simulated_register.h"
#include "system/paths.h"

namespace velmo::port {
namespace {

std::optional<PortSetting> parseSimulated(std::optional<std::string_view> path,
                                          const PortEnvironment& environment) {
  if (!path) {
    return SimulatedSetting{{defaultRegisterPath(environment), RegisterLocation::Folder::kPrivate}};
  }
  if (path->empty()) return std::nullopt;
  // The default register by its path is the default register.
  if (*path == defaultRegisterPath(environment)) return parseSimulated(std::nullopt, environment);
  return SimulatedSetting{{std::string(*path), RegisterLocation::Folder::kExisting}};
}

std::unique_ptr<DataRegister> makeSimulated(const PortSetting& setting) {
  return std::make_unique<SimulatedRegister>(std::get<SimulatedSetting>(setting).location);
}

std::string simulatedHelp(const PortEnvironment& environment) {
  return "unset, empty or \"sim\" for the simulated register " + defaultRegisterPath(environment) +
         "; \"sim:PATH\" for a simulated register in the file PATH";
}

std::string simulatedName(const PortSetting& setting) {
  const RegisterLocation& location = std::get<SimulatedSetting>(setting).location;
  if (location.folder == RegisterLocation::Folder::kPrivate) return "";
  return "sim:" + absolutePath(location.path);
}

}  // namespace

constinit const Backend kSimulatedBackend{"sim", parseSimulated, makeSimulated, simulatedHelp,
                                          simulatedName};

}  // namespace velmo::port

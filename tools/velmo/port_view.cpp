#include "tools/velmo/port_view.h"

#include <filesystem>

#include "port/simulated_register.h"

namespace velmo::cli {
namespace {

std::string canonicalTarget(const port::PortSetting& setting,
                            const port::PortEnvironment& environment) {
  using Kind = port::PortSetting::Kind;
  switch (setting.kind) {
    case Kind::kSimulated: {
      if (setting.privateFolder) return "";
      const std::string path = std::filesystem::absolute(setting.registerPath).string();
      return path == port::defaultRegisterPath(environment) ? "" : "sim:" + path;
    }
    case Kind::kHardware:
      return "hw:" + setting.hardwareName;
    case Kind::kOla:
      return "ola:" + std::to_string(setting.ola.universe) + ":" +
             std::to_string(setting.ola.firstChannel) + "@" + std::to_string(setting.ola.rpcPort);
  }
  return "";
}

}  // namespace

PortView viewPort(const port::PortEnvironment& environment) {
  const port::PortSetting setting = port::parsePortSetting(environment);
  return {canonicalTarget(setting, environment), setting.registerPath, setting.privateFolder};
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
  using Folder = port::SimulatedRegister::Folder;
  return port::SimulatedRegister(view.registerPath,
                                 view.privateFolder ? Folder::kPrivate : Folder::kExisting)
      .peek();
}

}  // namespace velmo::cli

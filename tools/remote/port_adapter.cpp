// Everything the remote takes from the port library is here, in one place.
#include "tools/remote/port_adapter.h"

#include "port/port_setting.h"

namespace velmo::remote {
namespace {

// The target text the programs put in their bus names: empty for the
// default register, otherwise the setting written out in full.
std::string canonicalTargetText(const port::PortSetting& setting,
                                const port::PortEnvironment& environment) {
  using Kind = port::PortSetting::Kind;
  switch (setting.kind) {
    case Kind::kSimulated:
      return setting.registerPath == port::defaultRegisterPath(environment)
                 ? ""
                 : "sim:" + setting.registerPath;
    case Kind::kHardware:
      return "hw:" + setting.hardwareName;
    case Kind::kOla:
      return "ola:" + std::to_string(setting.ola.universe) + ":" +
             std::to_string(setting.ola.firstChannel) + "@" + std::to_string(setting.ola.rpcPort);
  }
  return "";
}

}  // namespace

PortTarget selectPortTarget(const std::string& setting) {
  port::PortEnvironment environment = port::PortEnvironment::current();
  environment.port = setting;
  const port::PortSetting parsed = port::parsePortSetting(environment);
  return {canonicalTargetText(parsed, environment), parsed.registerPath, parsed.privateFolder};
}

std::string portSettingFromEnvironment() {
  return port::PortEnvironment::current().port;
}

std::unique_ptr<port::RegisterWatcher> watchRegister(const PortTarget& target) {
  return std::make_unique<port::RegisterWatcher>(target.registerPath, target.privateRegisterFolder);
}

}  // namespace velmo::remote

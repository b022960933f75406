#include "platform/port/port_setting.h"

#include <unistd.h>

#include <cstdlib>
#include <string_view>

#include "platform/port/hardware_port.h"
#include "platform/port/ieee1284_lines.h"
#include "platform/port/simulated_register.h"

namespace velmo::port {
namespace {

constexpr std::string_view kSimulated = "sim";
constexpr std::string_view kSimulatedAt = "sim:";
constexpr std::string_view kHardwareAt = "hw:";

std::string variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

[[noreturn]] void rejectSetting(const PortEnvironment& environment) {
  throw PortAccessError("VELMO_PORT=\"" + environment.port +
                        "\" is not a port setting. Valid forms: unset, empty or \"sim\" for the "
                        "simulated register " +
                        defaultRegisterPath(environment) +
                        "; \"sim:PATH\" for a simulated register in the file PATH; \"hw:NAME\" "
                        "for the parallel port NAME that libieee1284 lists, such as hw:parport0.");
}

SimulatedRegister::Folder folderKind(const PortSetting& setting) {
  return setting.privateFolder ? SimulatedRegister::Folder::kPrivate
                               : SimulatedRegister::Folder::kExisting;
}

}  // namespace

PortEnvironment PortEnvironment::current() {
  return {variable("VELMO_PORT"), variable("VELMO_PORT_TRACE"), variable("XDG_RUNTIME_DIR"),
          geteuid()};
}

std::string defaultRegisterPath(const PortEnvironment& environment) {
  const std::string folder = environment.runtimeDir.starts_with('/')
                                 ? environment.runtimeDir + "/velmo"
                                 : "/tmp/velmo-" + std::to_string(environment.uid);
  return folder + "/port-" + std::to_string(kDataRegisterPort);
}

PortSetting parsePortSetting(const PortEnvironment& environment) {
  const std::string_view value = environment.port;
  PortSetting setting{PortSetting::Kind::kSimulated, defaultRegisterPath(environment), true, ""};
  if (value.empty() || value == kSimulated) return setting;
  if (value.starts_with(kSimulatedAt) && value.size() > kSimulatedAt.size()) {
    setting.registerPath = value.substr(kSimulatedAt.size());
    setting.privateFolder = false;
    return setting;
  }
  if (value.starts_with(kHardwareAt) && value.size() > kHardwareAt.size()) {
    setting.kind = PortSetting::Kind::kHardware;
    setting.hardwareName = value.substr(kHardwareAt.size());
    return setting;
  }
  rejectSetting(environment);
}

std::unique_ptr<PortBackend> makePortBackend(const PortSetting& setting) {
  auto simulated = std::make_unique<SimulatedRegister>(setting.registerPath, folderKind(setting));
  if (setting.kind == PortSetting::Kind::kSimulated) return simulated;
  return std::make_unique<HardwarePort>(std::make_unique<Ieee1284Lines>(setting.hardwareName),
                                        std::move(simulated));
}

}  // namespace velmo::port

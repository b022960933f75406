// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/port_setting.h"

#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <iterator>

#include "port/velmo_port.h"
#include "system/paths.h"

namespace velmo::port {
namespace {

// The backends; the first is the one an empty VELMO_PORT chooses.
// mqtts: is a second prefix of the MQTT row's setting.
constexpr const Backend* kBackends[] = {&kSimulatedBackend, &kHardwareBackend, &kOlaBackend,
                                        &kFtdiBackend,      &kHidRelayBackend, &kSerialBackend,
                                        &kGpioBackend,      &kMqttBackend,     &kMqttTlsBackend};
static_assert(std::size(kBackends) == std::variant_size_v<PortSetting> + 1);

std::string variable(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

[[noreturn]] void rejectSetting(const PortEnvironment& environment) {
  std::string forms;
  for (const Backend* backend : kBackends) {
    const std::string help = backend->help(environment);
    if (!help.empty()) forms += (forms.empty() ? "" : "; ") + help;
  }
  throw PortAccessError("VELMO_PORT=\"" + environment.port +
                        "\" is not a port setting. Valid forms: " + forms + ".");
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
  return folder + "/port-" + std::to_string(kDataPort);
}

RegisterLocation registerBesideDefault(const PortEnvironment& environment, std::string_view backend,
                                       std::string_view argument) {
  static constexpr char kHex[] = "0123456789abcdef";
  std::string name = std::string(backend) + "-";
  for (const char c : argument) {
    if (std::isalnum(static_cast<unsigned char>(c)) || c == '.' || c == '-') {
      name += c;
    } else {
      const auto byte = static_cast<unsigned char>(c);
      name += {'_', kHex[byte >> 4], kHex[byte & 15]};
    }
  }
  return {folderOf(defaultRegisterPath(environment)) + "/" + name,
          RegisterLocation::Folder::kPrivate};
}

PortSetting parsePortSetting(const PortEnvironment& environment) {
  const std::string_view value =
      environment.port.empty() ? kBackends[0]->prefix : std::string_view(environment.port);
  const auto colon = value.find(':');
  std::optional<std::string_view> argument;
  if (colon != std::string_view::npos) argument = value.substr(colon + 1);
  for (const Backend* backend : kBackends) {
    if (backend->prefix != value.substr(0, colon)) continue;
    if (auto setting = backend->parse(argument, environment)) return *std::move(setting);
    break;
  }
  rejectSetting(environment);
}

const RegisterLocation& registerOf(const PortSetting& setting) {
  return std::visit([](const auto& chosen) -> const RegisterLocation& { return chosen.location; },
                    setting);
}

std::string targetName(const PortSetting& setting) {
  return kBackends[setting.index()]->name(setting);
}

std::unique_ptr<DataRegister> makeDataRegister(const PortSetting& setting) {
  return kBackends[setting.index()]->make(setting);
}

}  // namespace velmo::port

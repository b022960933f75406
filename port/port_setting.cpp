#include "port/port_setting.h"

#include <unistd.h>

#include <algorithm>
#include <charconv>
#include <chrono>
#include <cstdlib>
#include <limits>
#include <optional>
#include <string_view>

#include "port/following_port.h"
#include "port/hardware_port.h"
#include "port/ieee1284_lines.h"
#include "port/ola_lines.h"
#include "port/simulated_register.h"

namespace velmo::port {
namespace {

constexpr std::string_view kSimulated = "sim";
constexpr std::string_view kSimulatedAt = "sim:";
constexpr std::string_view kHardwareAt = "hw:";
constexpr std::string_view kOlaAt = "ola:";
constexpr unsigned kMaxRpcPort = 65535;
// olad forgets a client's frame some 2.5 s after it came.
constexpr std::chrono::milliseconds kOlaRefresh{1000};

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
                        "for the parallel port NAME that libieee1284 lists, such as hw:parport0; "
                        "\"ola:UNIVERSE[:CHANNEL][@RPCPORT]\" for DMX channels CHANNEL to "
                        "CHANNEL+7 (1 to 8 unless given) of an OLA universe, sent to olad at "
                        "RPCPORT on this machine (9010 unless given), such as ola:1.");
}

[[noreturn]] void rejectRange(const PortEnvironment& environment, const std::string& rule) {
  throw PortAccessError("VELMO_PORT=\"" + environment.port + "\" is out of range: " + rule);
}

// A number written in decimal digits alone, or nothing. One too large for
// any range comes out as the largest value.
std::optional<std::uint64_t> decimal(std::string_view text) {
  if (text.empty() ||
      !std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; })) {
    return std::nullopt;
  }
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error == std::errc::result_out_of_range) return std::numeric_limits<std::uint64_t>::max();
  return value;
}

// The part of VELMO_PORT after "ola:": UNIVERSE[:CHANNEL][@RPCPORT].
OlaTarget parseOlaTarget(std::string_view text, const PortEnvironment& environment) {
  OlaTarget target;
  const auto at = text.find('@');
  const std::string_view address = text.substr(0, at);
  const auto colon = address.find(':');
  const auto universe = decimal(address.substr(0, colon));
  const auto channel =
      colon == std::string_view::npos ? target.firstChannel : decimal(address.substr(colon + 1));
  const auto rpcPort = at == std::string_view::npos ? target.rpcPort : decimal(text.substr(at + 1));
  if (!universe || !channel || !rpcPort) rejectSetting(environment);
  if (*universe > kMaxOlaUniverse) {
    rejectRange(environment, "UNIVERSE must be 0 to " + std::to_string(kMaxOlaUniverse) + ".");
  }
  if (*channel < 1 || *channel > kMaxOlaFirstChannel) {
    rejectRange(environment, "CHANNEL must be 1 to " + std::to_string(kMaxOlaFirstChannel) +
                                 ", so that the eight lines (channels CHANNEL to CHANNEL+7) fit "
                                 "in the 512 channels of a universe.");
  }
  if (*rpcPort < 1 || *rpcPort > kMaxRpcPort) {
    rejectRange(environment, "RPCPORT must be 1 to " + std::to_string(kMaxRpcPort) +
                                 " (olad listens on 9010 unless started with --rpc-port).");
  }
  target.universe = static_cast<std::uint32_t>(*universe);
  target.firstChannel = static_cast<unsigned>(*channel);
  target.rpcPort = static_cast<unsigned>(*rpcPort);
  return target;
}

// The register of an OLA target, beside the default one: programs on the
// same channels share it, while programs on other channels, universes or
// daemons never follow each other's bytes.
std::string olaRegisterPath(const OlaTarget& target, const PortEnvironment& environment) {
  return folderOf(defaultRegisterPath(environment)) + "/ola-" + std::to_string(target.universe) +
         "-" + std::to_string(target.firstChannel) + "-" + std::to_string(target.rpcPort);
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
  PortSetting setting{
      PortSetting::Kind::kSimulated, defaultRegisterPath(environment), true, "", {}};
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
  if (value.starts_with(kOlaAt)) {
    setting.kind = PortSetting::Kind::kOla;
    setting.ola = parseOlaTarget(value.substr(kOlaAt.size()), environment);
    setting.registerPath = olaRegisterPath(setting.ola, environment);
    return setting;
  }
  rejectSetting(environment);
}

std::unique_ptr<PortBackend> makePortBackend(const PortSetting& setting) {
  switch (setting.kind) {
    case PortSetting::Kind::kSimulated:
      return std::make_unique<SimulatedRegister>(setting.registerPath, folderKind(setting));
    case PortSetting::Kind::kHardware:
      return std::make_unique<HardwarePort>(
          std::make_unique<Ieee1284Lines>(setting.hardwareName),
          std::make_unique<SimulatedRegister>(setting.registerPath, folderKind(setting)));
    case PortSetting::Kind::kOla:
      return std::make_unique<FollowingPort>(std::make_unique<OlaLines>(setting.ola),
                                             setting.registerPath, setting.privateFolder,
                                             kOlaRefresh);
  }
  throw PortAccessError("Unknown kind of port.");
}

}  // namespace velmo::port

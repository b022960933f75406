// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/backends/ola_lines.h"

#include <charconv>
#include <chrono>
#include <limits>

#include "port/backends/following_register.h"
#include "port/backends/module_lines.h"
#include "port/backends/ola/ola_module.h"
#include "port/port_notices.h"
#include "system/paths.h"
#include "system/shared_object.h"

namespace velmo::port {

// The module's entries.
struct OlaModule {
  decltype(&OlaPortOpen) open;
  decltype(&OlaPortConnect) connect;
  decltype(&OlaPortSend) send;
  decltype(&OlaPortClose) close;
  decltype(&OlaPortError) error;
};

namespace {

constexpr SharedObjectRole kOlaModuleRole{.name = "OLA module",
                                          .ifMissing = VELMO_OLA_MODULE_IF_MISSING,
                                          .ifUnusable = VELMO_OLA_MODULE_IF_UNUSABLE,
                                          .ifNeedsLibrary = VELMO_OLA_MODULE_IF_NEEDS_LIBRARY};

// The largest universe number olad takes, the largest first channel that
// leaves room for all eight lines in a universe of 512 channels, and the
// largest TCP port.
constexpr std::uint32_t kMaxUniverse = 2147483647;
constexpr unsigned kMaxFirstChannel = 512 - 7;
constexpr unsigned kMaxRpcPort = 65535;
// olad forgets a client's frame some 2.5 s after it came.
constexpr std::chrono::milliseconds kOlaRefresh{1000};

// The module, loaded at the first OLA port.
const OlaModule& module() {
  try {
    return keptLoaded(
        besidePortLibrary(VELMO_OLA_MODULE_NAME), kOlaModuleRole, [](const SharedObject& object) {
          return OlaModule{VELMO_ENTRY(object, OlaPortOpen), VELMO_ENTRY(object, OlaPortConnect),
                           VELMO_ENTRY(object, OlaPortSend), VELMO_ENTRY(object, OlaPortClose),
                           VELMO_ENTRY(object, OlaPortError)};
        });
  } catch (const RunTimeError& failure) {
    throw PortAccessError(failure.what());
  }
}

void requireWithin(std::uint64_t value, std::uint64_t low, std::uint64_t high, const char* name,
                   const char* why, std::string_view setting) {
  if (value < low || value > high) {
    throw PortAccessError(std::string(setting) + " is out of range: " + name + " must be " +
                          std::to_string(low) + " to " + std::to_string(high) + why + ".");
  }
}

// A number written in decimal digits alone, or nothing. One too large for
// any range comes out as the largest value.
std::optional<std::uint64_t> decimal(std::string_view text) {
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (text.empty() || end != text.data() + text.size()) return std::nullopt;
  return error == std::errc::result_out_of_range ? std::numeric_limits<std::uint64_t>::max()
                                                 : value;
}

// The register of an OLA target, beside the default one: programs on the
// same channels share it, while programs on other channels, universes or
// daemons never follow each other's bytes.
std::string olaRegisterPath(const OlaTarget& target, const PortEnvironment& environment) {
  return folderOf(defaultRegisterPath(environment)) + "/ola-" + std::to_string(target.universe) +
         "-" + std::to_string(target.firstChannel) + "-" + std::to_string(target.rpcPort);
}

}  // namespace

std::optional<OlaTarget> parseOlaTarget(std::string_view text, std::string_view setting) {
  const OlaTarget defaults;
  const auto at = text.find('@');
  const std::string_view address = text.substr(0, at);
  const auto colon = address.find(':');
  const auto universe = decimal(address.substr(0, colon));
  const auto channel =
      colon == std::string_view::npos ? defaults.firstChannel : decimal(address.substr(colon + 1));
  const auto rpcPort =
      at == std::string_view::npos ? defaults.rpcPort : decimal(text.substr(at + 1));
  if (!universe || !channel || !rpcPort) return std::nullopt;
  requireWithin(*universe, 0, kMaxUniverse, "UNIVERSE", "", setting);
  requireWithin(*channel, 1, kMaxFirstChannel, "CHANNEL",
                ", so that the eight lines (channels CHANNEL to CHANNEL+7) fit in the 512 "
                "channels of a universe",
                setting);
  requireWithin(*rpcPort, 1, kMaxRpcPort, "RPCPORT",
                " (olad listens on 9010 unless started with --rpc-port)", setting);
  return OlaTarget{static_cast<std::uint32_t>(*universe), static_cast<unsigned>(*channel),
                   static_cast<unsigned>(*rpcPort)};
}

namespace {

std::optional<PortSetting> parseOla(std::optional<std::string_view> text,
                                    const PortEnvironment& environment) {
  const auto target =
      text ? parseOlaTarget(*text, "VELMO_PORT=\"" + environment.port + "\"") : std::nullopt;
  if (!target) return std::nullopt;
  return OlaSetting{*target,
                    {olaRegisterPath(*target, environment), RegisterLocation::Folder::kPrivate}};
}

std::unique_ptr<DataRegister> makeOla(const PortSetting& setting) {
  const auto& ola = std::get<OlaSetting>(setting);
  return std::make_unique<FollowingRegister>(std::make_unique<OlaLines>(ola.target), ola.location,
                                             Following{kOlaRefresh, true}, processNotices());
}

std::string olaHelp(const PortEnvironment&) {
  return "\"ola:UNIVERSE[:CHANNEL][@RPCPORT]\" for DMX channels CHANNEL to CHANNEL+7 (1 to 8 "
         "unless given) of an OLA universe, sent to olad at RPCPORT on this machine (9010 unless "
         "given), such as ola:1";
}

std::string olaName(const PortSetting& setting) {
  const OlaTarget& target = std::get<OlaSetting>(setting).target;
  return "ola:" + std::to_string(target.universe) + ":" + std::to_string(target.firstChannel) +
         "@" + std::to_string(target.rpcPort);
}

}  // namespace

constinit const Backend kOlaBackend{"ola", parseOla, makeOla, olaHelp, olaName};

OlaLines::OlaLines(const OlaTarget& target)
    : module_(module()),
      sender_(module_.open(target.universe, target.firstChannel, target.rpcPort)) {
  if (!sender_) throw PortAccessError(module_.error());
}

OlaLines::~OlaLines() {
  module_.close(sender_);
}

void OlaLines::write(std::uint8_t value) {
  throwUnlessDone(module_.send(sender_, value));
}

void OlaLines::check() {
  throwUnlessDone(module_.connect(sender_));
}

void OlaLines::throwUnlessDone(int outcome) const {
  if (outcome == OLA_PORT_AWAY) throw OutputAwayError(module_.error());
  if (outcome != OLA_PORT_DONE) throw PortAccessError(module_.error());
}

}  // namespace velmo::port

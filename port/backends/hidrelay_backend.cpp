// SPDX-License-Identifier: GPL-3.0-or-later
// The backend table's row of USB HID relay boards, "hidrelay:[SERIAL]",
// driven through libvelmoport-hidrelay.so (port/backends/hidrelay/).
#include "port/backends/module_lines.h"
#include "port/port_setting.h"

namespace velmo::port {
namespace {

constexpr LinesModule kHidRelayModule = VELMO_RELAY_MODULE(
    "libvelmoport-hidrelay.so", "HID relay module", "hidapi", "libhidapi-dev", "libhidapi-hidraw0");

std::optional<PortSetting> parseHidRelay(std::optional<std::string_view> serial,
                                         const PortEnvironment& environment) {
  const std::string_view chosen = serial.value_or("");
  if (chosen.find(':') != std::string_view::npos) return std::nullopt;
  return HidRelaySetting{std::string(chosen),
                         registerBesideDefault(environment, "hidrelay", chosen)};
}

std::unique_ptr<DataRegister> makeHidRelay(const PortSetting& setting) {
  const auto& board = std::get<HidRelaySetting>(setting);
  return makeModuleRegister(kHidRelayModule, {board.serial}, board.location);
}

std::string hidRelayHelp(const PortEnvironment&) {
  return "\"hidrelay:[SERIAL]\" for the USB HID relay board (16c0:05df, USBRelay1 to "
         "USBRelay8) with that serial (the first one unless given), such as hidrelay:";
}

std::string hidRelayName(const PortSetting& setting) {
  return "hidrelay:" + std::get<HidRelaySetting>(setting).serial;
}

}  // namespace

constinit const Backend kHidRelayBackend{"hidrelay", parseHidRelay, makeHidRelay, hidRelayHelp,
                                         hidRelayName};

}  // namespace velmo::port

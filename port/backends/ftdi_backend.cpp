// SPDX-License-Identifier: GPL-3.0-or-later
// The backend table's row of FTDI bit-bang relay boards, "ftdi:[DEVICE]",
// driven through libvelmoport-ftdi.so (port/backends/ftdi/).
#include <algorithm>
#include <cctype>

#include "port/backends/module_lines.h"
#include "port/port_setting.h"

namespace velmo::port {
namespace {

constexpr LinesModule kFtdiModule = VELMO_RELAY_MODULE("libvelmoport-ftdi.so", "FTDI module",
                                                       "libftdi", "libftdi1-dev", "libftdi1-2");

// A number as libftdi reads one: decimal, or hexadecimal after 0x.
bool isNumber(std::string_view text) {
  const bool hex = text.starts_with("0x") || text.starts_with("0X");
  if (hex) text.remove_prefix(2);
  return !text.empty() && std::all_of(text.begin(), text.end(), [&](char c) {
    return hex ? std::isxdigit(static_cast<unsigned char>(c)) != 0 : c >= '0' && c <= '9';
  });
}

// The parts of text between colons.
std::vector<std::string_view> parts(std::string_view text, char separator) {
  std::vector<std::string_view> found;
  for (std::size_t start = 0;;) {
    const auto end = text.find(separator, start);
    found.push_back(text.substr(start, end - start));
    if (end == std::string_view::npos) return found;
    start = end + 1;
  }
}

// libftdi's device strings: i:VID:PID[:INDEX], s:VID:PID:SERIAL, d:BUS/DEV.
bool isDeviceString(std::string_view device) {
  const auto fields = parts(device, ':');
  if (fields[0] == "i" && (fields.size() == 3 || fields.size() == 4)) {
    return std::all_of(fields.begin() + 1, fields.end(), isNumber);
  }
  if (fields[0] == "s" && fields.size() == 4) {
    return isNumber(fields[1]) && isNumber(fields[2]) && !fields[3].empty();
  }
  if (fields[0] == "d" && fields.size() == 2) {
    const auto node = parts(fields[1], '/');
    return node.size() == 2 && isNumber(node[0]) && isNumber(node[1]);
  }
  return false;
}

std::optional<PortSetting> parseFtdi(std::optional<std::string_view> device,
                                     const PortEnvironment& environment) {
  const std::string_view chosen = device.value_or("");
  if (!chosen.empty() && !isDeviceString(chosen)) return std::nullopt;
  return FtdiSetting{std::string(chosen), registerBesideDefault(environment, "ftdi", chosen)};
}

std::unique_ptr<DataRegister> makeFtdi(const PortSetting& setting) {
  const auto& ftdi = std::get<FtdiSetting>(setting);
  return makeModuleRegister(kFtdiModule, {ftdi.device}, ftdi.location);
}

std::string ftdiHelp(const PortEnvironment&) {
  return "\"ftdi:[DEVICE]\" for a relay board with an FTDI FT245R or FT232R in bit-bang mode, "
         "DEVICE as libftdi takes it (i:VID:PID[:INDEX], s:VID:PID:SERIAL or d:BUS/DEV; the "
         "first such board unless given), such as ftdi: or ftdi:s:0x0403:0x6001:A9HXJ2PK";
}

std::string ftdiName(const PortSetting& setting) {
  return "ftdi:" + std::get<FtdiSetting>(setting).device;
}

}  // namespace

constinit const Backend kFtdiBackend{"ftdi", parseFtdi, makeFtdi, ftdiHelp, ftdiName};

}  // namespace velmo::port

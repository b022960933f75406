// SPDX-License-Identifier: GPL-3.0-or-later
// The backend table's row of Linux GPIO lines, "gpio:CHIP:L1,...,L8",
// driven through libvelmoport-gpio.so (port/backends/gpio/).
#include "port/backends/module_lines.h"
#include "port/port_lines.h"
#include "port/port_setting.h"

namespace velmo::port {
namespace {

constexpr LinesModule kGpioModule = VELMO_RELAY_MODULE("libvelmoport-gpio.so", "GPIO module",
                                                       "libgpiod", "libgpiod-dev", "libgpiod2");

// "!17" or "GPIO17", or nothing for an empty one.
std::optional<GpioLine> parseLine(std::string_view text) {
  const bool activeLow = text.starts_with('!');
  if (activeLow) text.remove_prefix(1);
  if (text.empty()) return std::nullopt;
  return GpioLine{std::string(text), activeLow};
}

std::optional<PortSetting> parseGpio(std::optional<std::string_view> argument,
                                     const PortEnvironment& environment) {
  const auto colon = argument ? argument->find(':') : std::string_view::npos;
  if (colon == 0 || colon == std::string_view::npos) return std::nullopt;
  GpioSetting setting{std::string(argument->substr(0, colon)), {}, {}};
  std::string_view lines = argument->substr(colon + 1);
  for (std::size_t comma = 0; comma != std::string_view::npos;) {
    comma = lines.find(',');
    const auto line = parseLine(lines.substr(0, comma));
    if (!line || setting.lines.size() == kLineCount) return std::nullopt;
    setting.lines.push_back(*line);
    lines.remove_prefix(comma == std::string_view::npos ? lines.size() : comma + 1);
  }
  setting.location = registerBesideDefault(environment, "gpio", *argument);
  return setting;
}

// The module's fields: the chip, then each line with a leading ! when it
// is active low.
std::unique_ptr<DataRegister> makeGpio(const PortSetting& setting) {
  const auto& gpio = std::get<GpioSetting>(setting);
  std::vector<std::string> fields{gpio.chip};
  for (const GpioLine& line : gpio.lines) fields.push_back((line.activeLow ? "!" : "") + line.line);
  return makeModuleRegister(kGpioModule, fields, gpio.location);
}

std::string gpioHelp(const PortEnvironment&) {
  return "\"gpio:CHIP:L1,...,L8\" for GPIO lines of the chip CHIP (a name, path, label or "
         "number), line N on LN (an offset or a line name; a leading ! when the relay switches "
         "on low), such as gpio:gpiochip0:17,18,27,22,23,24,25,4";
}

std::string gpioName(const PortSetting& setting) {
  const auto& gpio = std::get<GpioSetting>(setting);
  std::string name = "gpio:" + gpio.chip + ":";
  for (const GpioLine& line : gpio.lines) {
    name += (&line == gpio.lines.data() ? "" : ",") + std::string(line.activeLow ? "!" : "") +
            line.line;
  }
  return name;
}

}  // namespace

constinit const Backend kGpioBackend{"gpio", parseGpio, makeGpio, gpioHelp, gpioName};

}  // namespace velmo::port

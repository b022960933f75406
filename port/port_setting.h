// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "port/data_register.h"
#include "port/register/simulated_register.h"

namespace velmo::port {

// What the library reads from the process environment at its first use.
struct PortEnvironment {
  std::string port;        // VELMO_PORT, "" when unset
  std::string tracePath;   // VELMO_PORT_TRACE, "" when unset
  std::string runtimeDir;  // XDG_RUNTIME_DIR, "" when unset
  uid_t uid = 0;           // the effective user

  static PortEnvironment current();
};

// The simulated register's default file: $XDG_RUNTIME_DIR/velmo/port-888,
// or /tmp/velmo-<uid>/port-888 when XDG_RUNTIME_DIR is unset or not an
// absolute path. Its folder is private (see ensurePrivateFolder).
std::string defaultRegisterPath(const PortEnvironment& environment);

// The register of a target of its own, beside the default one, in a file
// named for the target: backend "serial" and argument "/dev/ttyUSB0" give
// serial-_2fdev_2fttyUSB0 (every character but letters, digits, '.' and '-'
// as '_' and two hex digits).
RegisterLocation registerBesideDefault(const PortEnvironment& environment, std::string_view backend,
                                       std::string_view argument);

// The DMX channels that carry the eight lines: line N drives channel
// firstChannel + N - 1 (counted from 1) of universe, through the olad that
// listens on rpcPort on this machine.
struct OlaTarget {
  std::uint32_t universe = 0;
  unsigned firstChannel = 1;
  unsigned rpcPort = 9010;

  bool operator==(const OlaTarget&) const = default;
};

// "UNIVERSE[:CHANNEL][@RPCPORT]" as an OLA target, or nothing when text is
// not of that form. A number out of range throws PortAccessError that gives
// its range and names setting, the text as the user gave it
// ("VELMO_PORT=\"ola:1:600\"").
std::optional<OlaTarget> parseOlaTarget(std::string_view text, std::string_view setting);

// VELMO_PORT taken apart: one alternative per backend, in the order of the
// backend table. Each names the simulated register it uses: the register
// itself, or the one that mirrors every byte the lines take, so that the
// port monitor shows them and reads return the last byte written.
struct SimulatedSetting {  // "", "sim" or "sim:PATH"
  RegisterLocation location;
  bool operator==(const SimulatedSetting&) const = default;
};
struct HardwareSetting {  // "hw:NAME": the parallel port libieee1284 lists as NAME
  std::string name;
  RegisterLocation location;  // the default register
  bool operator==(const HardwareSetting&) const = default;
};
struct OlaSetting {  // "ola:UNIVERSE[:CHANNEL][@RPCPORT]": DMX channels through olad
  OlaTarget target;
  RegisterLocation location;  // beside the default one: ola-UNIVERSE-CHANNEL-RPCPORT
  bool operator==(const OlaSetting&) const = default;
};
struct FtdiSetting {   // "ftdi:[DEVICE]": an FTDI board in bit-bang mode
  std::string device;  // in libftdi's device-string forms; "" for the first FT245R/FT232R
  RegisterLocation location;
  bool operator==(const FtdiSetting&) const = default;
};
struct HidRelaySetting {  // "hidrelay:[SERIAL]": a USB HID relay board
  std::string serial;     // "" for the first board
  RegisterLocation location;
  bool operator==(const HidRelaySetting&) const = default;
};
struct SerialSetting {  // "serial:DEVICE": a serial relay board
  std::string device;
  RegisterLocation location;
  bool operator==(const SerialSetting&) const = default;
};
struct GpioLine {
  std::string line;  // an offset on the chip, or a line name
  bool activeLow = false;
  bool operator==(const GpioLine&) const = default;
};
struct GpioSetting {            // "gpio:CHIP:L1,...,L8": Linux GPIO lines
  std::string chip;             // a name, path, label or number
  std::vector<GpioLine> lines;  // line N drives lines[N-1]; 1 to 8 of them
  RegisterLocation location;
  bool operator==(const GpioSetting&) const = default;
};
// "mqtt:[USER@]HOST[:PORT]/TOPIC[?on=ON&off=OFF]", "mqtts:..." with TLS: a
// topic per relay on an MQTT broker.
struct MqttSetting {
  bool tls = false;
  std::string user;  // "" for none
  std::string host;
  unsigned port = 1883;
  std::string topic;  // line N is published on it with {line} as N, {index} as N-1
  std::string on = "ON";
  std::string off = "OFF";
  RegisterLocation location;
  bool operator==(const MqttSetting&) const = default;
};
using PortSetting = std::variant<SimulatedSetting, HardwareSetting, OlaSetting, FtdiSetting,
                                 HidRelaySetting, SerialSetting, GpioSetting, MqttSetting>;

// Reads environment.port: unset, empty or "sim" is the default simulated
// register, "sim:PATH" the register at PATH, and each backend's forms as its
// row says. Anything else throws a PortAccessError that lists the valid
// forms; a number out of range throws one that gives its range.
PortSetting parsePortSetting(const PortEnvironment& environment);

// The port target setting selects, as one canonical text, the same for every
// way of writing it: "" for the default simulated register, "sim:" and the
// absolute path for another, "hw:NAME", "ola:UNIVERSE:CHANNEL@RPCPORT" with
// every number written out, the relay forms with their defaults written out.
// Programs on one target share the lines.
std::string targetName(const PortSetting& setting);

// The simulated register that setting uses.
const RegisterLocation& registerOf(const PortSetting& setting);

// The register for setting. Opens hardware, loads a module and reaches the
// device at once (only the device's driver, for one that admits one holder),
// and throws PortAccessError when it cannot; the simulated register is
// touched only by its accesses.
std::unique_ptr<DataRegister> makeDataRegister(const PortSetting& setting);

// A row of the backend table, chosen by VELMO_PORT="PREFIX[:ARGUMENT]".
struct Backend {
  std::string_view prefix;
  // The setting for ARGUMENT, or nothing when it is no form of this backend.
  // Throws PortAccessError for a number out of range.
  std::optional<PortSetting> (*parse)(std::optional<std::string_view> argument,
                                      const PortEnvironment& environment);
  std::unique_ptr<DataRegister> (*make)(const PortSetting& setting);  // parse's setting
  // The valid forms for people: "\"hw:NAME\" for ..."; "" for a row
  // whose forms another row's text gives.
  std::string (*help)(const PortEnvironment& environment);
  // The setting's canonical text (see targetName).
  std::string (*name)(const PortSetting& setting);
};

// The rows, each defined in the file of its backend.
extern const Backend kSimulatedBackend;
extern const Backend kHardwareBackend;
extern const Backend kOlaBackend;
extern const Backend kFtdiBackend;
extern const Backend kHidRelayBackend;
extern const Backend kSerialBackend;
extern const Backend kGpioBackend;
extern const Backend kMqttBackend;
extern const Backend kMqttTlsBackend;

}  // namespace velmo::port

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "system/command_line.h"

namespace velmo::remote {

inline constexpr ProgramOption kListenOption{
    "--listen", "serve the network there; every request then needs the token", "ADDR:PORT"};
inline constexpr ProgramOption kOscOption{
    "--osc", "take OSC commands on UDP PORT, from this computer only", "PORT"};
inline constexpr ProgramOption kOscAllowOption{
    "--osc-allow", "take OSC from the senders in CIDR (192.168.1.0/24) instead", "CIDR"};
inline constexpr ProgramOption kMqttOption{
    "--mqtt", "be a Home Assistant device on the MQTT broker at URL (mqtt:// or mqtts://)", "URL"};
inline constexpr ProgramOption kMqttCaOption{
    "--mqtt-ca", "trust the mqtts:// broker's certificate authority in FILE", "FILE"};
inline constexpr ProgramOption kMqttPrefixOption{
    "--mqtt-discovery-prefix", "Home Assistant's discovery prefix (homeassistant)", "PREFIX"};
inline constexpr ProgramOption kDmxInOption{
    "--dmx-in", "take the lines and the chaser from nine channels of an OLA universe",
    "UNIVERSE[:CHANNEL][@RPCPORT]"};
inline constexpr ProgramOption kPortOption{
    "--port", "drive the programs on TARGET instead of VELMO_PORT's", "TARGET"};
inline constexpr ProgramOption kOptions[] = {kListenOption, kOscOption,    kOscAllowOption,
                                             kMqttOption,   kMqttCaOption, kMqttPrefixOption,
                                             kDmxInOption,  kPortOption};

// What velmo-remote --help says about it.
inline constexpr ProgramUsage kUsage{
    "Serves a web page, a JSON API and OSC that drive the chaser and the switch panel\n"
    "through the session bus, and shows the port's lines live; with --mqtt also Home\n"
    "Assistant, with --dmx-in a lighting desk's universe. Without --listen it\n"
    "answers this computer only, on http://127.0.0.1:8356/.\n"
    "More in the manual page velmo-remote(1).\n",
    kOptions};

}  // namespace velmo::remote

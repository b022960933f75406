// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include "system/mqtt_password.h"

// The forms of a port setting (VELMO_PORT, or a tool's --port TARGET), for
// usage texts; the port library's own errors give each with its meaning. A
// macro, so that usage texts can be one literal with it.
#define VELMO_PORT_FORMS                                                                         \
  "sim, sim:PATH, hw:NAME, ola:UNIVERSE[:CHANNEL][@RPCPORT], ftdi:[DEVICE], hidrelay:[SERIAL], " \
  "serial:DEVICE, gpio:CHIP:L1,...,L8 or mqtt:[USER@]HOST[:PORT]/TOPIC[?on=ON&off=OFF] "         \
  "(mqtts: with TLS)"

// What the programs' --help says about VELMO_PORT, from the backend table.
#define VELMO_PORT_HELP                                                               \
  "VELMO_PORT chooses the port: unset or sim (the simulated register), sim:PATH,\n"   \
  "hw:NAME (a parallel port), ola:UNIVERSE[:CHANNEL][@RPCPORT] (DMX through olad),\n" \
  "ftdi:[DEVICE] or hidrelay:[SERIAL] (USB relay boards), serial:DEVICE (a serial\n"  \
  "relay board), gpio:CHIP:L1,...,L8 (GPIO lines; !L for a relay on low), or\n"       \
  "mqtt:[USER@]HOST[:PORT]/TOPIC[?on=ON&off=OFF] (smart relays, TOPIC with {line};\n" \
  "mqtts: with TLS; USER's password in ~/.config/velmo/" VELMO_MQTT_PASSWORD_FILE     \
  ", mode 0600).\n"

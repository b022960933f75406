// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The forms of a port setting (VELMO_PORT, or a tool's --port TARGET), for
// usage texts; the port library's own errors give each with its meaning. A
// macro, so that usage texts can be one literal with it.
#define VELMO_PORT_FORMS                                                                         \
  "sim, sim:PATH, hw:NAME, ola:UNIVERSE[:CHANNEL][@RPCPORT], ftdi:[DEVICE], hidrelay:[SERIAL], " \
  "serial:DEVICE, gpio:CHIP:L1,...,L8 or mqtt:[USER@]HOST[:PORT]/TOPIC[?on=ON&off=OFF] "         \
  "(mqtts: with TLS)"

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

// The fix for a USB relay board that the user may not open: the udev rule
// that Velmo's package installs lets the user at the desktop use the boards
// (packaging/70-velmo-relays.rules).
#define VELMO_UDEV_RULE_FIX                                                                    \
  "Install Velmo's udev rule, which lets the user at the desktop use the board (the package "  \
  "velmo puts it in /lib/udev/rules.d/70-velmo-relays.rules; for your own build: sudo "        \
  "install -m 644 packaging/70-velmo-relays.rules /etc/udev/rules.d/ && sudo udevadm control " \
  "--reload), then plug the board in again or log in again."

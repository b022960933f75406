// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>

namespace velmo::dbus {

// What the chaser offers, as it and every client of its bus interface name
// it. Its buttons: index N is the caption of pattern N's, and 0 stops.
inline constexpr std::array<const char*, 4> kChaserButtons = {"Deaktiver", "Løpelys 1", "Løpelys 2",
                                                              "Løpelys 3"};
// The numbers a pattern may have: the built-in three, and the user's own
// after them.
inline constexpr unsigned kLastPatternNumber = 99;
// The speed factor, which every step time is divided by.
inline constexpr double kMinSpeed = 0.25;
inline constexpr double kMaxSpeed = 4;

}  // namespace velmo::dbus

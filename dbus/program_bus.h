// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>

#include "dbus/bus_object.h"

namespace velmo::dbus {

// Puts a program on the session bus: registers object at its path and takes
// the program's bus name for the port target (see busName). Returns false
// when another instance already owns that name: it has been asked to
// activate (its window comes back), and this program should end. Without a session bus, or
// when the bus refuses the name, the program runs all the same and says
// once on standard error that remote control is off and why. Call once, on the main thread.
bool serveOnSessionBus(BusObject& object, const ProgramIdentity& program,
                       const std::string& target);

}  // namespace velmo::dbus

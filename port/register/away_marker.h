// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <string_view>

namespace velmo::port {

// While the output lines of a process are away (olad gone, say), the
// process keeps a marker file beside the register its lines follow,
// REGISTER.away.PID, holding why; the port monitor shows it. A marker of a
// process that no longer runs counts for nothing.

// Writes this process's marker for the register at registerPath, holding
// reason, whole or not at all. A marker that cannot be written is left out:
// the lines go on without it.
void writeAwayMarker(const std::string& registerPath, const std::string& reason);

// Removes this process's marker for the register, if there is one.
void removeAwayMarker(const std::string& registerPath);

// Whether fileName, in the register's folder, is a marker of the register
// whose file name is registerName.
bool isAwayMarker(std::string_view fileName, std::string_view registerName);

// Why the output of a running process on the register is away, from its
// marker; "" when no running process has one.
std::string awayReason(const std::string& registerPath);

}  // namespace velmo::port

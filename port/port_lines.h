// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

namespace velmo::port {

// How many output lines a port has: its data lines, line N (1 to 8) driven
// by bit N-1 of every byte written.
inline constexpr unsigned kLineCount = 8;

}  // namespace velmo::port

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstdint>
#include <string>

#include "port/port_lines.h"

namespace velmo::portmonitor {

// Number of data lines; line 1 is bit 0 (value 1), line 8 is bit 7 (128).
inline constexpr int kLineCount = static_cast<int>(port::kLineCount);

// Whether line (1..8) is high in byte.
bool lineIsOn(std::uint8_t byte, int line);

// "0x81".
std::string hexText(std::uint8_t byte);

// "10000001": line 8 first, as the bits of the number are written.
std::string binaryText(std::uint8_t byte);

// One line of the terminal view, without a line end, at local time:
// "12:00:01.234  out 0x81  129  10000001". event is "out" for a change and
// "now" for the byte found at start.
std::string watchLine(std::chrono::system_clock::time_point when, const std::string& event,
                      std::uint8_t byte);

// A line of the terminal view about the register itself, without a line end:
// "12:00:01.234  lost <text>" (event "lost" or "back").
std::string watchNote(std::chrono::system_clock::time_point when, const std::string& event,
                      const std::string& text);

}  // namespace velmo::portmonitor

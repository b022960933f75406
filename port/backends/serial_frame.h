// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>

namespace velmo::port {

// The frame that switches one relay of the common serial relay boards (at
// 9600 baud, 8N1): 0xA0, the relay (1 to 8), 1 for on or 0 for off, and the
// sum of those three bytes modulo 256.
using SerialFrame = std::array<std::uint8_t, 4>;

constexpr SerialFrame serialFrame(unsigned relay, bool on) {
  const auto number = static_cast<std::uint8_t>(relay);
  const std::uint8_t state = on ? 1 : 0;
  return {0xA0, number, state, static_cast<std::uint8_t>(0xA0 + number + state)};
}

}  // namespace velmo::port

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "tools/remote/command.h"

namespace velmo::remote {

// The remote's DMX personality: what nine channels of a lighting desk's
// universe, from the first one given, ask of the programs. Channel N (1 to
// 8) switches line N: on at kOnFrom or more, off below kOffBelow, and
// between the two it stays as it was (hysteresis, so that a fader at the
// edge does not chatter). The ninth selects the chaser in zones of 32:
// 0-31 "Deaktiver", 32-63, 64-95 and 96-127 "Løpelys 1" to "Løpelys 3";
// 128-255 leaves it as it is. A desk sends the same levels 40 times a second:
// only a change becomes a command. A channel's first level counts as a change
// (the desk's faders as they stand when the remote starts), and so does a
// zone entered again after 128-255.
class DmxPersonality {
 public:
  static constexpr unsigned kChannels = kLineCount + 1;
  static constexpr std::uint8_t kOnFrom = 128;
  static constexpr std::uint8_t kOffBelow = 100;
  static constexpr unsigned kZoneWidth = 32;
  static constexpr std::uint8_t kChaserLeftFrom = 128;

  // The commands that levels call for, in channel order: levels[0] is the
  // first channel's. A universe may carry fewer than nine channels from
  // there: those missing change nothing.
  std::vector<Command> take(std::span<const std::uint8_t> levels);

  // Forgets what the desk asked of command's line (or of the chaser), so
  // that the next frame commands it again: for a command that was dropped,
  // or a program that has just started.
  void forget(const Command& command);
  void forgetLines();

 private:
  std::array<std::optional<bool>, kLineCount> lines_{};
  std::optional<unsigned> pattern_;  // nothing: 128-255, or not seen yet
};

}  // namespace velmo::remote

// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/dmx_personality.h"

namespace velmo::remote {

std::vector<Command> DmxPersonality::take(std::span<const std::uint8_t> levels) {
  std::vector<Command> commands;
  for (unsigned line = 1; line <= kLineCount && line <= levels.size(); ++line) {
    const std::uint8_t level = levels[line - 1];
    std::optional<bool>& shown = lines_[line - 1];
    const std::optional<bool> asked = level >= kOnFrom    ? std::optional(true)
                                      : level < kOffBelow ? std::optional(false)
                                                          : shown;
    if (asked != shown) commands.push_back(LineCommand{line, *asked});
    shown = asked;
  }
  if (levels.size() < kChannels) return commands;
  const std::uint8_t level = levels[kChannels - 1];
  const std::optional<unsigned> asked =
      level < kChaserLeftFrom ? std::optional(level / kZoneWidth) : std::nullopt;
  if (asked && asked != pattern_) commands.push_back(ChaserCommand{*asked});
  pattern_ = asked;
  return commands;
}

void DmxPersonality::forget(const Command& command) {
  if (const auto* line = std::get_if<LineCommand>(&command))
    lines_.at(line->line - 1).reset();
  else
    pattern_.reset();
}

void DmxPersonality::forgetLines() {
  lines_.fill(std::nullopt);
}

}  // namespace velmo::remote

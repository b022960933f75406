// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/command_limiter.h"

namespace velmo::remote {

bool CommandLimiter::admit(const Command& command, Clock::time_point now) {
  const auto* line = std::get_if<LineCommand>(&command);
  Recent& recent = recent_.at(line ? line->line : 0);
  if (recent.count == kMaxPerSecond && now - recent.at[recent.next] < std::chrono::seconds(1)) {
    ++dropped_;
    return false;
  }
  recent.at[recent.next] = now;
  recent.next = (recent.next + 1) % kMaxPerSecond;
  if (recent.count < kMaxPerSecond) ++recent.count;
  return true;
}

}  // namespace velmo::remote

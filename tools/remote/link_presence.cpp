// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/link_presence.h"

#include <cstdio>

namespace velmo::remote {

LinkPresence::LinkPresence(std::string name, std::string meanwhile)
    : name_(std::move(name)), meanwhile_(std::move(meanwhile)) {}

std::optional<std::string> LinkPresence::lost(const std::string& reason, Clock::time_point now) {
  if (lostAt_) return std::nullopt;
  lostAt_ = now;
  return name_ + " lost: " + reason + " " + meanwhile_;
}

std::optional<std::string> LinkPresence::back(Clock::time_point now) {
  if (!lostAt_) return std::nullopt;
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.1f s",
                std::chrono::duration<double>(now - *lostAt_).count());
  lostAt_.reset();
  return name_ + " back: after " + seconds + " away.";
}

}  // namespace velmo::remote

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <optional>
#include <string>

namespace velmo::remote {

// Whether a front's link (the MQTT broker, olad) is there, as the user
// learns it: one line when it is lost, one when it is back, with how long it
// was away. What to tell is returned, so that the caller says it where it
// says things.
class LinkPresence {
 public:
  using Clock = std::chrono::steady_clock;

  // name heads the lines ("MQTT"); meanwhile says what becomes of the
  // front while the link is away.
  LinkPresence(std::string name, std::string meanwhile);

  // "NAME lost: REASON MEANWHILE" the first time since the link was there
  // (or since the start); nothing when it was lost already.
  std::optional<std::string> lost(const std::string& reason, Clock::time_point now);

  // "NAME back: after 3.1 s away." when it was lost; nothing otherwise.
  std::optional<std::string> back(Clock::time_point now);

 private:
  std::string name_;
  std::string meanwhile_;
  std::optional<Clock::time_point> lostAt_;
};

}  // namespace velmo::remote

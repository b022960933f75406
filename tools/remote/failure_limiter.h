// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <chrono>
#include <cstddef>
#include <map>
#include <string>
#include <string_view>

namespace velmo::remote {

// Counts wrong tokens per client address: after kMaxFailures in one window
// of kWindow, the address is blocked until its window ends. Holds at most
// kMaxAddresses addresses; past that, the one with the oldest window goes.
class FailureLimiter {
 public:
  using Clock = std::chrono::steady_clock;
  static constexpr int kMaxFailures = 10;
  static constexpr Clock::duration kWindow = std::chrono::minutes(1);
  static constexpr std::size_t kMaxAddresses = 1024;

  // True while address may not try another token.
  bool blocked(const std::string& address, Clock::time_point now) const;

  // Counts a wrong token from address.
  void failed(const std::string& address, Clock::time_point now);

 private:
  struct Window {
    Clock::time_point start;
    int failures = 0;
  };
  void makeRoom(Clock::time_point now);

  std::map<std::string, Window, std::less<>> windows_;
};

}  // namespace velmo::remote

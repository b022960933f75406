// SPDX-License-Identifier: GPL-3.0-or-later
#include "tools/remote/failure_limiter.h"

#include <algorithm>

namespace velmo::remote {

bool FailureLimiter::blocked(const std::string& address, Clock::time_point now) const {
  const auto found = windows_.find(address);
  return found != windows_.end() && now - found->second.start < kWindow &&
         found->second.failures >= kMaxFailures;
}

void FailureLimiter::failed(const std::string& address, Clock::time_point now) {
  auto found = windows_.find(address);
  if (found == windows_.end()) {
    makeRoom(now);
    found = windows_.emplace(address, Window{now, 0}).first;
  } else if (now - found->second.start >= kWindow) {
    found->second = {now, 0};
  }
  ++found->second.failures;
}

void FailureLimiter::makeRoom(Clock::time_point now) {
  std::erase_if(windows_, [&](const auto& entry) { return now - entry.second.start >= kWindow; });
  if (windows_.size() < kMaxAddresses) return;
  windows_.erase(std::min_element(
      windows_.begin(), windows_.end(),
      [](const auto& a, const auto& b) { return a.second.start < b.second.start; }));
}

}  // namespace velmo::remote

// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <algorithm>
#include <chrono>

namespace velmo::port {

// How long to wait before trying again to reach output lines that are away,
// after `failures` tries in a row have failed (1 or more): the first try
// again at once, then from 100 ms on twice as long each time, up to 2 s.
constexpr std::chrono::milliseconds reconnectDelay(unsigned failures) {
  constexpr std::chrono::milliseconds kFirst{100};
  constexpr std::chrono::milliseconds kLongest{2000};
  if (failures <= 1) return std::chrono::milliseconds{0};
  const unsigned doublings = std::min(failures - 2, 5u);
  return std::min(kFirst * (1 << doublings), kLongest);
}

}  // namespace velmo::port

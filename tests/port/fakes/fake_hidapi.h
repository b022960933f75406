// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace velmo::test {

// What the fake hidapi does: one relay board USBRelay4 with serial
// "ABCDE", unless unplugged; and the feature reports sent to it ("ff 01").
struct FakeHidapi {
  bool plugged = true;
  std::uint8_t relays = 0;  // the board's state
  std::vector<std::string> sent;
};
extern FakeHidapi fakeHidapi;

}  // namespace velmo::test

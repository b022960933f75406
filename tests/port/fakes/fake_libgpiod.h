// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <string>
#include <vector>

namespace velmo::test {

// The calls the fake libgpiod got ("request 17 velmo active-low 0", "set 17
// 1", "release 17"). Its one chip is gpiochip0 (label pinctrl-bcm2711) of
// 58 lines named GPIO0 to GPIO57; line 4 is in use by w1-gpio.
struct FakeGpiod {
  std::vector<std::string> calls;
};
extern FakeGpiod fakeGpiod;

}  // namespace velmo::test

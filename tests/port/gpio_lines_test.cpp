// SPDX-License-Identifier: GPL-3.0-or-later
// The GPIO module's lines against a fake of the libgpiod entries they bind.
#include "port/backends/gpio/gpio_lines.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "tests/port/fakes/fake_libgpiod.h"

namespace velmo::port {
namespace {

using test::fakeGpiod;
using ::testing::ElementsAre;

TEST(GpioLines, EachLineIsRequestedForVelmoActiveLowWhereMarkedAndSetWhenItChanges) {
  fakeGpiod = {};
  {
    GpioLines lines("pinctrl-bcm2711", {"17", "!GPIO18"});
    lines.check();
    lines.write(0x01);
    lines.write(0x03);
  }
  EXPECT_THAT(fakeGpiod.calls,
              ElementsAre("request 17 velmo 0", "request 18 velmo active-low 0", "set 17 1",
                          "set 18 0", "set 18 1", "release 17", "release 18"));
}

struct StartFault {
  const char* chip;
  std::vector<std::string> lines;
  const char* error;
};

class GpioStartFault : public ::testing::TestWithParam<StartFault> {};

TEST_P(GpioStartFault, SaysWhatThereIs) {
  try {
    GpioLines(GetParam().chip, GetParam().lines).check();
    ADD_FAILURE() << "requested";
  } catch (const PortAccessError& error) {
    EXPECT_EQ(error.what(), std::string(GetParam().error));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Rows, GpioStartFault,
    ::testing::Values(
        StartFault{"gpiochip4",
                   {"17"},
                   "There is no GPIO chip gpiochip4. GPIO chips found: gpiochip0 (pinctrl-bcm2711, "
                   "58 lines). Set VELMO_PORT=gpio:CHIP:L1,...,L8 with one of these, by name, path "
                   "or label."},
        StartFault{"0",
                   {"58"},
                   "The GPIO chip gpiochip0 (pinctrl-bcm2711) has no line 58: its lines are 0 to "
                   "57."},
        StartFault{"/dev/gpiochip0",
                   {"17", "4"},
                   "The GPIO line 4 of gpiochip0 (pinctrl-bcm2711) is in use by w1-gpio: stop it, "
                   "or choose another line."}));

}  // namespace
}  // namespace velmo::port

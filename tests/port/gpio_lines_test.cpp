// SPDX-License-Identifier: GPL-3.0-or-later
// The GPIO module's lines against a fake of the libgpiod entries they bind.
#include "port/backends/gpio/gpio_lines.h"

#include <gmock/gmock.h>
#include <gpiod.h>
#include <gtest/gtest.h>

#include <array>
#include <cerrno>
#include <string>
#include <utility>
#include <vector>

// The few entries of libgpiod 1.6 that the GPIO module binds, as a fake
// chip: gpiochip0 (label pinctrl-bcm2711) of 58 lines named GPIO0 to GPIO57,
// line 4 in use by w1-gpio.
struct gpiod_line {
  unsigned offset;
  std::string name;
};
struct gpiod_chip {
  std::array<gpiod_line, 58> lines;
};
struct gpiod_chip_iter {
  bool done = false;
};

namespace {

// The calls the fake got: "request 17 velmo active-low 0", "set 17 1".
std::vector<std::string> gpiodCalls;

gpiod_chip chip = [] {
  gpiod_chip made;
  for (unsigned offset = 0; offset < made.lines.size(); ++offset) {
    made.lines[offset] = {offset, "GPIO" + std::to_string(offset)};
  }
  return made;
}();
gpiod_chip_iter iterator;

}  // namespace

extern "C" {

gpiod_chip* gpiod_chip_open_lookup(const char* description) {
  for (const char* name : {"gpiochip0", "/dev/gpiochip0", "pinctrl-bcm2711", "0"}) {
    if (std::string(description) == name) return &chip;
  }
  errno = ENOENT;
  return nullptr;
}

void gpiod_chip_close(gpiod_chip*) {}

const char* gpiod_chip_name(gpiod_chip*) {
  return "gpiochip0";
}

const char* gpiod_chip_label(gpiod_chip*) {
  return "pinctrl-bcm2711";
}

unsigned int gpiod_chip_num_lines(gpiod_chip* opened) {
  return static_cast<unsigned>(opened->lines.size());
}

gpiod_line* gpiod_chip_get_line(gpiod_chip* opened, unsigned int offset) {
  if (offset < opened->lines.size()) return &opened->lines[offset];
  errno = EINVAL;
  return nullptr;
}

gpiod_line* gpiod_chip_find_line(gpiod_chip* opened, const char* name) {
  for (gpiod_line& line : opened->lines) {
    if (line.name == name) return &line;
  }
  errno = ENOENT;
  return nullptr;
}

const char* gpiod_line_name(gpiod_line* line) {
  return line->name.c_str();
}

const char* gpiod_line_consumer(gpiod_line* line) {
  return line->offset == 4 ? "w1-gpio" : nullptr;
}

int gpiod_line_request_output_flags(gpiod_line* line, const char* consumer, int flags, int value) {
  if (line->offset == 4) {
    errno = EBUSY;
    return -1;
  }
  gpiodCalls.push_back("request " + std::to_string(line->offset) + " " + consumer +
                       (flags == GPIOD_LINE_REQUEST_FLAG_ACTIVE_LOW ? " active-low " : " ") +
                       std::to_string(value));
  return 0;
}

int gpiod_line_set_value(gpiod_line* line, int value) {
  gpiodCalls.push_back("set " + std::to_string(line->offset) + " " + std::to_string(value));
  return 0;
}

void gpiod_line_release(gpiod_line* line) {
  gpiodCalls.push_back("release " + std::to_string(line->offset));
}

gpiod_chip_iter* gpiod_chip_iter_new(void) {
  iterator.done = false;
  return &iterator;
}

gpiod_chip* gpiod_chip_iter_next(gpiod_chip_iter* iter) {
  return std::exchange(iter->done, true) ? nullptr : &chip;
}

void gpiod_chip_iter_free(gpiod_chip_iter*) {}

}  // extern "C"

namespace velmo::port {
namespace {

using ::testing::ElementsAre;

TEST(GpioLines, EachLineIsRequestedForVelmoActiveLowWhereMarkedAndSetWhenItChanges) {
  gpiodCalls.clear();
  {
    GpioLines lines("pinctrl-bcm2711", {"17", "!GPIO18"});
    lines.check();
    lines.write(0x01);
    lines.write(0x03);
  }
  EXPECT_THAT(gpiodCalls,
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

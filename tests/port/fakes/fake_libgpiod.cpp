// SPDX-License-Identifier: GPL-3.0-or-later
// The few entries of libgpiod 1.6 that the GPIO module binds, as a fake
// chip.
#include "tests/port/fakes/fake_libgpiod.h"

#include <gpiod.h>

#include <array>
#include <cerrno>
#include <string>
#include <utility>

namespace velmo::test {

FakeGpiod fakeGpiod;

}  // namespace velmo::test

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

using velmo::test::fakeGpiod;

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
  fakeGpiod.calls.push_back("request " + std::to_string(line->offset) + " " + consumer +
                            (flags == GPIOD_LINE_REQUEST_FLAG_ACTIVE_LOW ? " active-low " : " ") +
                            std::to_string(value));
  return 0;
}

int gpiod_line_set_value(gpiod_line* line, int value) {
  fakeGpiod.calls.push_back("set " + std::to_string(line->offset) + " " + std::to_string(value));
  return 0;
}

void gpiod_line_release(gpiod_line* line) {
  fakeGpiod.calls.push_back("release " + std::to_string(line->offset));
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

// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/backends/gpio/gpio_lines.h"

#include <gpiod.h>
#include <grp.h>
#include <sys/stat.h>

#include <algorithm>
#include <cerrno>

#include "port/backends/lines_module_entries.h"
#include "system/errno_text.h"

namespace velmo::port {
namespace {

constexpr const char* kConsumer = "velmo";

// "gpiochip0 (pinctrl-bcm2711, 58 lines)" for each chip there is.
std::string chipsFound() {
  gpiod_chip_iter* chips = gpiod_chip_iter_new();
  if (!chips) return "";
  std::string found;
  gpiod_chip* chip = nullptr;
  gpiod_foreach_chip(chips, chip) {
    found += (found.empty() ? "" : ", ") + std::string(gpiod_chip_name(chip)) + " (" +
             gpiod_chip_label(chip) + ", " + std::to_string(gpiod_chip_num_lines(chip)) + " lines)";
  }
  gpiod_chip_iter_free(chips);
  return found;
}

std::string permissionFix(const std::string& chip) {
  const std::string path = chip.starts_with('/') ? chip : "/dev/" + chip;
  struct stat status {};
  const group* owner = stat(path.c_str(), &status) == 0 ? getgrgid(status.st_gid) : nullptr;
  const std::string group = owner ? owner->gr_name : "gpio";
  return "Add your user to the group " + group + " that may use the GPIO chips (sudo usermod -aG " +
         group + " $USER; on Raspberry Pi OS the group gpio), then log in again.";
}

bool isOffset(const std::string& line) {
  return !line.empty() &&
         std::all_of(line.begin(), line.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace

std::unique_ptr<OutputLines> makeModuleLines(const std::vector<std::string>& fields) {
  if (fields.size() < 2 || fields.size() > 9) {
    throw PortAccessError("The GPIO module takes a chip and one to eight lines.");
  }
  return std::make_unique<GpioLines>(fields[0],
                                     std::vector<std::string>(fields.begin() + 1, fields.end()));
}

GpioLines::GpioLines(std::string chip, std::vector<std::string> lines)
    : chip_(std::move(chip)), lines_(std::move(lines)) {}

GpioLines::~GpioLines() {
  release();
}

std::string GpioLines::chipName() const {
  return opened_ ? std::string(gpiod_chip_name(opened_)) + " (" + gpiod_chip_label(opened_) + ")"
                 : chip_;
}

void GpioLines::check() {
  if (!opened_) open();
}

void GpioLines::open() {
  opened_ = gpiod_chip_open_lookup(chip_.c_str());
  if (!opened_) {
    const int error = errno;
    if (error == EACCES || error == EPERM) {
      throw PortAccessError("Cannot open the GPIO chip " + chip_ + ": permission denied. " +
                            permissionFix(chip_));
    }
    const std::string found = chipsFound();
    throw PortAccessError("There is no GPIO chip " + chip_ + ". " +
                          (found.empty()
                               ? "No GPIO chip was found on this machine (gpiodetect lists them)."
                               : "GPIO chips found: " + found +
                                     ". Set VELMO_PORT=gpio:CHIP:L1,...,L8 with one of "
                                     "these, by name, path or label."));
  }
  try {
    for (const std::string& named : lines_) {
      const bool activeLow = named.starts_with('!');
      const std::string line = named.substr(activeLow ? 1 : 0);
      gpiod_line* found = find(line);
      const int flags = activeLow ? GPIOD_LINE_REQUEST_FLAG_ACTIVE_LOW : 0;
      if (gpiod_line_request_output_flags(found, kConsumer, flags, 0) != 0) {
        const int error = errno;
        const char* user = gpiod_line_consumer(found);
        throw PortAccessError(error == EBUSY
                                  ? "The GPIO line " + line + " of " + chipName() +
                                        " is in use by " + (user ? user : "another program") +
                                        ": stop it, or choose another line."
                                  : "Cannot request the GPIO line " + line + " of " + chipName() +
                                        ": " + errnoText(error) + ".");
      }
      requested_.push_back(found);
    }
  } catch (...) {
    release();
    throw;
  }
  values_.reset();
}

gpiod_line* GpioLines::find(const std::string& line) const {
  const unsigned count = gpiod_chip_num_lines(opened_);
  gpiod_line* found = nullptr;
  if (isOffset(line)) {
    found = line.size() < 10 ? gpiod_chip_get_line(opened_, static_cast<unsigned>(std::stoul(line)))
                             : nullptr;
    if (!found) {
      throw PortAccessError("The GPIO chip " + chipName() + " has no line " + line +
                            ": its lines are 0 to " + std::to_string(count - 1) + ".");
    }
    return found;
  }
  found = gpiod_chip_find_line(opened_, line.c_str());
  if (!found) {
    std::string names;
    for (unsigned offset = 0; offset < count; ++offset) {
      gpiod_line* each = gpiod_chip_get_line(opened_, offset);
      const char* name = each ? gpiod_line_name(each) : nullptr;
      if (name) names += (names.empty() ? "" : ", ") + std::string(name);
    }
    throw PortAccessError("The GPIO chip " + chipName() + " has no line named " + line + ". " +
                          (names.empty() ? "Its lines have no names: give their offsets, 0 to " +
                                               std::to_string(count - 1) + "."
                                         : "Its named lines: " + names + "."));
  }
  return found;
}

void GpioLines::write(std::uint8_t value) {
  if (!opened_) open();
  for (std::size_t index = 0; index < requested_.size(); ++index) {
    const unsigned bit = 1u << index;
    if (values_ && ((value ^ *values_) & bit) == 0) continue;
    if (gpiod_line_set_value(requested_[index], (value & bit) ? 1 : 0) != 0) {
      const int error = errno;
      release();
      throw OutputAwayError("Cannot set the GPIO lines of " + chip_ + ": " + errnoText(error) +
                            ". They are requested again as soon as the chip is back.");
    }
  }
  values_ = value;
}

void GpioLines::release() {
  for (gpiod_line* line : requested_) gpiod_line_release(line);
  requested_.clear();
  if (opened_) gpiod_chip_close(opened_);
  opened_ = nullptr;
}

}  // namespace velmo::port

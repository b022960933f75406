// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/port_notices.h"

#include <sys/eventfd.h>

#include <cstdint>

namespace velmo::port {
namespace {

constexpr std::size_t kKept = 16;

}  // namespace

PortNotices::PortNotices() : ready_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

void PortNotices::post(std::string text) {
  const std::lock_guard lock(mutex_);
  if (waiting_.size() == kKept) waiting_.pop_front();
  waiting_.push_back(std::move(text));
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(ready_.get(), &one, sizeof one);
}

std::optional<std::string> PortNotices::take() {
  const std::lock_guard lock(mutex_);
  if (waiting_.empty()) return std::nullopt;
  std::string text = std::move(waiting_.front());
  waiting_.pop_front();
  if (waiting_.empty()) {
    std::uint64_t count = 0;
    [[maybe_unused]] const ssize_t read = ::read(ready_.get(), &count, sizeof count);
  }
  return text;
}

PortNotices& processNotices() {
  static PortNotices* const notices = new PortNotices;
  return *notices;
}

}  // namespace velmo::port

// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/following_register.h"

#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/eventfd.h>

#include <cerrno>
#include <cstdint>
#include <functional>

#include "system/errno_text.h"

namespace velmo::port {
namespace {

FileDescriptor makeStopEvent() {
  FileDescriptor event{eventfd(0, EFD_CLOEXEC)};
  if (!event) {
    throw PortAccessError("Cannot follow the port register: " + errnoText(errno) + ".");
  }
  return event;
}

// Starts body on a thread that takes no signals, so that signals meant for
// the program reach the program's own threads.
std::thread startWithoutSignals(std::function<void()> body) {
  sigset_t all;
  sigset_t previous;
  sigfillset(&all);
  pthread_sigmask(SIG_SETMASK, &all, &previous);
  std::thread thread(std::move(body));
  pthread_sigmask(SIG_SETMASK, &previous, nullptr);
  return thread;
}

}  // namespace

FollowingRegister::FollowingRegister(std::unique_ptr<OutputLines> lines,
                                     const RegisterLocation& location,
                                     std::chrono::milliseconds refresh)
    : lines_(std::move(lines)),
      refresh_(refresh),
      register_(location),
      watcher_(location),
      stop_(makeStopEvent()),
      thread_(startWithoutSignals([this] { follow(); })) {}

FollowingRegister::~FollowingRegister() {
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(stop_.get(), &one, sizeof one);
  thread_.join();
}

void FollowingRegister::writeData(std::uint8_t value) {
  const std::lock_guard lock(mutex_);
  throwIfFollowingFailed();
  lines_->write(value);
  linesHold_ = value;
  register_.writeData(value);
}

std::uint8_t FollowingRegister::readData() {
  const std::lock_guard lock(mutex_);
  throwIfFollowingFailed();
  return register_.readData();
}

void FollowingRegister::follow() {
  pollfd waits[] = {{watcher_.descriptor(), POLLIN, 0}, {stop_.get(), POLLIN, 0}};
  for (;;) {
    const int ready = poll(waits, 2, static_cast<int>(refresh_.count()));
    if (ready < 0 && errno != EINTR) return;
    if (waits[1].revents != 0) return;
    if (ready < 0) continue;
    const std::lock_guard lock(mutex_);
    try {
      followRegister(ready == 0);
    } catch (const std::exception& error) {
      followingFailure_ = error.what();
      return;
    }
  }
}

void FollowingRegister::followRegister(bool refreshing) {
  try {
    watcher_.update();
  } catch (const PortAccessError&) {
    return;  // this process's own next access reports an unreadable register
  }
  const std::uint8_t byte = watcher_.byte();
  if (!linesHold_ || (*linesHold_ == byte && !refreshing)) return;
  lines_->write(byte);
  linesHold_ = byte;
}

void FollowingRegister::throwIfFollowingFailed() const {
  if (!followingFailure_.empty()) throw PortAccessError(followingFailure_);
}

}  // namespace velmo::port

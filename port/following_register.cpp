// SPDX-License-Identifier: GPL-3.0-or-later
#include "port/following_register.h"

#include <poll.h>
#include <pthread.h>
#include <signal.h>
#include <sys/eventfd.h>

#include <cerrno>
#include <cstdint>
#include <functional>
#include <utility>

#include "port/reconnect_delay.h"
#include "system/errno_text.h"

namespace velmo::port {
namespace {

FileDescriptor makeWakeEvent() {
  FileDescriptor event{eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)};
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
  // The name by which a program finds its output threads to raise them to
  // real-time priority, as its step work.
  pthread_setname_np(thread.native_handle(), "velmo-output");
  return thread;
}

}  // namespace

FollowingRegister::FollowingRegister(std::unique_ptr<OutputLines> lines,
                                     const RegisterLocation& location,
                                     std::chrono::milliseconds refresh, PortNotices& notices)
    : register_(location),
      lines_(std::move(lines)),
      refresh_(refresh),
      watcher_(location),
      presence_(location.path, notices),
      wakeUp_(makeWakeEvent()) {
  try {
    lines_->check();
  } catch (const OutputAwayError& away) {
    noteAway(away);
  } catch (const PortAccessError& failure) {
    throw PortAccessError(std::string(failure.what()) + " Then start the program again.");
  }
  thread_ = startWithoutSignals([this] { follow(); });
}

FollowingRegister::~FollowingRegister() {
  {
    const std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  wake();
  thread_.join();
}

void FollowingRegister::writeData(std::uint8_t value) {
  {
    const std::lock_guard lock(mutex_);
    register_.writeData(value);
    wanted_ = value;
    unsent_ = true;
  }
  wake();
}

std::uint8_t FollowingRegister::readData() {
  const std::lock_guard lock(mutex_);
  return register_.readData();
}

void FollowingRegister::wake() {
  const std::uint64_t one = 1;
  [[maybe_unused]] const ssize_t written = write(wakeUp_.get(), &one, sizeof one);
}

void FollowingRegister::follow() {
  pollfd waits[] = {{watcher_.descriptor(), POLLIN, 0}, {wakeUp_.get(), POLLIN, 0}};
  for (;;) {
    if (poll(waits, 2, idleTime()) < 0 && errno != EINTR) return;
    std::uint64_t wakes = 0;
    [[maybe_unused]] const ssize_t taken = read(wakeUp_.get(), &wakes, sizeof wakes);
    std::optional<std::uint8_t> byte;
    bool written = false;
    {
      const std::lock_guard lock(mutex_);
      if (stopping_) return;
      followRegister();
      byte = wanted_;
      written = std::exchange(unsent_, false);
    }
    drive(byte, written);
  }
}

// Under the lock, so that the register's byte read here is never older than
// this process's own last write. While the register's folder is gone the
// watcher reads 0, which nobody wrote: the lines keep their byte then.
void FollowingRegister::followRegister() {
  try {
    watcher_.update();
  } catch (const PortAccessError&) {
    return;  // this process's own next access reports an unreadable register
  }
  if (wanted_ && watcher_.following()) wanted_ = watcher_.byte();
}

void FollowingRegister::drive(std::optional<std::uint8_t> byte, bool written) {
  const auto now = Clock::now();
  const bool away = presence_.away();
  if (away && now < retryAt_) return;
  const bool refreshing = !away && sent_ && now >= refreshAt_;
  // A write is sent even when its byte is what the lines hold: in LTP mode
  // another client may have changed them meanwhile.
  const bool sending =
      byte && (away || written || byte != sent_ || (refreshing && now >= sentAt_ + refresh_));
  if (!away && !refreshing && !sending) return;
  try {
    if (away || refreshing) lines_->check();
    if (sending) lines_->write(*byte);
  } catch (const PortAccessError& failure) {
    noteAway(failure);
    return;
  }
  if (away || refreshing || !sent_) refreshAt_ = now + refresh_;
  if (sending) {
    sent_ = byte;
    sentAt_ = now;
  }
  failures_ = 0;
  presence_.back();
}

void FollowingRegister::noteAway(const PortAccessError& failure) {
  sent_.reset();
  presence_.lost(failure.what());
  retryAt_ = Clock::now() + reconnectDelay(++failures_);
}

int FollowingRegister::idleTime() const {
  if (!presence_.away() && !sent_) return -1;
  const auto until = presence_.away() ? retryAt_ : refreshAt_;
  const auto left = std::chrono::ceil<std::chrono::milliseconds>(until - Clock::now());
  return static_cast<int>(std::max<std::chrono::milliseconds::rep>(left.count(), 0));
}

}  // namespace velmo::port
